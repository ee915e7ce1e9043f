import java.awt.image.BufferedImage;
import java.io.ByteArrayOutputStream;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import javax.microedition.lcdui.Phone;

/**
 * The reader on the stand-in phone: paging there and back, line and half-screen steps, the menu,
 * the saved place, every key code, tiny and odd books, pieces read lazily, and the screen itself.
 */
final class ReaderTest {
    static final int BAND = 6;
    private static final int BAND_COLOR = 0xCCE4FF;
    /** Books.Profile's default background 0xE0F0FF (0x00BBGGRR) as red, green, blue. */
    private static final int BACKGROUND = 0xFFF0E0;

    private ReaderTest() {}

    static void run(Books books, byte[] sample, Path screens) throws Exception {
        Check.group("reader on the stand-in phone");
        Books.FontFace sans = books.font("r-sans8", "DejaVu Sans", 8, false, 0xE0F0FF);
        books.run();

        Path sampleText = books.writeText("r-sample", sample);
        Path longText = books.writeText("r-long", Texts.long_(sample, 60000));
        Books.Profile std = new Books.Profile().size(176, 220).sysline(0);
        Path sampleJar = books.book(sampleText, sans, std);
        Path longJar = books.book(longText, sans, std);
        Path otherJar = books.book(books.writeText("r-other", Texts.long_(sample, 50000)), sans, std);
        Path halfJar = books.book(longText, sans, new Books.Profile().size(176, 220).sysline(1).actions(1, 4, 0, 3));
        Books.Profile windowed = new Books.Profile().size(176, 220).sysline(-1);
        windowed.fullScreen = false;
        Path windowedJar = books.book(longText, sans, windowed);
        Path emptyJar = books.book(books.writeText("r-empty", new byte[0]), sans, std);
        Path oneJar = books.book(books.writeText("r-one", new byte[] { 'A' }), sans, std);
        Path controlJar = books.book(books.writeText("r-control", controlBytes()), sans, std);
        Path acrossJar = books.book(books.writeText("r-across", Texts.acrossPieces(sample)), sans, std);
        Path markedJar = books.book(books.writeText("r-marked", Texts.marked()), sans, std);
        Path elevenJar = books.book(books.writeText("r-eleven", Texts.long_(sample, 10 * 32767 + 4321)), sans,
                new Books.Profile().size(240, 320).sysline(1));
        books.run();

        Check.run("screen steps there and back", () -> screenRoundTrip(longJar));
        Check.run("line steps", () -> lineSteps(longJar));
        Check.run("half-screen steps", () -> halfSteps(halfJar));
        Check.run("steps back after a jump", () -> backAfterJump(longJar));
        Check.run("the text's start and end", () -> startAndEnd(longJar));
        Check.run("the saved place", () -> savedPlace(longJar, otherJar));
        Check.run("a place inside a wrapped title", () -> placeInTitle(markedJar));
        Check.run("the menu", () -> menu(sampleJar));
        Check.run("not full screen, resized", () -> windowed(windowedJar));
        Check.run("empty and one-byte books", () -> tinyBooks(emptyJar, oneJar));
        Check.run("control bytes", () -> controlBytes(controlJar));
        Check.run("a line across the piece boundary", () -> acrossPieces(acrossJar));
        Check.run("eleven pieces", () -> elevenPieces(elevenJar));
        Path bareJar = rewritten(sampleJar, "bare", name -> name.equals("config") || name.startsWith("fonts/"), null);
        byte[] promise = Suite.entry(sampleJar, "config");
        promise[2] = 1;  // the record promises 65536 + the sample's bytes: more than the pieces hold
        Path shortJar = rewritten(sampleJar, "short", name -> false, promise);
        byte[] longPieces = Suite.entry(acrossJar, "config");
        longPieces[25] = 4;  // pieces of 64 MB and 32767 bytes, as a hand-edited record may claim
        Path longPiecesJar = rewritten(acrossJar, "long-pieces", name -> false, longPieces);
        Check.run("a package without its record and font", () -> brokenPackage(bareJar, true));
        Check.run("a record promising more text than the pieces hold", () -> brokenPackage(shortJar, false));
        Check.run("a record claiming pieces longer than any", () -> samePages(acrossJar, longPiecesJar));
        Check.run("every key code", () -> everyKey(new Path[] { sampleJar, emptyJar, oneJar, controlJar, bareJar }));
        Check.run("the screen", () -> screen(sampleJar, screens));
    }

    /** A copy of a package without the entries `drop` names, and with another record when given. */
    private static Path rewritten(Path jar, String name, java.util.function.Predicate<String> drop, byte[] config)
            throws Exception {
        Path out = jar.resolveSibling(name + ".jar");
        try (java.util.zip.ZipFile in = new java.util.zip.ZipFile(jar.toFile());
             java.util.zip.ZipOutputStream zip = new java.util.zip.ZipOutputStream(java.nio.file.Files.newOutputStream(out))) {
            for (java.util.zip.ZipEntry e : java.util.Collections.list(in.entries())) {
                if (drop.test(e.getName())) continue;
                zip.putNextEntry(new java.util.zip.ZipEntry(e.getName()));
                zip.write(config != null && e.getName().equals("config") ? config : in.getInputStream(e).readAllBytes());
                zip.closeEntry();
            }
        }
        return out;
    }

    /** A damaged package never makes the reader throw; what it can read, it shows. */
    private static void brokenPackage(Path jar, boolean bare) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            Suite.Page first = s.page();
            if (bare) Check.equal(0, first.lines.size(), "without a font nothing is laid out");
            int pages = 0;
            while (s.page().hasNext && pages < 100) {
                s.press(Suite.DOWN);
                pages++;
            }
            if (!bare) {
                Check.equal(Suite.entry(jar, "text/chunk.0").length, textSize(s), "the text ends where its pieces end");
                Check.that(pages > 0 && !s.page().hasNext, "the readable text pages to its end: " + pages);
            }
            for (int key : new int[] { Suite.UP, Suite.LEFT, Suite.RIGHT, Suite.DOWN }) s.press(key);
            goToPercent(s, 100);
            goToPercent(s, 50);
            s.press(Suite.LEFT_SOFT);
            s.capture(null);
        }
    }

    /**
     * A record whose piece length no piece can have reads as the intact book: page by page the
     * same across the piece boundary, and never a piece held longer than the longest there is.
     */
    private static void samePages(Path intact, Path damaged) throws Exception {
        // One phone at a time: the intact book's pages first.
        List<Suite.Page> pages = new ArrayList<>();
        int size;
        try (Suite good = new Suite(intact, 176, 220)) {
            while (pages.size() < 400) {
                pages.add(good.page());
                if (!good.page().hasNext) break;
                good.press(Suite.DOWN);
            }
            size = textSize(good);
        }
        Check.that(pages.size() > 2, "the intact book has pages on both pieces: " + pages.size());
        try (Suite bad = new Suite(damaged, 176, 220)) {
            for (int i = 0; i < pages.size(); i++) {
                if (!Check.that(bad.page().sameAs(pages.get(i)), "page " + i + " is the intact book's")) return;
                Object text = Suite.field(bad.layout(), "text");
                for (byte[] piece : (byte[][]) Suite.field(text, "pieces"))
                    if (piece != null && !Check.that(piece.length <= 32767, "a piece held: " + piece.length)) return;
                bad.press(Suite.DOWN);
            }
            Check.equal(size, textSize(bad), "the whole text is read");
        }
    }

    private static byte[] controlBytes() {
        ByteArrayOutputStream o = new ByteArrayOutputStream();
        for (int round = 0; round < 40; round++) {
            for (int c = 1; c < 32; c++) {  // a zero byte is left out of the text, by the preview as by the book
                o.write(c);
                o.writeBytes(Texts.cp1251("\u0441\u043b\u043e\u0432\u043e "));
            }
        }
        byte[] ones = new byte[10000];
        Arrays.fill(ones, (byte) 1);
        o.writeBytes(ones);  // a long run of control bytes
        o.writeBytes(Texts.cp1251("\u0441\u0435\u0440\u0435\u0434\u0438\u043d\u0430 "));
        byte[] tabs = new byte[9000];
        Arrays.fill(tabs, (byte) 9);
        o.writeBytes(tabs);
        o.writeBytes(Texts.cp1251("\u043a\u043e\u043d\u0435\u0446"));
        return o.toByteArray();
    }

    static int textSize(Suite s) throws Exception {
        return (Integer) Suite.call(s.canvas(), "textSize");
    }

    static int mode(Suite s) throws Exception {
        return (Integer) Suite.field(s.canvas(), "mode");
    }

    /** ScreenBack after ScreenForward returns exactly to the page before, all the way to the start. */
    private static void screenRoundTrip(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            List<Suite.Page> seen = new ArrayList<>();
            seen.add(s.page());
            for (int i = 0; i < 25; i++) {
                s.press(Suite.DOWN);
                Suite.Page p = s.page();
                Check.that(p.top > seen.get(seen.size() - 1).top, "ScreenForward moves on, page " + i);
                seen.add(p);
            }
            for (int i = seen.size() - 2; i >= 0; i--) {
                s.press(Suite.UP);
                Suite.Page p = s.page();
                if (!Check.that(p.sameAs(seen.get(i)), "ScreenBack returns to page " + i + ": " + p + "\n  instead of "
                        + seen.get(i))) return;
            }
            s.repeat(Suite.UP);
            Check.that(s.page().sameAs(seen.get(0)), "ScreenBack on the first page stays");
            // Forward again gives the same pages: going back left nothing behind.
            for (int i = 1; i < seen.size(); i++) {
                s.repeat(Suite.DOWN);
                if (!Check.that(s.page().sameAs(seen.get(i)), "ScreenForward again, page " + i)) return;
            }
        }
    }

    private static boolean shifted(Suite.Page before, Suite.Page after, int k) {
        int n = before.lines.size();
        if (after.lines.size() < n - k) return false;
        for (int i = k; i < n; i++) {
            if (!Arrays.equals(before.lines.get(i), after.lines.get(i - k))) return false;
        }
        return true;
    }

    /** LineForward moves the text up by exactly one line; LineBack undoes it, across pages too. */
    private static void lineSteps(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            s.press(Suite.DOWN);
            s.press(Suite.DOWN);
            List<Suite.Page> seen = new ArrayList<>();
            seen.add(s.page());
            int steps = seen.get(0).linesPerPage + 3;
            for (int i = 0; i < steps; i++) {
                s.press(Suite.RIGHT);
                Suite.Page p = s.page();
                Check.that(shifted(seen.get(seen.size() - 1), p, 1), "LineForward shifts by one line, step " + i + ": "
                        + p);
                seen.add(p);
            }
            for (int i = seen.size() - 2; i >= 0; i--) {
                s.repeat(Suite.LEFT);
                if (!Check.that(s.page().sameAs(seen.get(i)), "LineBack returns, step " + i + ": " + s.page())) return;
            }
            // LineBack over the top of a page reached by ScreenForward shows the previous page's last line.
            Suite.Page top = s.page();
            s.press(Suite.UP);
            Suite.Page previous = s.page();
            s.press(Suite.DOWN);
            s.press(Suite.LEFT);
            Suite.Page p = s.page();
            Check.that(Arrays.equals(p.lines.get(0), previous.lines.get(previous.lines.size() - 1)),
                    "LineBack from a page's top shows the previous page's last line: " + p);
            Check.that(p.top < top.top, "LineBack moves back");
        }
    }

    private static void halfSteps(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            s.press(Suite.RIGHT);
            Suite.Page before = s.page();
            int half = before.linesPerPage / 2;
            Check.that(half > 1, "a page of several lines: " + before.linesPerPage);
            s.press(Suite.DOWN);  // HalfScreenForward
            Suite.Page after = s.page();
            Check.that(shifted(before, after, half), "HalfScreenForward moves by half the page's lines: " + after);
            s.press(Suite.UP);  // HalfScreenBack
            Check.that(s.page().sameAs(before), "HalfScreenBack returns: " + s.page());
        }
    }

    static void goToPercent(Suite s, int percent) throws Exception {
        s.press(Suite.LEFT_SOFT);
        Check.equal(1, mode(s), "the left soft key opens the menu");
        s.press(Suite.FIRE);
        Check.equal(2, mode(s), "\"go to\" asks for a percentage");
        String digits = Integer.toString(percent);
        for (int i = 0; i < digits.length(); i++) s.press(digits.charAt(i));
        s.press(Suite.FIRE);
        Check.equal(0, mode(s), "the jump closes the menu");
    }

    /** Without a way back remembered, steps back lay the lines out from the paragraph start before them. */
    private static void backAfterJump(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            goToPercent(s, 50);
            Suite.Page p = s.page();
            int size = textSize(s);
            Check.that(p.top <= size / 2 && size / 2 - p.top < 200, "50% opens the line that holds the middle: " + p.top
                    + " of " + size);
            s.press(Suite.LEFT);
            Suite.Page q = s.page();
            Check.that(shifted(q, p, 1), "LineBack after a jump shows one line more above: " + q + "\n  then " + p);
            s.press(Suite.UP);
            Suite.Page r = s.page();
            Check.that(r.top < q.top, "ScreenBack after a jump moves back");
            for (int i = 0; i < r.linesPerPage; i++) s.press(Suite.RIGHT);
            Check.that(s.page().sameAs(q), "a screen of LineForward after ScreenBack comes back: " + s.page());
        }
    }

    private static void startAndEnd(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            Suite.Page first = s.page();
            for (int key : new int[] { Suite.UP, Suite.LEFT }) {
                s.press(key);
                Check.that(s.page().sameAs(first), "no step back from the first page");
            }
            int pages = 0;
            while (s.page().hasNext && pages < 1000) {
                s.press(Suite.DOWN);
                pages++;
            }
            Suite.Page last = s.page();
            Check.that(!last.hasNext && pages > 10, "the text's end is reached: " + pages + " pages");
            for (int key : new int[] { Suite.DOWN, Suite.RIGHT }) {
                s.press(key);
                Check.that(s.page().sameAs(last), "no step forward from the last page");
            }
            goToPercent(s, 100);
            Check.that(s.page().sameAs(last), "100% on the last page, the figure its system line shows, keeps it");
            goToPercent(s, 0);
            Check.that(s.page().sameAs(first), "0% opens the first page");
            goToPercent(s, 100);
            Suite.Page end = s.page();
            Check.that(end.sameAs(last), "100% shows the last page paging reaches, as the preview does: " + end);
            s.press(Suite.UP);
            Suite.Page before = s.page();
            s.press(Suite.DOWN);
            s.press(Suite.DOWN);
            s.press(Suite.UP);
            Check.that(s.page().sameAs(before) && before.next == end.top,
                    "a screen back from it is the page before it, as paging forward showed it: " + before);
        }
    }

    /** The place is kept on exit and on pause and found again by the next start of the same book. */
    private static void savedPlace(Path jar, Path otherJar) throws Exception {
        String install = "saved-place";
        Suite.Page kept;
        try (Suite s = new Suite(jar, 176, 220, install)) {
            for (int i = 0; i < 4; i++) s.press(Suite.DOWN);
            s.press(Suite.RIGHT);
            s.press(Suite.RIGHT);
            kept = s.page();
            s.press(Suite.RIGHT_SOFT);
            Check.that(s.ended(), "the right soft key ends the reader");
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "the book reopens where it was left: " + s.page() + "\n  instead of " + kept);
            s.press(Suite.DOWN);
            kept = s.page();
            javax.microedition.midlet.Launcher.pause(s.midlet);
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "a pause keeps the place");
            s.press(Suite.LEFT_SOFT);
            s.press(Suite.DOWN);
            s.press(Suite.FIRE);  // system line off
            Check.equal(220 / s.lineHeight, s.page().linesPerPage, "without the system line the page holds more lines");
            kept = s.page();
            s.press(Suite.LEFT_SOFT);
            s.press(Suite.UP);
            s.press(Suite.FIRE);  // up from the first item wraps to the last, "Выход"
            Check.that(s.ended(), "the menu's exit ends the reader");
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "the place and the system line's state are kept by the menu's exit");
        }
        try (Suite s = new Suite(otherJar, 176, 220, install)) {
            Check.equal(0, s.page().top, "a place saved for another text is not taken");
        }
    }

    /**
     * A page that opens on a wrapped title's second line opens on it again after a restart, the
     * line still a title's; so does a bookmark put there.
     */
    private static void placeInTitle(Path jar) throws Exception {
        String install = "title-place";
        Suite.Page kept = null;
        try (Suite s = new Suite(jar, 176, 220, install)) {
            for (int i = 0; i < 400 && kept == null; i++) {
                s.press(Suite.RIGHT);
                if ((s.page().topP & 0x100) != 0) kept = s.page();
            }
            Check.that(kept != null, "line steps reach a title's second line");
            s.press(Suite.RIGHT_SOFT);
        }
        try (Suite s = new Suite(jar, 176, 220, install)) {
            Check.that(s.page().sameAs(kept), "the book reopens on the title's line: " + s.page() + "\n  instead of " + kept);
        }
    }

    private static void menu(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            int lines = s.page().linesPerPage;
            Check.equal((220 - BAND) / s.lineHeight, lines, "the system line takes 6 rows");
            s.press(Suite.LEFT_SOFT);
            s.repeat(Suite.LEFT_SOFT);
            Check.equal(1, mode(s), "the menu is open");
            s.press(Suite.RIGHT_SOFT);
            Check.that(!s.ended() && mode(s) == 0, "the right soft key closes the menu without ending the reader");
            s.press(Suite.FIRE);
            Check.equal(1, mode(s), "the menu key (here the select key) opens the menu");
            for (int i = 0; i < 4; i++) s.press(Suite.UP);
            s.press(Suite.FIRE);  // up four times from the first of five items wraps to the second: the system line
            Check.equal(220 / s.lineHeight, s.page().linesPerPage, "the system line is off");
            Check.that(s.capture(null).getRGB(0, 0) != (0xFF000000 | BAND_COLOR), "the band is gone");
            goToPercent(s, 250);  // typed digits stop at 100
            Check.that(!s.page().hasNext, "a percentage above 100 opens the end");
            s.press(Suite.LEFT_SOFT);
            s.press(Suite.FIRE);
            s.press(Suite.LEFT);
            s.press(Suite.UP);
            s.press(Suite.RIGHT_SOFT);
            Check.that(!s.page().hasNext && mode(s) == 0, "a cancelled jump stays where it was");
        }
    }

    private static void windowed(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            Check.that(!Phone.isFullScreen(), "full-screen mode only when the record asks for it");
            Check.equal((220 - Phone.normalModeBars) / s.lineHeight, s.page().linesPerPage, "the canvas's own height counts");
            s.press(Suite.DOWN);
            Phone.resize(240, 320);
            Suite.Page p = s.page();
            Check.equal((320 - Phone.normalModeBars) / s.lineHeight, p.linesPerPage, "a new screen size is laid out anew");
            Check.equal(240, s.capture(null).getWidth(), "the picture has the new size");
            Phone.resize(3, 4);
            Check.equal(0, s.page().lines.size(), "a screen too small for a line shows none");
            s.press(Suite.DOWN);
            s.press(Suite.LEFT_SOFT);
            s.capture(null);
        }
    }

    private static void tinyBooks(Path emptyJar, Path oneJar) throws Exception {
        for (Path jar : new Path[] { emptyJar, oneJar }) {
            boolean empty = jar == emptyJar;
            String name = empty ? "empty book" : "one-letter book";
            for (int[] size : new int[][] { { 176, 220 }, { 12, 40 }, { 1, 1 } }) {
                try (Suite s = new Suite(jar, size[0], size[1])) {
                    Suite.Page p = s.page();
                    if (size[0] > 1) {
                        // The letter's line is closed by CR LF in the book, which shows as blanks.
                        StringBuilder shown = new StringBuilder();
                        for (byte[] line : p.lines) shown.append(new String(line, Texts.CP1251));
                        boolean one = empty ? p.lines.size() == 1 && p.lines.get(0).length == 0
                                            : shown.toString().strip().equals("A") && shown.charAt(0) == 'A';
                        Check.that(one && !p.hasNext, name + " shows its one line: " + p);
                    }
                    for (int key : new int[] { Suite.UP, Suite.DOWN, Suite.LEFT, Suite.RIGHT }) {
                        s.press(key);
                        s.repeat(key);
                        Check.that(s.page().sameAs(p), name + ": nothing to move to");
                    }
                    for (int percent : new int[] { 0, 50, 100 }) {
                        goToPercent(s, percent);
                        Check.that(s.page().sameAs(p), name + ": a jump to " + percent + "% stays");
                    }
                    s.press(Suite.LEFT_SOFT);
                    s.capture(null);
                }
            }
        }
    }

    /** Control bytes take no room; even long runs of them never stop reading from moving forward. */
    private static void controlBytes(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            List<Suite.Page> seen = new ArrayList<>();
            seen.add(s.page());
            while (seen.get(seen.size() - 1).hasNext && seen.size() < 2000) {
                s.press(Suite.DOWN);
                Suite.Page p = s.page();
                if (!Check.that(p.top > seen.get(seen.size() - 1).top, "reading moves forward: " + p.top)) return;
                for (byte[] line : p.lines) Check.that(line.length <= 8192 + 176, "a line stays bounded: " + line.length);
                seen.add(p);
            }
            Suite.Page last = seen.get(seen.size() - 1);
            Check.that(!last.hasNext, "the end is reached after " + seen.size() + " pages");
            // The book closes the text's last line with CR LF, which shows as blanks at most.
            byte[] end = new byte[0];
            for (int i = seen.size() - 1; i >= 0 && end.length == 0; i--) {
                List<byte[]> lines = seen.get(i).lines;
                for (int n = lines.size() - 1; n >= 0 && end.length == 0; n--)
                    if (!new String(lines.get(n), Texts.CP1251).isBlank()) end = lines.get(n);
            }
            Check.that(new String(end, Texts.CP1251).stripTrailing().endsWith("\u043a\u043e\u043d\u0435\u0446"),
                    "the last line ends the text: " + Texts.printable(end));
            for (int i = seen.size() - 2; i >= 0; i--) {
                s.press(Suite.UP);
                if (!Check.that(s.page().sameAs(seen.get(i)), "ScreenBack returns to page " + i)) return;
            }
        }
    }

    private static String joined(Suite.Page p) {
        StringBuilder b = new StringBuilder();
        for (byte[] line : p.lines) {
            String s = new String(line, Texts.CP1251);
            b.append(s.endsWith("-") ? s.substring(0, s.length() - 1) : s + " ");
        }
        return b.toString();
    }

    private static void acrossPieces(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            s.page();
            Check.equal("{text/chunk.0=1}", s.loader.pieceReads.toString(), "the first page reads the first piece only");
            String word = new String(Texts.boundaryWord(), Texts.CP1251);
            boolean found = false;
            for (int i = 0; i < 400 && !found; i++) {
                Suite.Page p = s.page();
                found = p.top < 32767 && p.next > 32767 && joined(p).contains(word);
                if (!found) s.press(Suite.DOWN);
            }
            Check.that(found, "the word across the piece boundary is shown whole");
            Check.that(s.piecesHeld() <= 2, "at most two pieces are held");
            s.press(Suite.RIGHT);
            s.press(Suite.LEFT);
            s.press(Suite.UP);
            Check.equal("{text/chunk.0=1, text/chunk.1=1}", s.loader.pieceReads.toString(),
                    "stepping around the boundary reads each piece once");
        }
    }

    private static void elevenPieces(Path jar) throws Exception {
        try (Suite s = new Suite(jar, 240, 320)) {
            int pages = 0;
            int maxHeld = 0;
            while (s.page().hasNext && pages < 5000) {
                s.press(Suite.DOWN);
                pages++;
                maxHeld = Math.max(maxHeld, s.piecesHeld());
            }
            Check.equal(11, s.loader.pieceReads.size(), "every piece is read");
            Check.equal(11, s.loader.totalPieceReads(), "paging forward reads each piece once");
            Check.that(maxHeld <= 2, "at most two pieces are held: " + maxHeld);
            Check.that(s.loader.pieceReads.containsKey("text/chunk.10"), "the eleventh piece is chunk.10");
            int back = 0;
            while (s.page().top > 0 && back < 5000) {
                s.press(Suite.UP);
                back++;
            }
            Check.equal(pages, back, "as many pages back as forward");
            Check.that(s.loader.totalPieceReads() <= 22, "paging back reads each piece about once more: "
                    + s.loader.totalPieceReads());
            goToPercent(s, 50);
            Check.that(Math.abs(s.page().top - textSize(s) / 2) < 400, "50% of eleven pieces");
            goToPercent(s, 100);
            Check.that(!s.page().hasNext, "100% of eleven pieces");
            Check.that(s.piecesHeld() <= 2, "still at most two pieces");
        }
    }

    /** No key code, pressed or repeated, in any state of the reader, makes it throw. */
    private static void everyKey(Path[] jars) throws Exception {
        for (Path jar : jars) {
            Suite s = new Suite(jar, 128, 160);
            try {
                for (int code = -30; code <= 200; code++) {
                    // The page, the menu, "go to", the bookmark list, and what to do with a bookmark.
                    for (int state = 0; state < 5; state++) {
                        if (s.ended()) {
                            s.close();
                            s = new Suite(jar, 128, 160);
                        }
                        if (state >= 1) s.press(Suite.LEFT_SOFT);
                        if (state >= 3) {
                            s.press(Suite.DOWN);
                            s.press(Suite.DOWN);
                        }
                        if (state >= 2) s.press(Suite.FIRE);
                        if (state == 4) {
                            s.press(Suite.FIRE);  // adds a bookmark (or says there is no room for more)
                            s.press(Suite.FIRE);
                        }
                        final Suite current = s;
                        final int key = code;
                        Check.run("key " + code + " in state " + state, () -> {
                            current.press(key);
                            current.capture(null);
                            if (!current.ended()) {
                                current.repeat(key);
                                current.capture(null);
                            }
                        });
                        for (int i = 0; i < 3 && !s.ended() && mode(s) != 0; i++) s.press(Suite.RIGHT_SOFT);
                    }
                }
            } finally {
                s.close();
            }
        }
    }

    /** A picture of a page, kept for a person to look at, and the colours where they belong. */
    private static void screen(Path jar, Path screens) throws Exception {
        try (Suite s = new Suite(jar, 176, 220)) {
            BufferedImage img = s.capture(null);
            Suite.savePng(img, screens.resolve("sample-176x220.png"));
            Check.equal(BAND_COLOR, img.getRGB(0, 0) & 0xFFFFFF, "the system line's band at the top");
            Check.equal(BACKGROUND, img.getRGB(175, 219) & 0xFFFFFF, "the book's background");
            List<int[]> glyphs = new ArrayList<>();
            s.capture(glyphs);
            Check.that(glyphs.size() > 100, "the page is drawn glyph by glyph: " + glyphs.size());
            Check.that(glyphs.get(0)[3] == BAND, "the first line starts below the band");
            s.press(Suite.LEFT_SOFT);
            Suite.savePng(s.capture(null), screens.resolve("sample-menu.png"));
            s.press(Suite.FIRE);
            s.press('4');
            s.press('2');
            Suite.savePng(s.capture(null), screens.resolve("sample-goto.png"));
        }
    }
}
