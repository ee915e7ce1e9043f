import java.io.ByteArrayOutputStream;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * The contents on the stand-in phone: the "Содержание" row of the menu only in a book that has
 * contents, the list with its indents and percentages fitted to a 128-pixel screen, the chapter
 * being read chosen when it opens, a jump showing the preview's page for the title, the place kept,
 * and bookmarks named by their chapter.
 */
final class ContentsTest {
    private ContentsTest() {}

    private static final int MODE_CONTENTS = 6;
    private static final String CONTENTS = "\u0421\u043e\u0434\u0435\u0440\u0436\u0430\u043d\u0438\u0435";
    private static final int W = 128;
    private static final int H = 160;

    /** The titles of the book written below, as the list shows them (two blanks a level). */
    static final String[] ROWS = {
        "\u0427\u0430\u0441\u0442\u044c \u043f\u0435\u0440\u0432\u0430\u044f",  // Часть первая
        "  \u0413\u043b\u0430\u0432\u0430 1",
        "  \u0413\u043b\u0430\u0432\u0430 2",
        "\u0427\u0430\u0441\u0442\u044c \u0432\u0442\u043e\u0440\u0430\u044f",  // Часть вторая
        "  \u0413\u043b\u0430\u0432\u0430 3. \u041e \u0442\u043e\u043c, \u043a\u0430\u043a \u0434\u043b\u0438\u043d\u043d\u043e\u0435"
            + " \u043d\u0430\u0437\u0432\u0430\u043d\u0438\u0435 \u043d\u0435 \u0432\u043b\u0435\u0437\u0430\u0435\u0442",
        "  \u0413\u043b\u0430\u0432\u0430 4",
    };

    static void run(Books books, byte[] sample, Path screens) throws Exception {
        Check.group("contents on the stand-in phone");
        Books.FontFace sans = books.font("c-sans8", "DejaVu Sans", 8, false, 0xE0F0FF);
        books.run();
        List<Integer> positions = new ArrayList<>();
        byte[] text = chapters(sample, positions);
        Path textFile = books.writeText("c-chapters", text);
        Books.Profile small = new Books.Profile().size(W, H).sysline(0);
        Path jar = books.book(textFile, sans, small);
        Path plainJar = books.book(books.writeText("c-plain", sample), sans, small);
        List<Path> previews = new ArrayList<>();
        for (int pos : positions) previews.add(books.pageFrom(textFile, sans, W, H, 1, pos));  // the band on top
        // A book's text as the layout writes it: titles marked, some of two lines, spacer lines around.
        List<Integer> markedPositions = new ArrayList<>();
        byte[] marked = marked(sample, markedPositions);
        Path markedFile = books.writeText("c-marked", marked);
        Path markedJar = books.book(markedFile, sans, small);
        List<Path> markedPreviews = new ArrayList<>();
        for (int pos : markedPositions) markedPreviews.add(books.pageFrom(markedFile, sans, W, H, 1, pos));
        books.run();
        Check.run("marked titles", () -> markedTitles(markedJar, markedPositions, markedPreviews));

        Check.run("no contents, no menu row", () -> noContents(plainJar));
        Check.run("the list, the jump and the bookmark", () -> list(jar, text, positions, previews, screens));
    }

    /** Parts with chapters of the sample's paragraphs; the title lines' positions go to `positions`. */
    private static byte[] chapters(byte[] sample, List<Integer> positions) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (int i = 0; i < ROWS.length; i++) {
            String title = ROWS[i].trim();
            if (!title.startsWith("\u0413")) out.writeBytes(Texts.cp1251("\r\n"));
            positions.add(out.size());
            out.writeBytes(Texts.cp1251(title + "\r\n"));
            if (!title.startsWith("\u0413")) out.writeBytes(Texts.cp1251("\r\n"));
            else out.writeBytes(sample);
        }
        return out.toByteArray();
    }

    private static byte[] marked(byte[] sample, List<Integer> positions) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (int i = 1; i <= 5; i++) {
            out.writeBytes(Texts.cp1251(i == 1 ? "" : "\u0002\r\n"));
            positions.add(out.size());
            out.writeBytes(Texts.cp1251("\u0001\u0413\u043b\u0430\u0432\u0430 " + i + "\r\n"));
            if (i % 2 == 0) out.writeBytes(Texts.cp1251("\u0001\u0412\u0442\u043e\u0440\u0430\u044f \u0441\u0442\u0440\u043e\u043a\u0430\r\n"));
            out.writeBytes(Texts.cp1251("\u0002\r\n"));
            out.writeBytes(sample);
        }
        return out.toByteArray();
    }

    /** Every title of a marked text in the list, each jump the preview's page from the title. */
    private static void markedTitles(Path jar, List<Integer> positions, List<Path> previews) throws Exception {
        try (Suite s = new Suite(jar, W, H)) {
            for (int i = 0; i < positions.size(); i++) {
                openContents(s);
                List<String> rows = rows(s, "tocRows");
                Check.equal(positions.size(), rows.size(), "a row a title: " + rows);
                String title = "\u0413\u043b\u0430\u0432\u0430 " + (i + 1)
                        + (i % 2 == 1 ? " \u0412\u0442\u043e\u0440\u0430\u044f \u0441\u0442\u0440\u043e\u043a\u0430" : "");
                String shown = rows.get(i).substring(0, rows.get(i).lastIndexOf(' ')).replace("\u2026", "");
                Check.that(shown.startsWith("\u0413\u043b\u0430\u0432\u0430 " + (i + 1)) && title.startsWith(shown),
                        "a title of two lines is one row (cut to the screen): " + rows.get(i));
                int row = (Integer) Suite.field(s.canvas(), "tocRow");
                while (row != i) {
                    s.press(Suite.DOWN);
                    row = (Integer) Suite.field(s.canvas(), "tocRow");
                }
                s.press(Suite.FIRE);
                Suite.Page got = s.page();
                Books.Page preview = Books.readPages(previews.get(i)).get(0);
                Check.equal(positions.get(i), got.top, "the page begins with title " + (i + 1));
                boolean same = preview.lines.size() == got.lines.size();
                for (int k = 0; same && k < got.lines.size(); k++) same = java.util.Arrays.equals(preview.lines.get(k), got.lines.get(k));
                Check.that(same, "title " + (i + 1) + ": the preview's page " + got);
            }
        }
    }

    private static List<String> rows(Suite s, String field) throws Exception {
        List<String> out = new ArrayList<>();
        for (byte[] row : (byte[][]) Suite.field(s.canvas(), field)) out.add(new String(row, Texts.CP1251));
        return out;
    }

    private static void noContents(Path jar) throws Exception {
        try (java.util.zip.ZipFile z = new java.util.zip.ZipFile(jar.toFile())) {
            Check.that(z.getEntry("toc") == null, "a book without headings carries no contents");
        }
        try (Suite s = new Suite(jar, W, H)) {
            List<String> menu = rows(s, "menuRows");
            Check.equal(5, menu.size(), "the menu keeps its five rows: " + menu);
            Check.that(!menu.contains(CONTENTS), "no \"Содержание\" row");
        }
    }

    private static void openContents(Suite s) throws Exception {
        s.press(Suite.LEFT_SOFT);
        s.press(Suite.DOWN);
        s.press(Suite.FIRE);
        Check.equal(MODE_CONTENTS, ReaderTest.mode(s), "the menu's second row opens the contents");
    }

    private static void list(Path jar, byte[] text, List<Integer> positions, List<Path> previews, Path screens)
            throws Exception {
        String install = "contents";
        Suite.Page chosen;
        try (Suite s = new Suite(jar, W, H, install)) {
            Check.equal(CONTENTS, rows(s, "menuRows").get(1), "\"Содержание\" is the menu's second row");
            openContents(s);
            Suite.savePng(s.capture(null), screens.resolve("contents-128x160.png"));
            List<String> rows = rows(s, "tocRows");
            Check.equal(ROWS.length, rows.size(), "one row a title: " + rows);
            for (int i = 0; i < rows.size() && i < ROWS.length; i++) {
                String row = rows.get(i);
                String percent = " " + (int) ((long) positions.get(i) * 100 / text.length) + "%";
                Check.that(row.endsWith(percent), "the row ends with its title's place: " + row + " /" + percent);
                String title = row.substring(0, row.length() - percent.length());
                boolean cut = title.endsWith("\u2026");
                if (cut) title = title.substring(0, title.length() - 1);
                Check.that(ROWS[i].startsWith(title) && (!cut || ROWS[i].charAt(title.length()) == ' ')
                        && (cut || title.equals(ROWS[i])), "the title, indented, cut only at a word: " + row);
                Check.that(s.textWidth(row) <= W - 8, "the row fits the list on " + W + " pixels: " + row);
            }
            Check.that(rows.size() > 4 && rows.get(4).contains("\u2026"), "the long title is cut: " + rows);
            Check.equal(0, Suite.field(s.canvas(), "tocRow"), "at the start the first title is chosen");

            // Down to the long chapter and in: the page the preview shows from its title.
            for (int i = 0; i < 4; i++) s.press(Suite.DOWN);
            s.press(Suite.FIRE);
            Check.equal(0, ReaderTest.mode(s), "choosing a title closes the list");
            chosen = s.page();
            Books.Page preview = Books.readPages(previews.get(4)).get(0);
            Check.equal(positions.get(4), chosen.top, "the page begins with the title");
            Check.equal(preview.lines.size(), chosen.lines.size(), "as many lines as the preview's page");
            for (int i = 0; i < Math.min(preview.lines.size(), chosen.lines.size()); i++) {
                Check.equal(preview.lines.get(i), chosen.lines.get(i), "the preview's line " + (i + 1));
            }

            s.press(Suite.DOWN);
            s.press(Suite.DOWN);
            openContents(s);
            Check.equal(4, Suite.field(s.canvas(), "tocRow"), "reading on in a chapter, the list opens at it");
            s.press(Suite.RIGHT_SOFT);
            Check.equal(0, ReaderTest.mode(s), "the right soft key closes the list");

            // A bookmark here is named by the chapter, fitted to the screen.
            s.press(Suite.LEFT_SOFT);
            for (int i = 0; i < 3; i++) s.press(Suite.DOWN);
            s.press(Suite.FIRE);
            s.press(Suite.FIRE);
            String name = new String(((byte[][]) Suite.field(s.canvas(), "markName"))[0], Texts.CP1251);
            Check.that(name.startsWith("\u0413\u043b\u0430\u0432\u0430 3. ") && name.contains("\u2026 \u00b7 ")
                    && name.endsWith("%") && s.textWidth(name) <= W - 8, "the bookmark is named by its chapter: " + name);
            s.press(Suite.RIGHT_SOFT);

            ReaderTest.goToPercent(s, 0);
            openContents(s);
            s.press(Suite.UP);  // wraps round to the last title
            s.press(Suite.FIRE);
            chosen = s.page();
            Check.equal(positions.get(5), chosen.top, "the last title's page");
            Check.that(Books.readPages(previews.get(5)).get(0).lines.size() == chosen.lines.size(),
                    "the last title's page as the preview shows it");
        }
        try (Suite s = new Suite(jar, W, H, install)) {
            Check.that(s.page().sameAs(chosen), "the place after a jump is kept: " + s.page());
        }
    }
}
