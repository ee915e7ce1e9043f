package javax.microedition.lcdui;

/**
 * Desktop stand-in of Canvas with the key layout of a common phone: the direction keys and the
 * select key give -1..-5, the soft keys -6 and -7, the keypad its characters. getGameAction
 * refuses any other code with IllegalArgumentException, as the API allows, so the reader must
 * cope with that.
 */
public abstract class Canvas extends Displayable {
    public static final int UP = 1;
    public static final int DOWN = 6;
    public static final int LEFT = 2;
    public static final int RIGHT = 5;
    public static final int FIRE = 8;
    public static final int GAME_A = 9;
    public static final int GAME_B = 10;
    public static final int GAME_C = 11;
    public static final int GAME_D = 12;
    public static final int KEY_NUM0 = 48;
    public static final int KEY_NUM9 = 57;
    public static final int KEY_STAR = 42;
    public static final int KEY_POUND = 35;

    boolean fullScreen;
    volatile boolean repaintRequested;

    protected Canvas() {}

    public int getWidth() {
        return Phone.width;
    }

    public int getHeight() {
        return Math.max(0, fullScreen ? Phone.height : Phone.height - Phone.normalModeBars);
    }

    public int getGameAction(int keyCode) {
        switch (keyCode) {
        case -1: case 50: return UP;
        case -2: case 56: return DOWN;
        case -3: case 52: return LEFT;
        case -4: case 54: return RIGHT;
        case -5: case 53: return FIRE;
        case 55: return GAME_A;
        case 57: return GAME_B;
        case 42: return GAME_C;
        case 35: return GAME_D;
        case -6: case -7: case -8: case 48: case 49: case 51:
            return 0;
        default:
            throw new IllegalArgumentException("no such key code: " + keyCode);
        }
    }

    public void setFullScreenMode(boolean mode) {
        if (mode == fullScreen) return;
        fullScreen = mode;
        if (Phone.current == this) sizeChanged(getWidth(), getHeight());
    }

    public final void repaint() {
        repaintRequested = true;
    }

    protected void keyPressed(int keyCode) {}

    protected void keyRepeated(int keyCode) {}

    protected void showNotify() {}

    protected void hideNotify() {}

    protected abstract void paint(Graphics g);

    protected void sizeChanged(int w, int h) {}
}
