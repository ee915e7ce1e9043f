package javax.microedition.lcdui;

public abstract class Canvas extends Displayable {
    public static final int UP = 1;
    public static final int DOWN = 6;
    public static final int LEFT = 2;
    public static final int RIGHT = 5;
    public static final int FIRE = 8;
    public static final int KEY_NUM0 = 48;
    public static final int KEY_NUM9 = 57;
    protected Canvas() {}
    public int getGameAction(int keyCode) { return 0; }
    public void setFullScreenMode(boolean mode) {}
    public final void repaint() {}
    protected void keyPressed(int keyCode) {}
    protected void keyRepeated(int keyCode) {}
    protected void showNotify() {}
    protected void hideNotify() {}
    protected abstract void paint(Graphics g);
    protected void sizeChanged(int w, int h) {}
}
