package javax.microedition.lcdui;

import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.util.ArrayList;
import java.util.List;

/**
 * The phone the stand-in plays: its screen size, the suite whose resources images come from, the
 * screen object shown, key presses, and pictures of the screen.
 */
public final class Phone {
    /** The screen in pixels; a canvas outside full-screen mode loses normalModeBars rows. */
    public static int width = 176;
    public static int height = 220;
    public static int normalModeBars = 30;
    /** Resources of the running suite. */
    public static ClassLoader suite;

    static volatile Displayable current;
    private static List<int[]> glyphLog;

    private Phone() {}

    public static Displayable current() {
        return current;
    }

    public static void reset(int w, int h, ClassLoader suiteLoader) {
        width = w;
        height = h;
        suite = suiteLoader;
        current = null;
    }

    private static Canvas canvas() {
        if (!(current instanceof Canvas)) throw new IllegalStateException("no canvas shown");
        return (Canvas) current;
    }

    public static void press(int keyCode) {
        canvas().keyPressed(keyCode);
    }

    public static void repeat(int keyCode) {
        canvas().keyRepeated(keyCode);
    }

    public static boolean isFullScreen() {
        return canvas().fullScreen;
    }

    /** Changes the screen size as a phone turning its display would, telling the canvas. */
    public static void resize(int w, int h) {
        width = w;
        height = h;
        Canvas c = canvas();
        c.sizeChanged(c.getWidth(), c.getHeight());
    }

    public static void hide() {
        canvas().hideNotify();
    }

    /** Paints the canvas into a new image of its size. */
    public static BufferedImage capture() {
        return capture(null);
    }

    /**
     * Paints the canvas; every drawRegion call lands in `glyphs` as {source x, width, x, y}.
     */
    public static synchronized BufferedImage capture(List<int[]> glyphs) {
        Canvas c = canvas();
        BufferedImage img = new BufferedImage(Math.max(1, c.getWidth()), Math.max(1, c.getHeight()),
                BufferedImage.TYPE_INT_RGB);
        Graphics2D g2 = img.createGraphics();
        glyphLog = glyphs;
        try {
            c.repaintRequested = false;
            c.paint(new Graphics(g2, new Image(img)));
        } finally {
            glyphLog = null;
            g2.dispose();
        }
        return img;
    }

    static void logGlyph(int xSrc, int w, int x, int y) {
        if (glyphLog != null) glyphLog.add(new int[] { xSrc, w, x, y });
    }

    public static List<int[]> newGlyphLog() {
        return new ArrayList<>();
    }
}
