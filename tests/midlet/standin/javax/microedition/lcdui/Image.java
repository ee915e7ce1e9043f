package javax.microedition.lcdui;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.InputStream;
import javax.imageio.ImageIO;

/** Desktop stand-in of Image: PNG resources of the running suite, decoded by ImageIO. */
public class Image {
    final BufferedImage image;
    private final boolean mutable;

    Image(BufferedImage image) {
        this(image, false);
    }

    private Image(BufferedImage image, boolean mutable) {
        this.image = image;
        this.mutable = mutable;
    }

    /** A mutable image, white as the API gives it. */
    public static Image createImage(int width, int height) {
        if (width <= 0 || height <= 0) throw new IllegalArgumentException("image size " + width + "x" + height);
        BufferedImage b = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        java.awt.Graphics g = b.getGraphics();
        g.setColor(java.awt.Color.WHITE);
        g.fillRect(0, 0, width, height);
        g.dispose();
        return new Image(b, true);
    }

    /** Only a mutable image can be drawn on. */
    public Graphics getGraphics() {
        if (!mutable) throw new IllegalStateException("an immutable image");
        return new Graphics(image.createGraphics(), this);
    }

    public static Image createImage(String name) throws IOException {
        if (name == null) throw new NullPointerException();
        String path = name.startsWith("/") ? name.substring(1) : name;
        InputStream in = Phone.suite == null ? null : Phone.suite.getResourceAsStream(path);
        if (in == null) throw new IOException("no resource " + name);
        try (InputStream s = in) {
            BufferedImage decoded = ImageIO.read(s);
            if (decoded == null) throw new IOException("not an image: " + name);
            BufferedImage rgb = new BufferedImage(decoded.getWidth(), decoded.getHeight(), BufferedImage.TYPE_INT_RGB);
            rgb.getGraphics().drawImage(decoded, 0, 0, null);
            return new Image(rgb);
        }
    }

    public int getWidth() {
        return image.getWidth();
    }

    public int getHeight() {
        return image.getHeight();
    }

    public void getRGB(int[] rgbData, int offset, int scanlength, int x, int y, int width, int height) {
        if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > getWidth() || y + height > getHeight()) {
            throw new IllegalArgumentException("region outside the image");
        }
        if (Math.abs(scanlength) < width) throw new IllegalArgumentException("scanlength");
        for (int row = 0; row < height; row++) {
            for (int col = 0; col < width; col++) {
                rgbData[offset + row * scanlength + col] = 0xFF000000 | image.getRGB(x + col, y + row);
            }
        }
    }
}
