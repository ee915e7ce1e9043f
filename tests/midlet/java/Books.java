import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * Books for the tests, made by the C++ side (midlet_book_tool): glyph fonts rendered by the font
 * strip generator, packages built by the book builder on the template archive, and the desktop
 * preview's pages of a text. Jobs are collected and run in one call of the tool.
 */
final class Books {
    /** A glyph font: its folder holds fonts/default.props and fonts/default.png. */
    static final class FontFace {
        final String name;
        final String family;
        final int points;
        final boolean bold;
        final Path folder;

        FontFace(String name, String family, int points, boolean bold, Path folder) {
            this.name = name;
            this.family = family;
            this.points = points;
            this.bold = bold;
            this.folder = folder;
        }
    }

    /** The phone of a book: its keys and reading actions, as a profile gives them. */
    static final class Profile {
        int width = 176;
        int height = 220;
        boolean fullScreen = true;
        int leftSoft = Suite.LEFT_SOFT;
        int rightSoft = Suite.RIGHT_SOFT;
        int menu = Suite.FIRE;
        int up = 2;
        int down = 5;
        int left = 0;
        int right = 3;
        /** 0 top, 1 bottom, -1 none. */
        int syslineIndex = 0;
        int background = 0xE0F0FF;
        /** Words split by the hyphenation dictionaries rather than by the vowel rule. */
        boolean dictionary;

        Profile dictionary(boolean on) {
            dictionary = on;
            return this;
        }

        Profile size(int w, int h) {
            width = w;
            height = h;
            return this;
        }

        Profile sysline(int index) {
            syslineIndex = index;
            return this;
        }

        Profile actions(int u, int d, int l, int r) {
            up = u;
            down = d;
            left = l;
            right = r;
            return this;
        }
    }

    private final Path tool;
    private final Path template;
    final Path work;
    private final List<String> jobs = new ArrayList<>();
    private int counter;

    Books(Path tool, Path template, Path work) throws IOException {
        this.tool = tool;
        this.template = template;
        this.work = work;
        deleteTree(work);
        Files.createDirectories(work);
    }

    static void deleteTree(Path p) throws IOException {
        if (!Files.exists(p)) return;
        try (var walk = Files.walk(p)) {
            for (Path q : walk.sorted((a, b) -> b.getNameCount() - a.getNameCount()).toList()) Files.delete(q);
        }
    }

    Path writeText(String name, byte[] bytes) throws IOException {
        Path dir = work.resolve("texts");
        Files.createDirectories(dir);
        Path p = dir.resolve(name);
        Files.write(p, bytes);
        return p;
    }

    /** Queues the text the program lays an FB2, EPUB or HTML `book` out into; returns its path. */
    Path convert(Path book) {
        Path out = work.resolve("texts").resolve(book.getFileName() + ".txt");
        jobs.add(String.join("\t", "convert", book.toString(), out.toString()));
        return out;
    }

    FontFace font(String name, String family, int points, boolean bold, int background) {
        Path folder = work.resolve("font-" + name);
        jobs.add(String.join("\t", "font", folder.toString(), family, "" + points, bold ? "1" : "0", "" + background));
        return new FontFace(name, family, points, bold, folder);
    }

    /** Queues a book of `text` in `font` for `profile`; returns the package's path. */
    Path book(Path text, FontFace font, Profile p) throws IOException {
        String id = "book" + (++counter);
        Path folder = work.resolve(id);
        Files.createDirectories(folder);
        Path jar = folder.resolve(id + ".jar");
        Path build = folder.resolve("work");
        jobs.add("copyfonts\t" + font.folder + "\t" + build);
        jobs.add(String.join("\t", "book", template.toString(), text.toString(), build.toString(), jar.toString(),
                "" + p.width, "" + p.height, p.fullScreen ? "1" : "0", "" + p.leftSoft, "" + p.rightSoft, "" + p.menu,
                "" + p.up, "" + p.down, "" + p.left, "" + p.right, "" + p.syslineIndex, "" + p.background,
                p.dictionary ? "dictionary" : "simple"));
        return jar;
    }

    /** Queues the preview's pages of `text`; system line 0 hidden, 1 top, 2 bottom. */
    Path pages(Path text, FontFace font, int w, int h, int sysline) {
        return pages(text, font, w, h, sysline, false);
    }

    /** The same, with words split by the hyphenation dictionaries when `dictionary` is set. */
    Path pages(Path text, FontFace font, int w, int h, int sysline, boolean dictionary) {
        Path out = work.resolve("pages" + (++counter) + ".txt");
        jobs.add(String.join("\t", "pages", text.toString(), font.folder.toString(), "-", "-",
                "" + w, "" + h, "" + sysline, out.toString(), dictionary ? "dictionary" : "simple"));
        return out;
    }

    /** Queues the preview's one page from `start` (0-based, as the reader counts); system line as pages(). */
    Path pageFrom(Path text, FontFace font, int w, int h, int sysline, int start) {
        Path out = work.resolve("pages" + (++counter) + ".txt");
        jobs.add(String.join("\t", "pages", text.toString(), font.folder.toString(), "" + (start + 1), "-",
                "" + w, "" + h, "" + sysline, out.toString(), "simple"));
        return out;
    }

    /** Runs the queued jobs. Font folders are copied into a book's work folder before its build. */
    void run() throws IOException, InterruptedException {
        List<String> batch = new ArrayList<>();
        for (String job : jobs) {
            if (job.startsWith("copyfonts\t")) {
                flush(batch);
                String[] w = job.split("\t");
                Path from = Path.of(w[1], "fonts");
                Path to = Path.of(w[2], "fonts");
                Files.createDirectories(to);
                for (String f : new String[] { "default.props", "default.png" }) {
                    Files.copy(from.resolve(f), to.resolve(f), java.nio.file.StandardCopyOption.REPLACE_EXISTING);
                }
            } else {
                batch.add(job);
            }
        }
        flush(batch);
        jobs.clear();
    }

    private void flush(List<String> batch) throws IOException, InterruptedException {
        if (batch.isEmpty()) return;
        Path jobFile = work.resolve("jobs" + (++counter) + ".txt");
        Files.write(jobFile, batch, StandardCharsets.UTF_8);
        batch.clear();
        Process p = new ProcessBuilder(tool.toString(), jobFile.toString()).inheritIO().start();
        int rc = p.waitFor();
        if (rc != 0) throw new IOException("midlet_book_tool failed on " + jobFile + " with " + rc);
    }

    /** One page of the preview's dump. */
    static final class Page {
        int start;
        int next;
        String down;
        int linesPerPage;
        final List<byte[]> lines = new ArrayList<>();
        /** Where each line begins, in pixels. */
        final List<Integer> lineX = new ArrayList<>();
    }

    static List<Page> readPages(Path file) throws IOException {
        List<Page> pages = new ArrayList<>();
        Page page = null;
        for (String line : Files.readAllLines(file, StandardCharsets.US_ASCII)) {
            if (line.startsWith("page ")) {
                String[] w = line.split(" ");
                page = new Page();
                page.start = Integer.parseInt(w[1]);
                page.next = Integer.parseInt(w[2]);
                page.down = w[3];
                page.linesPerPage = Integer.parseInt(w[4]);
                pages.add(page);
            } else if (line.startsWith("L")) {
                String[] w = line.substring(2).split(" ", -1);
                String hex = w[0];
                page.lineX.add(w.length > 1 ? Integer.parseInt(w[1]) : 0);
                byte[] b = new byte[hex.length() / 2];
                for (int i = 0; i < b.length; i++) b[i] = (byte) Integer.parseInt(hex.substring(2 * i, 2 * i + 2), 16);
                page.lines.add(b);
            }
        }
        return pages;
    }
}
