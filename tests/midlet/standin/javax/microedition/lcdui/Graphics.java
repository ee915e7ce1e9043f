package javax.microedition.lcdui;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;

/**
 * Desktop stand-in of Graphics on an AWT image. drawRegion checks its arguments as the API
 * demands (a region outside the source image, an unknown transform or anchor, the destination
 * image as source: IllegalArgumentException) and reports each call to the Phone's glyph log.
 */
public class Graphics {
    public static final int HCENTER = 1;
    public static final int VCENTER = 2;
    public static final int LEFT = 4;
    public static final int RIGHT = 8;
    public static final int TOP = 16;
    public static final int BOTTOM = 32;
    public static final int BASELINE = 64;

    private final Graphics2D g;
    private final Image target;
    private Font font = Font.getDefaultFont();

    Graphics(Graphics2D g, Image target) {
        this.g = g;
        this.target = target;
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_OFF);
        g.setColor(Color.BLACK);
    }

    public void setColor(int rgb) {
        g.setColor(new Color(rgb & 0xFFFFFF));
    }

    public void setFont(Font f) {
        font = f == null ? Font.getDefaultFont() : f;
    }

    public Font getFont() {
        return font;
    }

    public void setClip(int x, int y, int width, int height) {
        g.setClip(x, y, width, height);
    }

    public void fillRect(int x, int y, int width, int height) {
        if (width <= 0 || height <= 0) return;
        g.fillRect(x, y, width, height);
    }

    public void drawRect(int x, int y, int width, int height) {
        if (width < 0 || height < 0) return;
        g.drawRect(x, y, width, height);
    }

    public void drawString(String str, int x, int y, int anchor) {
        if (str == null) throw new NullPointerException();
        checkAnchor(anchor, true);
        g.setFont(font.awt);
        java.awt.FontMetrics m = g.getFontMetrics();
        if ((anchor & RIGHT) != 0) x -= m.stringWidth(str);
        else if ((anchor & HCENTER) != 0) x -= m.stringWidth(str) / 2;
        if ((anchor & BOTTOM) != 0) y -= m.getDescent();
        else if ((anchor & TOP) != 0 || anchor == 0) y += m.getAscent();
        g.drawString(str, x, y);
    }

    public void drawRegion(Image src, int xSrc, int ySrc, int width, int height, int transform,
                           int xDest, int yDest, int anchor) {
        if (src == null) throw new NullPointerException();
        if (src == target) throw new IllegalArgumentException("source is the destination");
        if (transform < 0 || transform > 7) throw new IllegalArgumentException("transform " + transform);
        checkAnchor(anchor, false);
        if (xSrc < 0 || ySrc < 0 || width < 0 || height < 0 || xSrc + width > src.getWidth()
                || ySrc + height > src.getHeight()) {
            throw new IllegalArgumentException("region " + xSrc + "," + ySrc + " " + width + "x" + height
                    + " outside the " + src.getWidth() + "x" + src.getHeight() + " image");
        }
        if (transform != 0) throw new UnsupportedOperationException("transforms are not needed by the reader");
        if ((anchor & RIGHT) != 0) xDest -= width;
        else if ((anchor & HCENTER) != 0) xDest -= width / 2;
        if ((anchor & BOTTOM) != 0) yDest -= height;
        else if ((anchor & VCENTER) != 0) yDest -= height / 2;
        Phone.logGlyph(xSrc, width, xDest, yDest);
        if (width == 0 || height == 0) return;
        g.drawImage(src.image, xDest, yDest, xDest + width, yDest + height, xSrc, ySrc, xSrc + width,
                ySrc + height, null);
    }

    public void drawRGB(int[] rgbData, int offset, int scanlength, int x, int y, int width, int height,
                        boolean processAlpha) {
        if (rgbData == null) throw new NullPointerException();
        if (width <= 0 || height <= 0) return;
        if (offset < 0 || offset + (height - 1) * scanlength + width > rgbData.length) {
            throw new ArrayIndexOutOfBoundsException("drawRGB outside the array");
        }
        BufferedImage row = new BufferedImage(width, height, BufferedImage.TYPE_INT_ARGB);
        for (int r = 0; r < height; r++) {
            for (int c = 0; c < width; c++) {
                int argb = rgbData[offset + r * scanlength + c];
                row.setRGB(c, r, processAlpha ? argb : 0xFF000000 | argb);
            }
        }
        g.drawImage(row, x, y, null);
    }

    private static void checkAnchor(int anchor, boolean text) {
        if (anchor == 0) return;
        int h = anchor & (LEFT | RIGHT | HCENTER);
        int v = anchor & (TOP | BOTTOM | (text ? BASELINE : VCENTER));
        if (Integer.bitCount(h) != 1 || Integer.bitCount(v) != 1
                || (anchor & ~(LEFT | RIGHT | HCENTER | TOP | BOTTOM | BASELINE | VCENTER)) != 0) {
            throw new IllegalArgumentException("anchor " + anchor);
        }
    }
}
