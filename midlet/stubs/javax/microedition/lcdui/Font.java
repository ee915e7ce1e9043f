package javax.microedition.lcdui;

public final class Font {
    private Font() {}
    public static Font getDefaultFont() { return null; }
    public int getHeight() { return 0; }
    public int stringWidth(String str) { return 0; }
}
