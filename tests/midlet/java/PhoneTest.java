import java.awt.image.BufferedImage;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import javax.microedition.midlet.Launcher;
import javax.microedition.rms.RecordStore;

/**
 * What real phones ask of the reader: soft keys whose codes do not fit in a byte, a place that
 * survives a forced stop, "go to" opening at the system line's figure, bookmarks, night reading
 * and a full record store.
 */
final class PhoneTest {
    private PhoneTest() {}

    // The soft and menu keys of the LG KG800 profile.
    private static final int LG_LEFT = -202;
    private static final int LG_RIGHT = -203;
    private static final int LG_MENU = -204;
    /** Rows of the menu: "Закладки" and "Ночной режим" come before "Выход". */
    private static final int ROW_MARKS = 2;
    private static final int ROW_NIGHT = 3;
    private static final int MODE_MARKS = 3;
    private static final int MODE_MARK = 4;
    private static final int MODE_MESSAGE = 5;

    static void run(Books books, byte[] sample, Path screens) throws Exception {
        Check.group("the reader on real phones");
        Books.FontFace sans = books.font("p-sans8", "DejaVu Sans", 8, false, 0xE0F0FF);
        books.run();
        Books.Profile std = new Books.Profile().size(176, 220).sysline(0);
        Books.Profile lg = new Books.Profile().size(128, 160).sysline(1);
        lg.leftSoft = LG_LEFT;
        lg.rightSoft = LG_RIGHT;
        lg.menu = LG_MENU;
        Path longText = books.writeText("p-long", Texts.long_(sample, 60000));
        Path longJar = books.book(longText, sans, std);
        Path lgJar = books.book(longText, sans, lg);
        Path otherJar = books.book(books.writeText("p-other", Texts.long_(sample, 50000)), sans, std);
        Path sampleJar = books.book(books.writeText("p-sample", sample), sans, std);
        Path wordJar = books.book(books.writeText("p-word", Texts.cp1251("\u0441\u043b\u043e\u0432\u043e")), sans, std);
        Path emptyJar = books.book(books.writeText("p-empty", new byte[0]), sans, std);
        books.run();

        Check.run("soft keys whose codes do not fit in a byte", () -> wideSoftKeys(lgJar));
        Check.run("the place after a forced stop", () -> forcedStop(longJar));
        Check.run("\"go to\" opens at the system line's figure", () -> goToFigure(new Path[] { wordJar, emptyJar, longJar }));
        Check.run("bookmarks", () -> bookmarks(longJar, otherJar, longText, screens));
        Check.run("night reading", () -> night(sampleJar, screens));
        Check.run("a full record store", () -> fullStore(longJar, screens));
    }

    private static int intField(Suite s, String name) throws Exception {
        return (Integer) Suite.field(s.canvas(), name);
    }

    private static void openMenuRow(Suite s, int row) {
        s.press(Suite.LEFT_SOFT);
        for (int i = 0; i < row; i++) s.press(Suite.DOWN);
        s.press(Suite.FIRE);
    }

    /** Stored soft and menu codes match only negative key codes with the same low byte. */
    private static void wideSoftKeys(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 128, 160)) {
            Class<?> canvas = s.canvas().getClass();
            java.lang.reflect.Method matches = Renames.method(canvas, "matches", 2);
            matches.setAccessible(true);
            int wrong = 0;
            for (int stored = -128; stored < 128; stored++) {
                for (int code = -400; code <= 400; code++) {
                    boolean expected = stored != 0 && code < 0 && (code & 0xFF) == (stored & 0xFF);
                    if ((Boolean) matches.invoke(null, code, (int) (byte) stored) != expected) wrong++;
                }
            }
            Check.equal(0, wrong, "key codes matched against every stored byte");

            Suite.Page first = s.page();
            for (int digit : new int[] { '6', '5', '4' }) {
                s.press(digit);
                Check.that(ReaderTest.mode(s) == 0 && !s.ended(), "the digit key " + (char) digit
                        + " neither opens the menu nor ends the book");
                if (ReaderTest.mode(s) != 0) s.press(LG_RIGHT);  // the next digit starts on the page
            }
            Check.that(s.page().sameAs(first), "6 (a line on) and 4 (a line back) return to the page: " + s.page());
            s.press(LG_LEFT);
            Check.equal(1, ReaderTest.mode(s), "-202 opens the menu");
            s.press(LG_RIGHT);
            Check.that(ReaderTest.mode(s) == 0 && !s.ended(), "-203 closes the menu");
            s.press(LG_MENU);
            Check.equal(1, ReaderTest.mode(s), "-204 opens the menu");
            s.press(Suite.FIRE);
            s.press('5');
            s.press('4');
            Check.equal(54, intField(s, "percent"), "5 and 4 are typed as digits");
            s.press(LG_MENU);
            Check.that(ReaderTest.mode(s) == 0 && s.page().top > 0, "-204 makes the jump");
            s.press(LG_RIGHT);
            Check.that(s.ended(), "-203 ends the book");
        }
    }

    /** Moves are written a few seconds after reading settles, never on every key, and survive a kill. */
    private static void forcedStop(Path jar) throws Exception {
        String install = "forced-stop";
        Suite.Page kept;
        try (Suite s = new Suite(jar, 176, 220, install)) {
            int before = RecordStore.writes();
            for (int i = 0; i < 12; i++) s.press(Suite.DOWN);
            s.press(Suite.RIGHT);
            kept = s.page();
            Check.equal(before, RecordStore.writes(), "paging on writes nothing at once");
            long deadline = System.currentTimeMillis() + 30000;
            while (RecordStore.writes() == before && System.currentTimeMillis() < deadline) Thread.sleep(50);
            Thread.sleep(300);
            Check.equal(before + 1, RecordStore.writes(), "one write once reading settles");
            // The battery is pulled: no pauseApp, no destroyApp, and the clock ends with the process.
            Launcher.kill(s.midlet);
            Suite.call(s.canvas(), "stopClock");
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "the book reopens where reading settled: " + s.page() + "\n  instead of "
                    + kept);
            s.press(Suite.DOWN);
            Launcher.kill(s.midlet);
            Suite.call(s.canvas(), "stopClock");
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "a move killed before its save is the only thing lost");
        }
    }

    /** The box opens at the figure the system line shows, and choosing that figure keeps the page. */
    private static void goToFigure(Path[] jars) throws Exception {
        for (Path jar : jars) {
            try (Suite s = new Suite(jar, 176, 220)) {
                int size = ReaderTest.textSize(s);
                for (int step = 0; step < 3; step++) {
                    if (step == 1) ReaderTest.goToPercent(s, 50);
                    if (step == 2) s.press(Suite.DOWN);
                    Suite.Page page = s.page();
                    int band = page.hasNext ? (int) ((long) page.next * 100 / size) : 100;
                    openMenuRow(s, 0);
                    Check.equal(band, intField(s, "percent"), jar.getFileName() + ", step " + step
                            + ": the box's figure");
                    s.press(Suite.FIRE);
                    Check.that(s.page().sameAs(page), "choosing the figure shown keeps the page");
                    s.press(Suite.LEFT_SOFT);
                    s.press(Suite.FIRE);
                    for (char c : Integer.toString(band).toCharArray()) s.press(c);
                    s.press(Suite.FIRE);
                    Check.that(s.page().sameAs(page), "typing the figure shown keeps the page");
                    if (size < 1000) break;
                }
            }
        }
    }

    private static List<Integer> markPositions(Suite s) throws Exception {
        List<Integer> out = new ArrayList<>();
        int[] pos = (int[]) Suite.field(s.canvas(), "markPos");
        for (int i = 0; i < intField(s, "markCount"); i++) out.add(pos[i]);
        return out;
    }

    private static String markName(Suite s, int i) throws Exception {
        return new String(((byte[][]) Suite.field(s.canvas(), "markName"))[i], Texts.CP1251);
    }

    /** Adds a bookmark at the page shown through the menu and returns to the page. */
    private static void addMark(Suite s) throws Exception {
        openMenuRow(s, ROW_MARKS);
        Check.equal(MODE_MARKS, ReaderTest.mode(s), "\"Закладки\" opens the list");
        s.press(Suite.FIRE);
        if (ReaderTest.mode(s) == MODE_MARKS) s.press(Suite.RIGHT_SOFT);
    }

    /** Chooses bookmark i of the list and the action (0 go, 1 delete). */
    private static void useMark(Suite s, int i, int action) throws Exception {
        openMenuRow(s, ROW_MARKS);
        for (int k = 0; k <= i; k++) s.press(Suite.DOWN);
        s.press(Suite.FIRE);
        Check.equal(MODE_MARK, ReaderTest.mode(s), "a bookmark offers what to do with it");
        if (action == 1) s.press(Suite.DOWN);
        s.press(Suite.FIRE);
        if (ReaderTest.mode(s) == MODE_MARKS) s.press(Suite.RIGHT_SOFT);
    }

    /**
     * The text from pos with blank and control runs made one blank, as a bookmark's name shows it:
     * from the first whole word (a page that begins inside a word skips its tail).
     */
    private static String wordsFrom(byte[] text, int pos) {
        StringBuilder b = new StringBuilder();
        if (pos > 0 && (text[pos - 1] & 0xFF) > ' ') while (pos < text.length && (text[pos] & 0xFF) > ' ') pos++;
        for (int i = pos; i < text.length && b.length() < 80; i++) {
            int c = text[i] & 0xFF;
            if (c <= ' ') {
                if (b.length() > 0 && b.charAt(b.length() - 1) != ' ') b.append(' ');
            } else {
                b.append(new String(new byte[] { text[i] }, Texts.CP1251));
            }
        }
        return b.toString();
    }

    private static void bookmarks(Path jar, Path otherJar, Path textFile, Path screens) throws Exception {
        byte[] text = java.nio.file.Files.readAllBytes(textFile);
        String install = "bookmarks";
        Suite.Page[] pages = new Suite.Page[3];
        try (Suite s = new Suite(jar, 176, 220, install)) {
            int[] percents = { 60, 20, 40 };
            for (int i = 0; i < 3; i++) {
                ReaderTest.goToPercent(s, percents[i]);
                s.press(Suite.DOWN);
                pages[i] = s.page();
                addMark(s);
            }
            addMark(s);
            Check.equal(List.of(pages[1].top, pages[2].top, pages[0].top), markPositions(s),
                    "three bookmarks in reading order, the page marked twice once");
            for (int i = 0; i < 3; i++) {
                String name = markName(s, i);
                Suite.Page p = pages[new int[] { 1, 2, 0 }[i]];
                int band = (int) ((long) p.next * 100 / text.length);
                Check.that(name.endsWith(" \u00b7 " + band + "%"), "the name ends with the page's figure: " + name);
                String words = name.substring(0, name.lastIndexOf(" \u00b7 "));
                if (words.endsWith("\u2026")) words = words.substring(0, words.length() - 1);
                Check.that(s.textWidth(name) <= 176 - 8, "the name fits the list: " + name);
                String from = wordsFrom(text, p.top);
                Check.that(words.length() >= 10 && from.startsWith(words)
                        && (from.length() == words.length() || from.charAt(words.length()) == ' '),
                        "then the page's first whole words: \"" + name + "\" for \"" + from + "\"");
            }
            openMenuRow(s, ROW_MARKS);
            s.press(Suite.DOWN);
            Suite.savePng(s.capture(null), screens.resolve("bookmarks.png"));
            s.press(Suite.RIGHT_SOFT);
            useMark(s, 0, 0);
            Check.that(ReaderTest.mode(s) == 0 && s.page().sameAs(pages[1]), "going to a bookmark opens its page: "
                    + s.page());
            useMark(s, 1, 1);
            Check.equal(List.of(pages[1].top, pages[0].top), markPositions(s), "the middle bookmark is deleted");
            s.press(Suite.DOWN);
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.equal(List.of(pages[1].top, pages[0].top), markPositions(s), "bookmarks are kept across a restart");
            useMark(s, 1, 0);
            Check.that(s.page().sameAs(pages[0]), "a kept bookmark opens its page");
            // Up to 32 bookmarks; one more is refused with a message.
            for (int i = 0; i < 31; i++) {
                s.press(Suite.RIGHT);
                addMark(s);
            }
            Check.equal(32, intField(s, "markCount"), "32 bookmarks");
            Check.equal(MODE_MESSAGE, ReaderTest.mode(s), "no room for a 33rd: a message");
            s.press(Suite.UP);
            Check.equal(0, ReaderTest.mode(s), "any key closes the message");
        }
        try (Suite s = new Suite(otherJar, 176, 220, install)) {
            Check.equal(List.of(), markPositions(s), "another text under the same name shows none of them");
        }
    }

    /** Night reading swaps every colour of the page and keeps every glyph where it was. */
    private static void night(Path jar, Path screens) throws Exception {
        String install = "night";
        List<int[]> dayGlyphs = new ArrayList<>();
        BufferedImage day;
        BufferedImage dark;
        try (Suite s = new Suite(jar, 176, 220, install)) {
            s.press(Suite.DOWN);
            day = s.capture(dayGlyphs);
            openMenuRow(s, ROW_NIGHT);
            List<int[]> nightGlyphs = new ArrayList<>();
            dark = s.capture(nightGlyphs);
            Suite.savePng(dark, screens.resolve("night.png"));
            Check.that(dayGlyphs.size() > 100 && sameGlyphs(dayGlyphs, nightGlyphs), "the same glyphs at the same places");
            Check.equal(0, inverseMismatches(day, dark), "every pixel below the system line inverted");
            Check.that(inverseMismatches(day, day) > 1000, "the comparison sees a page that is not inverted");
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.equal(Boolean.TRUE, Suite.field(s.canvas(), "night"), "night reading is remembered");
            Check.equal(0, inverseMismatches(day, s.capture(null)), "and drawn again after a restart");
            openMenuRow(s, ROW_NIGHT);
            Check.equal(0, inverseMismatches(dark, s.capture(null)), "turned off, the day's colours return");
        }
    }

    private static boolean sameGlyphs(List<int[]> a, List<int[]> b) {
        if (a.size() != b.size()) return false;
        for (int i = 0; i < a.size(); i++) if (!java.util.Arrays.equals(a.get(i), b.get(i))) return false;
        return true;
    }

    /** Pixels below the band (its clock may turn between pictures) that are not the other's inverse. */
    private static int inverseMismatches(BufferedImage a, BufferedImage b) {
        int n = 0;
        for (int y = ReaderTest.BAND; y < a.getHeight(); y++) {
            for (int x = 0; x < a.getWidth(); x++) {
                if (((a.getRGB(x, y) ^ b.getRGB(x, y)) & 0xFFFFFF) != 0xFFFFFF) n++;
            }
        }
        return n;
    }

    /** A bookmark that does not fit is refused with a message; the place and earlier state stay. */
    private static void fullStore(Path jar, Path screens) throws Exception {
        String install = "full-store";
        Suite.Page kept;
        try {
            try (Suite s = new Suite(jar, 176, 220, install)) {
                s.press(Suite.DOWN);
                kept = s.page();
                Suite.call(s.midlet, "savePosition");
                RecordStore.capacity = 20;  // the place fits, a bookmark beside it does not
                addMark(s);
                Check.equal(MODE_MESSAGE, ReaderTest.mode(s), "a full store: a message");
                Check.equal(0, intField(s, "markCount"), "and no bookmark that would be lost");
                Suite.savePng(s.capture(null), screens.resolve("store-full.png"));
                s.press(Suite.FIRE);
                Check.that(ReaderTest.mode(s) == 0 && s.page().sameAs(kept), "the message closes on the page");
            }
            try (Suite s = new Suite(jar, 176, 220, install)) {
                Check.that(s.page().sameAs(kept), "the place is kept");
                Check.equal(0, intField(s, "markCount"), "no bookmark was stored");
            }
        } finally {
            RecordStore.capacity = Integer.MAX_VALUE;
        }
    }
}
