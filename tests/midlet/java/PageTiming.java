import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * How long the reader takes to turn a page on the stand-in phone: a long Russian and English text
 * paged from its start to its end (key press and repaint), on a small and a large screen, with
 * the vowel rule and with dictionary hyphenation; with --before, books of another reader template
 * (one from before a change) with the vowel rule alongside. Best of several passes; prints
 * microseconds per page (-Dpasses=N sets the passes). A measurement, not a check: nothing here fails.
 */
final class PageTiming {
    private PageTiming() {}

    private static final int PASSES = Integer.getInteger("passes", 5);

    private static final class Book {
        final String name;
        final Path jar;
        final Path pages;
        final int width;
        final int height;
        final List<Long> perPage = new ArrayList<>();
        int count;

        Book(String name, Path jar, Path pages, int width, int height) {
            this.name = name;
            this.jar = jar;
            this.pages = pages;
            this.width = width;
            this.height = height;
        }
    }

    static void run(Books books, Books before, byte[] sample) throws Exception {
        Books.FontFace sans = books.font("sans8", "DejaVu Sans", 8, false, 0xE0F0FF);
        Books.FontFace serif = books.font("serif12b", "DejaVu Serif", 12, true, 0x203040);
        books.run();
        byte[] russian = Texts.long_(sample, 300000);
        byte[] english = Texts.english();
        byte[] text = new byte[russian.length + 12 * english.length];
        System.arraycopy(russian, 0, text, 0, russian.length);
        for (int i = 0; i < 12; i++) System.arraycopy(english, 0, text, russian.length + i * english.length, english.length);
        Path file = books.writeText("timing", text);

        List<Book> all = new ArrayList<>();
        Object[][] screens = { { sans, 128, 160 }, { serif, 240, 320 } };
        for (Object[] screen : screens) {
            Books.FontFace font = (Books.FontFace) screen[0];
            int w = (Integer) screen[1];
            int h = (Integer) screen[2];
            String where = w + "x" + h + " " + font.name;
            if (before != null) {
                Path jar = before.book(file, font, new Books.Profile().size(w, h).sysline(0));
                all.add(new Book(where + " before, simple", jar, books.pages(file, font, w, h, 1, false), w, h));
            }
            for (boolean dictionary : new boolean[] { false, true }) {
                Path jar = books.book(file, font, new Books.Profile().size(w, h).sysline(0).dictionary(dictionary));
                all.add(new Book(where + (dictionary ? " now, dictionary" : " now, simple"), jar,
                        books.pages(file, font, w, h, 1, dictionary), w, h));
            }
        }
        if (before != null) {
            before.run();
        }
        books.run();
        for (Book b : all) b.count = Books.readPages(b.pages).size();
        // Passes interleaved over the books, so that a busy moment of the machine falls on all alike.
        for (int pass = 0; pass < PASSES; pass++) {
            for (Book b : all) b.perPage.add(pageTime(b));
        }
        System.out.println("   microseconds per page turn (key press and repaint), best of " + PASSES + ":");
        for (Book b : all) {
            long best = b.perPage.stream().mapToLong(Long::longValue).min().orElse(0);
            System.out.printf("   %-32s %6d pages %8.1f%n", b.name, b.count, best / 1000.0);
        }
    }

    /** Nanoseconds per page turn over the whole book, from its first page to its last. */
    private static long pageTime(Book b) throws Exception {
        try (Suite s = new Suite(b.jar, b.width, b.height)) {
            s.capture(null);
            long start = System.nanoTime();
            for (int i = 1; i < b.count; i++) {
                s.press(Suite.DOWN);
                s.capture(null);
            }
            return (System.nanoTime() - start) / Math.max(1, b.count - 1);
        }
    }
}
