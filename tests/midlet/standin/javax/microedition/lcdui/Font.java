package javax.microedition.lcdui;

import java.awt.image.BufferedImage;

/** Desktop stand-in of Font: the phone's system font as a small AWT sans-serif font. */
public final class Font {
    private static final Font DEFAULT = new Font(new java.awt.Font(java.awt.Font.SANS_SERIF, java.awt.Font.PLAIN, 12));
    final java.awt.Font awt;
    private final java.awt.FontMetrics metrics;

    private Font(java.awt.Font awt) {
        this.awt = awt;
        this.metrics = new BufferedImage(1, 1, BufferedImage.TYPE_INT_RGB).getGraphics().getFontMetrics(awt);
    }

    public static Font getDefaultFont() {
        return DEFAULT;
    }

    public int getHeight() {
        return metrics.getHeight();
    }

    public int stringWidth(String str) {
        return metrics.stringWidth(str);
    }
}
