import java.io.ByteArrayOutputStream;
import java.nio.charset.Charset;
import java.util.Random;

/** The texts the tests read: cp1251 bytes, crafted for the layout rules or drawn at random. */
final class Texts {
    static final Charset CP1251 = Charset.forName("windows-1251");

    private Texts() {}

    static byte[] cp1251(String s) {
        return s.getBytes(CP1251);
    }

    /** A line's bytes for a failure message: letters as they are, other bytes as <n>. */
    static String printable(byte[] b) {
        StringBuilder s = new StringBuilder("\"");
        for (byte x : b) {
            int c = x & 0xFF;
            if (c >= 32 && c != '<') s.append(new String(new byte[] { x }, CP1251));
            else s.append('<').append(c).append('>');
        }
        return s.append('"').toString();
    }

    /** Hyphenation, break characters, digits and punctuation. */
    static byte[] words() {
        String s = "   \u041c\u043e\u043b\u043e\u043a\u043e \u043c\u043e\u043b\u043e\u043a\u043e, "
                + "\u0441\u0435\u0441\u0442\u0440\u0430 \u041c\u041e\u041b\u041e\u041a\u041e "
                + "\u043e\u0434\u0438\u043d,\u0434\u0432\u0430;\u0442\u0440\u0438:\u0447\u0435\u0442\u044b\u0440\u0435 "
                + "\u0434\u043e\u0441\u0442\u043e\u043f\u0440\u0438\u043c\u0435\u0447\u0430\u0442\u0435\u043b\u044c"
                + "\u043d\u043e\u0441\u0442\u044c \u043f\u0435\u0440\u0435\u043e\u0441\u0432\u0438\u0434\u0435"
                + "\u0442\u0435\u043b\u044c\u0441\u0442\u0432\u043e\u0432\u0430\u043d\u0438\u0435 "
                + "1234567890123456789012345678901234567890 (\u0441\u043a\u043e\u0431\u043a\u0438) "
                + "[\u043a\u0432\u0430\u0434\u0440\u0430\u0442] {\u0444\u0438\u0433\u0443\u0440\u043d\u044b\u0435} "
                + "\u00ab\u0451\u043b\u043a\u0430\u00bb \u2014 \u0442\u0438\u0440\u0435\u2026 a/b\\c=d+e>f "
                + "supercalifragilisticexpialidocious strength rhythm QUEUEING 'quoted' \"double\" "
                + "\u042d\u0442\u043e \u044b\u0439 \u044d\u044e\u044f \u0439\u043e\u0433\u0443\u0440\u0442!"
                + "\u0412\u043e\u043f\u0440\u043e\u0441? \u0434\u0430. \u0434\u0430.\u043d\u0435\u0442 "
                + "\u0440\u0430\u0437-\u0434\u0432\u0430-\u0442\u0440\u0438 e-mail x@y.z\r\n";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < 6; i++) b.append(s);
        return cp1251(b.toString());
    }

    /** English prose with long words, hyphenated compounds, digits and capitals. */
    static byte[] english() {
        String s = "   The brother was warning everyone that the ship, braced against the wind, "
                + "would never reach the harbour before nightfall. Extraordinary circumstances, "
                + "however, demanded an uncompromising decision: twenty-seven sailors, 1234567 coins "
                + "and INTERNATIONALISATION of the merchant's responsibilities.\r\n";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < 8; i++) b.append(s);
        return cp1251(b.toString());
    }

    /**
     * A book as the converters lay it out: titles (byte 1 at the line's start) of one and two lines,
     * long titles, empty screen lines (a line of byte 2), a title at the very start, paragraphs
     * with the text's own soft hyphens.
     */
    static byte[] marked() {
        String title = "\u0001\u0413\u043b\u0430\u0432\u0430 ";
        String para = "   \u041a\u0430\u043f\u0438\u0442\u0430\u043d \u0432\u044b\u0448\u0435\u043b "
                + "\u0432 \u043c\u043e\u0440\u0435 \u043d\u0430 \u044f\u0445\u0442\u0435 "
                + "\u00ab\u0411\u0435\u0434\u0430\u00bb, \u0438 \u043f\u0435\u0440\u0435"
                + "\u00ad\u043e\u0441\u0432\u0438\u00ad\u0434\u0435\u00ad\u0442\u0435\u043b\u044c"
                + "\u00ad\u0441\u0442\u0432\u043e\u00ad\u0432\u0430\u00ad\u043d\u0438\u0435 "
                + "\u043f\u0440\u043e\u0448\u043b\u043e \u0431\u043b\u0430\u0433\u043e\u043f\u043e"
                + "\u043b\u0443\u0447\u043d\u043e.\r\n";
        StringBuilder b = new StringBuilder();
        for (int i = 1; i <= 12; i++) {
            if (i > 1) b.append("\u0002\r\n");
            b.append(title).append(i).append("\r\n");
            if (i % 3 == 0) b.append("\u0001\u0414\u043e\u0441\u0442\u043e\u043f\u0440\u0438\u043c\u0435"
                    + "\u0447\u0430\u0442\u0435\u043b\u044c\u043d\u043e\u0441\u0442\u0438 \u0438 "
                    + "\u043f\u0440\u0438\u043a\u043b\u044e\u0447\u0435\u043d\u0438\u044f "
                    + "\u043a\u0430\u043f\u0438\u0442\u0430\u043d\u0430 \u0412\u0440\u0443\u043d"
                    + "\u0433\u0435\u043b\u044f\r\n");
            b.append("\u0002\r\n");
            for (int k = 0; k < i % 4 + 1; k++) b.append(para);
            if (i % 2 == 0) b.append("\u0002\r\n").append(para);
        }
        return cp1251(b.toString());
    }

    /**
     * An FB2 book whose titles the converter marks: a two-line title at the very start, titles too
     * long for a small screen's line, and sections of growing length, so that on every screen some
     * title lands at a page's top and some in the middle of one.
     */
    static byte[] titledFb2() {
        StringBuilder b = new StringBuilder("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                + "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><description><title-info>"
                + "<book-title>Тестовый FB2</book-title><lang>ru</lang></title-info></description><body>"
                + "<title><p>Авторский коллектив</p><p>Тестовый FB2</p></title>");
        String para = "<p>Капитан вышел в море на яхте «Беда», и путешествие прошло благополучно, "
                + "хотя ветер не раз менялся.</p>";
        for (int i = 1; i <= 14; i++) {
            b.append("<section><title><p>Глава ").append(i).append("</p>");
            if (i % 3 == 0) b.append("<p>О достопримечательностях и приключениях капитана Врунгеля в дальних странах</p>");
            b.append("</title>");
            for (int k = 0; k < i % 5 + 1; k++) b.append(para);
            if (i % 4 == 0) b.append("<empty-line/>").append(para);
            b.append("</section>");
        }
        b.append("</body></FictionBook>\n");
        return b.toString().getBytes(java.nio.charset.StandardCharsets.UTF_8);
    }

    /** Line breaks, indentation, blank runs and control characters in every combination. */
    static byte[] breaks() {
        ByteArrayOutputStream o = new ByteArrayOutputStream();
        String[] parts = {
            "A\r\nB\r\n", "A\r\n\r\nB\r\n", "A\r\n\r\n\r\nB\r\n", "     \u043f\u044f\u0442\u044c \u043f\u0440\u043e\u0431\u0435\u043b\u043e\u0432\r\n",
            "\u043e\u0434\u0438\u043d\u043e\u0447\u043d\u044b\u0439 LF\n\u0434\u0430\u043b\u044c\u0448\u0435\n\n", "\u043e\u0434\u0438\u043d\u043e\u0447\u043d\u044b\u0439 CR\r\u0434\u0430\u043b\u044c\u0448\u0435\r\r",
            "CR CR LF\r\r\n\u0441\u043b\u043e\u0432\u043e\r\n", "tab\t\u0432\u043d\u0443\u0442\u0440\u0438\t\t\u0441\u0442\u0440\u043e\u043a\u0438\r\n",
            "\u0443\u043f\u0440\u0430\u0432\u043b\u044f\u044e\u0449\u0438\u0435\u0001\u0002\u001f\u0441\u0438\u043c\u0432\u043e\u043b\u044b\r\n",
            "\u043c\u043d\u043e\u0433\u043e      \u043f\u0440\u043e\u0431\u0435\u043b\u043e\u0432     \u043f\u043e\u0434\u0440\u044f\u0434   \r\n",
            "\r\n\r\n\r\n\r\n", "  \u0434\u0432\u0430\r\n", " \u043e\u0434\u0438\u043d\r\n", "\t\u0442\u0430\u0431\r\n",
            "\u043a\u043e\u043d\u0435\u0446 \u0431\u0435\u0437 \u043f\u0435\u0440\u0435\u0432\u043e\u0434\u0430 \u0441\u0442\u0440\u043e\u043a\u0438",
        };
        for (int round = 0; round < 8; round++) {
            for (String p : parts) o.writeBytes(cp1251(p));
            o.writeBytes(cp1251(" \u0441\u043b\u043e\u0432\u0430 \u0434\u043b\u044f \u0440\u0430\u0437\u0431\u0438\u0432\u043a\u0438 \u0441\u0442\u0440\u043e\u043a".repeat(round + 1)));
        }
        return o.toByteArray();
    }

    /** Runs with no break or hyphenation point, wider than any screen. */
    static byte[] runs() {
        StringBuilder b = new StringBuilder();
        b.append("1".repeat(300)).append(' ').append("*".repeat(200)).append("\r\n");
        b.append("_".repeat(200)).append(" WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\u0428\u0428\u0428\u0428\u0428\u0428\u0428\u0428\u0428\u0428 @@@@@@@@@@@@@@@@\r\n");
        b.append("   ").append("\u0416".repeat(80)).append("\r\n").append("a ".repeat(50)).append("\u0429\u0429\u0429 w\r\n");
        return cp1251(b.toString());
    }

    /** Text of the given length drawn from letters, blanks, punctuation and line breaks. */
    static byte[] random(long seed, int length) {
        Random r = new Random(seed);
        byte[] out = new byte[length];
        for (int i = 0; i < length; i++) {
            int k = r.nextInt(100);
            int c;
            if (k < 40) c = 224 + r.nextInt(32);            // lower-case Cyrillic
            else if (k < 46) c = 192 + r.nextInt(32);       // capitals
            else if (k < 54) c = 'a' + r.nextInt(26);
            else if (k < 70) c = ' ';
            else if (k < 78) c = ",.;:!?-()+=/\\>}]'\"*".charAt(r.nextInt(19));
            else if (k < 82) c = '0' + r.nextInt(10);
            else if (k < 86) c = 13;
            else if (k < 90) c = 10;
            else if (k < 92) c = 1 + r.nextInt(31);
            else if (k < 94) c = 128 + r.nextInt(64);
            else c = 184;                                    // ё
            out[i] = (byte) c;
        }
        return out;
    }

    /** The sample repeated with numbered paragraphs until it holds `length` bytes. */
    static byte[] long_(byte[] sample, int length) {
        ByteArrayOutputStream o = new ByteArrayOutputStream();
        int n = 0;
        while (o.size() < length) {
            o.writeBytes(cp1251("   " + (++n) + ". "));
            o.writeBytes(sample);
        }
        byte[] b = o.toByteArray();
        return java.util.Arrays.copyOf(b, length);
    }

    /** A text of a little more than one piece with a long word across the piece boundary. */
    static byte[] acrossPieces(byte[] sample) {
        byte[] word = cp1251("\u043f\u0435\u0440\u0435\u043e\u0441\u0432\u0438\u0434\u0435\u0442\u0435\u043b\u044c\u0441\u0442\u0432\u043e\u0432\u0430\u043d\u0438\u0435");
        byte[] b = long_(sample, 40000);
        int at = 32767 - word.length / 2;
        b[at - 1] = ' ';
        System.arraycopy(word, 0, b, at, word.length);
        b[at + word.length] = ' ';
        return b;
    }

    /** The word placed across the boundary by acrossPieces. */
    static byte[] boundaryWord() {
        return cp1251("\u043f\u0435\u0440\u0435\u043e\u0441\u0432\u0438\u0434\u0435\u0442\u0435\u043b\u044c\u0441\u0442\u0432\u043e\u0432\u0430\u043d\u0438\u0435");
    }

    /** The text with every CR LF written as `lineBreak` instead (a lone LF, a lone CR). */
    static byte[] withBreaks(byte[] text, String lineBreak) {
        java.nio.charset.Charset bytes = java.nio.charset.StandardCharsets.ISO_8859_1;
        return new String(text, bytes).replace("\r\n", lineBreak).getBytes(bytes);
    }

    /** The text with a zero byte in place of the byte at `at`: left out by the preview and the book alike. */
    static byte[] withZero(byte[] text, int at) {
        byte[] b = text.clone();
        b[at] = 0;
        return b;
    }
}
