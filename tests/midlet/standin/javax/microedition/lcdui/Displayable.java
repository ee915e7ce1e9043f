package javax.microedition.lcdui;

/** Desktop stand-in: a screen object sized by the Phone. */
public abstract class Displayable {
    Displayable() {}

    public int getWidth() {
        return Phone.width;
    }

    public int getHeight() {
        return Phone.height;
    }

    protected void sizeChanged(int w, int h) {}
}
