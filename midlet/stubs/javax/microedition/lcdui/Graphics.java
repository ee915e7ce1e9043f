package javax.microedition.lcdui;

public class Graphics {
    public static final int LEFT = 4;
    public static final int TOP = 16;
    Graphics() {}
    public void setColor(int rgb) {}
    public void setFont(Font font) {}
    public void setClip(int x, int y, int width, int height) {}
    public void fillRect(int x, int y, int width, int height) {}
    public void drawRect(int x, int y, int width, int height) {}
    public void drawString(String str, int x, int y, int anchor) {}
    public void drawRegion(Image src, int x_src, int y_src, int width, int height, int transform,
                           int x_dest, int y_dest, int anchor) {}
    public void drawRGB(int[] rgbData, int offset, int scanlength, int x, int y, int width, int height,
                        boolean processAlpha) {}
}
