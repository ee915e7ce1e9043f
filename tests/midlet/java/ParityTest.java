import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The reader lays out every page exactly as the desktop preview does: for each text, font,
 * screen size and system line, page after page from the start to the end, the lines (as bytes),
 * the page starts, the lines per page and the end of the text agree, and the glyphs the reader
 * draws are those lines.
 */
final class ParityTest {
    private ParityTest() {}

    private static final class Case {
        final String name;
        final Path jar;
        final Path pages;
        final int width;
        final int height;
        final boolean bandTop;

        Case(String name, Path jar, Path pages, int width, int height, boolean bandTop) {
            this.name = name;
            this.jar = jar;
            this.pages = pages;
            this.width = width;
            this.height = height;
            this.bandTop = bandTop;
        }
    }

    static void run(Books books, byte[] sample) throws Exception {
        Check.group("parity with the desktop preview");
        Books.FontFace sans = books.font("sans8", "DejaVu Sans", 8, false, 0xE0F0FF);
        Books.FontFace serif = books.font("serif12b", "DejaVu Serif", 12, true, 0x203040);
        books.run();

        List<Path> texts = new ArrayList<>();
        texts.add(books.writeText("sample", sample));
        texts.add(books.writeText("words", Texts.words()));
        texts.add(books.writeText("breaks", Texts.breaks()));
        texts.add(books.writeText("runs", Texts.runs()));
        for (int seed = 1; seed <= 6; seed++) texts.add(books.writeText("random" + seed, Texts.random(seed, 2500 + 300 * seed)));

        List<Case> cases = new ArrayList<>();
        int[][] screens = { { 128, 160, 0 }, { 240, 320, 1 }, { 176, 220, -1 } };
        for (Path text : texts) {
            for (Books.FontFace font : new Books.FontFace[] { sans, serif }) {
                for (int s = 0; s < 2; s++) {
                    int[] screen = screens[(s + texts.indexOf(text)) % 3];
                    cases.add(add(books, text, font, screen[0], screen[1], screen[2]));
                }
            }
            // A screen narrower than some characters: the guards against lines that cannot be broken.
            cases.add(add(books, text, serif, 12, 60, -1));
        }
        Path across = books.writeText("across", Texts.acrossPieces(sample));
        cases.add(add(books, across, sans, 176, 220, 0));
        cases.add(add(books, across, serif, 128, 160, 1));
        Path eleven = books.writeText("eleven", Texts.long_(sample, 10 * 32767 + 4321));
        cases.add(add(books, eleven, sans, 240, 320, 1));
        // Texts saved elsewhere than on Windows: the book holds them as the preview reads them.
        byte[] longText = Texts.long_(sample, 40000);
        Path lf = books.writeText("lf", Texts.withBreaks(longText, "\n"));
        cases.add(add(books, lf, sans, 176, 220, 0));
        cases.add(add(books, lf, serif, 128, 160, -1));
        Path cr = books.writeText("cr", Texts.withBreaks(sample, "\r"));
        cases.add(add(books, cr, sans, 240, 320, 1));
        Path zero = books.writeText("zero", Texts.withZero(Texts.withBreaks(longText, "\n"), 20000));
        cases.add(add(books, zero, sans, 128, 160, 1));

        // Books whose words are split by the hyphenation dictionaries: Russian and English prose,
        // titles and section breaks, the text's own soft hyphens, and the guards on a narrow screen.
        List<Path> hyphenated = new ArrayList<>();
        hyphenated.add(books.writeText("sample-dictionary", sample));
        hyphenated.add(books.writeText("english-dictionary", Texts.english()));
        hyphenated.add(books.writeText("words-dictionary", Texts.words()));
        hyphenated.add(books.writeText("marked-dictionary", Texts.marked()));
        hyphenated.add(books.writeText("random-dictionary", Texts.random(7, 4000)));
        for (Path text : hyphenated) {
            int i = hyphenated.indexOf(text);
            cases.add(add(books, text, sans, screens[i % 3][0], screens[i % 3][1], screens[i % 3][2], true));
            cases.add(add(books, text, serif, screens[(i + 1) % 3][0], screens[(i + 1) % 3][1], screens[(i + 1) % 3][2], true));
            cases.add(add(books, text, serif, 40, 90, -1, true));
        }
        // A converted FB2 book: its titles stand centred on the phone where the preview centres them.
        Path fb2 = books.convert(books.writeText("titled.fb2", Texts.titledFb2()));
        List<Case> titled = new ArrayList<>();
        for (int[] screen : screens) titled.add(add(books, fb2, sans, screen[0], screen[1], screen[2], true));
        titled.add(add(books, fb2, serif, 128, 160, 1));
        cases.addAll(titled);
        // The same marked text with the vowel rule: the marks do not depend on the hyphenation.
        cases.add(add(books, hyphenated.get(3), sans, 128, 160, 0));
        books.run();

        // The book shows what it is there for: centred lines, a page opening on a title's line, and
        // a title wider than the screen going on centred on the next line.
        for (Case c : titled) {
            List<Books.Page> got = Books.readPages(c.pages);
            Check.that(got.stream().anyMatch(p -> !p.lineX.isEmpty() && p.lineX.get(0) > 0), c.name + ": a title at a page's top");
            // Only a title's lines are ever moved in, so one without the mark goes on a wrapped title.
            Check.that(got.stream().anyMatch(p -> {
                for (int i = 0; i < p.lines.size(); i++) {
                    if (p.lineX.get(i) > 0 && p.lines.get(i).length > 0 && p.lines.get(i)[0] != 1) return true;
                }
                return false;
            }), c.name + ": a title that wraps");
        }

        int pages = 0;
        for (Case c : cases) pages += compare(c);
        Check.that(pages > 1500, "pages compared: " + pages);
        System.out.println("   " + cases.size() + " books, " + pages + " pages compared");
    }

    private static Case add(Books books, Path text, Books.FontFace font, int w, int h, int syslineIndex) throws Exception {
        return add(books, text, font, w, h, syslineIndex, false);
    }

    private static Case add(Books books, Path text, Books.FontFace font, int w, int h, int syslineIndex,
            boolean dictionary) throws Exception {
        Books.Profile p = new Books.Profile().size(w, h).sysline(syslineIndex).dictionary(dictionary);
        Path jar = books.book(text, font, p);
        int sysline = syslineIndex < 0 ? 0 : syslineIndex + 1;
        Path dump = books.pages(text, font, w, h, sysline, dictionary);
        String name = text.getFileName() + " " + font.name + " " + w + "x" + h + " sysline " + sysline
                + (dictionary ? " dictionary" : "");
        return new Case(name, jar, dump, w, h, syslineIndex == 0);
    }

    /** Pages through one book; stops at its first difference. Returns the pages compared. */
    private static int compare(Case c) throws Exception {
        List<Books.Page> expected = Books.readPages(c.pages);
        int compared = 0;
        try (Suite s = new Suite(c.jar, c.width, c.height)) {
            for (int i = 0; i < expected.size(); i++) {
                Books.Page e = expected.get(i);
                Suite.Page got = s.page();
                String where = c.name + ", page " + (i + 1);
                boolean ok = Check.equal(e.start, got.top + 1, where + ": page start")
                        && Check.equal(e.linesPerPage, got.linesPerPage, where + ": lines per page")
                        && sameLines(e.lines, got.lines, where)
                        && Check.equal(e.down.equals("1"), got.hasNext, where + ": a next page")
                        && Check.that(!got.hasNext || e.next == got.next + 1, where + ": next page start")
                        && drawn(s, got, e.lineX, c, where);
                if (!ok) return compared;
                compared++;
                s.press(Suite.DOWN);
            }
            Suite.Page last = s.page();
            Check.equal(expected.get(expected.size() - 1).start, last.top + 1, c.name + ": stays on the last page");
        }
        return compared;
    }

    private static boolean sameLines(List<byte[]> expected, List<byte[]> got, String where) {
        if (expected.size() != got.size()) {
            return Check.equal(expected.size(), got.size(), where + ": number of lines");
        }
        for (int i = 0; i < expected.size(); i++) {
            if (!Arrays.equals(expected.get(i), got.get(i))) {
                return Check.equal(expected.get(i), got.get(i), where + ", line " + (i + 1));
            }
        }
        return Check.that(true, where);
    }

    /**
     * The glyphs painted are the page's lines: one drawRegion per visible character, in place, each
     * line beginning where the preview begins it (`lineX`: a title's lines stand centred).
     */
    static boolean drawn(Suite s, Suite.Page page, List<Integer> lineX, Case c, String where) {
        List<int[]> log = new ArrayList<>();
        s.capture(log);
        List<int[]> want = expectedGlyphs(s, page, lineX, c.width, c.bandTop ? ReaderTest.BAND : 0);
        if (log.size() != want.size()) return Check.equal(want.size(), log.size(), where + ": glyphs drawn");
        for (int i = 0; i < want.size(); i++) {
            if (!Arrays.equals(want.get(i), log.get(i))) return Check.equal(want.get(i), log.get(i), where + ": glyph " + i);
        }
        return true;
    }

    static List<int[]> expectedGlyphs(Suite s, Suite.Page page, List<Integer> lineX, int width, int top) {
        List<int[]> want = new ArrayList<>();
        int stripWidth = s.stripWidth;
        for (int n = 0; n < page.lines.size(); n++) {
            int x = n < lineX.size() ? lineX.get(n) : 0;
            for (byte b : page.lines.get(n)) {
                int ch = b & 0xFF;
                if (x >= width) break;
                if (ch < 32 || s.widths[ch] == 0) continue;
                if (s.offsets[ch] < stripWidth) {
                    want.add(new int[] { s.offsets[ch], Math.min(s.widths[ch], stripWidth - s.offsets[ch]), x,
                            top + n * s.lineHeight });
                }
                x += s.widths[ch];
            }
        }
        return want;
    }

    static byte[] read(Path p) throws Exception {
        return Files.readAllBytes(p);
    }
}
