import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.InputStream;
import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;
import java.util.zip.ZipFile;
import javax.microedition.lcdui.Phone;
import javax.microedition.midlet.Launcher;
import javax.microedition.midlet.MIDlet;
import javax.microedition.rms.RecordStore;

/**
 * A book package installed on the stand-in phone: its classes are loaded from the package itself
 * (never from the build tree), the MIDlet is started, and the tests press keys and look at the
 * page the reader laid out and drew.
 */
final class Suite implements AutoCloseable {
    static final int UP = -1;
    static final int DOWN = -2;
    static final int LEFT = -3;
    static final int RIGHT = -4;
    static final int FIRE = -5;
    static final int LEFT_SOFT = -6;
    static final int RIGHT_SOFT = -7;

    /** Loads the suite's classes and resources from its package and counts reads of text pieces. */
    static final class SuiteLoader extends URLClassLoader {
        final Map<String, Integer> pieceReads = new TreeMap<>();

        SuiteLoader(Path jar) throws IOException {
            super(new URL[] { jar.toUri().toURL() }, Suite.class.getClassLoader());
        }

        @Override
        public InputStream getResourceAsStream(String name) {
            if (name.startsWith("text/")) pieceReads.merge(name, 1, Integer::sum);
            return super.getResourceAsStream(name);
        }

        int totalPieceReads() {
            int n = 0;
            for (int v : pieceReads.values()) n += v;
            return n;
        }
    }

    final Path jar;
    final SuiteLoader loader;
    final MIDlet midlet;
    final int[] offsets = new int[256];
    final int[] widths = new int[256];
    final int lineHeight;
    final int stripWidth;

    /** Installs and starts the book on a phone of w x h pixels; `installName` names its record stores. */
    Suite(Path jar, int w, int h, String installName) throws Exception {
        this.jar = jar;
        loader = new SuiteLoader(jar);
        Phone.reset(w, h, loader);
        RecordStore.suiteName = installName;
        Class<?> c = loader.loadClass("BookReader");
        Check.that(c.getClassLoader() == loader, "BookReader comes from the package");
        midlet = (MIDlet) c.getDeclaredConstructor().newInstance();
        Launcher.start(midlet);
        byte[] props;
        try (ZipFile z = new ZipFile(jar.toFile())) {
            boolean font = z.getEntry("fonts/default.props") != null && z.getEntry("fonts/default.png") != null;
            props = font ? z.getInputStream(z.getEntry("fonts/default.props")).readAllBytes() : new byte[514];
            BufferedImage strip = font ? javax.imageio.ImageIO.read(z.getInputStream(z.getEntry("fonts/default.png"))) : null;
            stripWidth = strip == null ? 0 : strip.getWidth();
            lineHeight = strip == null ? 0 : strip.getHeight();
        }
        for (int ch = 32; ch < 256; ch++) offsets[ch] = (props[2 + 2 * ch] & 0xFF) | ((props[3 + 2 * ch] & 0xFF) << 8);
        for (int ch = 32; ch < 256; ch++) widths[ch] = Math.max(0, (ch < 255 ? offsets[ch + 1] : stripWidth) - offsets[ch]);
    }

    private static int installs;

    /** Installs the book afresh: nothing saved by an earlier run is found. */
    Suite(Path jar, int w, int h) throws Exception {
        this(jar, w, h, jar + "#" + (++installs));
    }

    @Override
    public void close() throws IOException {
        if (!Launcher.isDestroyed(midlet)) Launcher.destroy(midlet);
        loader.close();
    }

    // ---- Reaching into the reader ----

    static Object call(Object target, String name, Object... args) throws Exception {
        for (Class<?> k = target.getClass(); k != null; k = k.getSuperclass()) {
            Method m = Renames.method(k, name, args.length);
            if (m != null) {
                m.setAccessible(true);
                return m.invoke(target, args);
            }
        }
        throw new NoSuchMethodException(name);
    }

    static Object field(Object target, String name) throws Exception {
        Field f = Renames.field(target.getClass(), name);
        f.setAccessible(true);
        return f.get(target);
    }

    /** The width of a cp1251 text in the book's glyph font. */
    int textWidth(String text) {
        int w = 0;
        for (byte b : text.getBytes(Texts.CP1251)) w += widths[b & 0xFF];
        return w;
    }

    Object canvas() {
        return Phone.current();
    }

    Object layout() throws Exception {
        return call(canvas(), "layout");
    }

    /** The page as the reader lays it out for the screen it is shown on now. */
    Page page() throws Exception {
        capture(null);
        Object l = layout();
        Page p = new Page();
        p.top = (Integer) call(l, "topPos");
        p.topP = (Integer) call(l, "topP");
        p.hasNext = (Boolean) call(l, "hasNextPage");
        p.next = (Integer) call(l, "nextPageStart");
        p.linesPerPage = (Integer) call(l, "linesPerPage");
        int n = (Integer) call(l, "pageLines");
        for (int i = 0; i < n; i++) p.lines.add((byte[]) call(l, "pageLine", i));
        return p;
    }

    static final class Page {
        int top;
        int topP;
        boolean hasNext;
        int next;
        int linesPerPage;
        final List<byte[]> lines = new ArrayList<>();

        boolean sameAs(Page o) {
            if (top != o.top || topP != o.topP || lines.size() != o.lines.size()) return false;
            for (int i = 0; i < lines.size(); i++) if (!java.util.Arrays.equals(lines.get(i), o.lines.get(i))) return false;
            return true;
        }

        @Override
        public String toString() {
            StringBuilder s = new StringBuilder("top " + top + " P " + topP + ":");
            for (byte[] l : lines) s.append("\n    ").append(Texts.printable(l));
            return s.toString();
        }
    }

    BufferedImage capture(List<int[]> glyphs) {
        return Phone.capture(glyphs);
    }

    void press(int key) {
        Phone.press(key);
    }

    void repeat(int key) {
        Phone.repeat(key);
    }

    boolean ended() {
        return Launcher.isDestroyed(midlet);
    }

    /** Text pieces held by the reader right now. */
    int piecesHeld() throws Exception {
        Object text = field(layout(), "text");
        byte[][] pieces = (byte[][]) field(text, "pieces");
        int n = 0;
        for (byte[] p : pieces) if (p != null) n++;
        return n;
    }

    static byte[] entry(Path jar, String name) throws IOException {
        try (ZipFile z = new ZipFile(jar.toFile())) {
            return z.getInputStream(z.getEntry(name)).readAllBytes();
        }
    }

    static void savePng(BufferedImage img, Path file) throws IOException {
        Files.createDirectories(file.getParent());
        javax.imageio.ImageIO.write(img, "png", file.toFile());
    }
}
