import java.util.Calendar;
import java.util.Date;

import javax.microedition.lcdui.Canvas;
import javax.microedition.lcdui.Font;
import javax.microedition.lcdui.Graphics;
import javax.microedition.lcdui.Image;

/**
 * The reading screen: the page in the book's glyph font on the book's background, the system line
 * with the time and the reading progress, the keys, and the small menu of the left soft key.
 */
final class ReaderCanvas extends Canvas implements Runnable {
    /** Height of the system-line band in pixels. */
    static final int BAND_HEIGHT = 6;
    private static final int BAND_COLOR = 0xCCE4FF;
    private static final int BAND_INK = 0x204080;
    private static final int BAND_FILL = 0x4080D0;
    private static final int ANCHOR = Graphics.TOP | Graphics.LEFT;
    private static final int TRANS_NONE = 0;

    // The settings record.
    private static final int RECORD_SIZE = 27;
    /**
     * Stands in for a missing or cut record: no text, a white page in full screen, the common soft
     * keys -6 and -7, and the usual reading actions of the direction keys.
     */
    private static final String DEFAULT_RECORD = "\u0000\u0000\u0000\u0000\u0000\u00ff\u00ff\u00ff\u0000\u0000\u0000\u0000\u0001\u00fa\u00f9\u0000\u0002\u0005\u0000\u0003\u0000\u0000\u00ff\u007f\u0000\u0000\u0000";

    // Reading actions of the direction keys.
    private static final int LINE_BACK = 0;
    private static final int HALF_SCREEN_BACK = 1;
    private static final int SCREEN_BACK = 2;
    private static final int LINE_FORWARD = 3;
    private static final int HALF_SCREEN_FORWARD = 4;
    private static final int SCREEN_FORWARD = 5;

    // What the screen shows on top of the page.
    private static final int MODE_PAGE = 0;
    private static final int MODE_MENU = 1;
    private static final int MODE_PERCENT = 2;

    private static final int MODE_MARKS = 3;
    private static final int MODE_MARK = 4;
    private static final int MODE_MESSAGE = 5;
    private static final int MODE_CONTENTS = 6;

    private static final String[] MENU = {
        "\u041f\u0435\u0440\u0435\u0439\u0442\u0438 \u043a\u2026",
        "\u0421\u0438\u0441\u0442\u0435\u043c\u043d\u0430\u044f \u043f\u043e\u043b\u043e\u0441\u0430",
        "\u0417\u0430\u043a\u043b\u0430\u0434\u043a\u0438",
        "\u041d\u043e\u0447\u043d\u043e\u0439 \u0440\u0435\u0436\u0438\u043c",
        "\u0412\u044b\u0445\u043e\u0434",
        "\u0421\u043e\u0434\u0435\u0440\u0436\u0430\u043d\u0438\u0435",
    };
    private static final int ITEM_GO_TO = 0;
    private static final int ITEM_SYSLINE = 1;
    private static final int ITEM_MARKS = 2;
    private static final int ITEM_NIGHT = 3;
    private static final int ITEM_EXIT = 4;
    private static final int ITEM_CONTENTS = 5;
    /** What can be done with a bookmark chosen in the list. */
    private static final String[] MARK_MENU = {
        "\u041f\u0435\u0440\u0435\u0439\u0442\u0438",
        "\u0423\u0434\u0430\u043b\u0438\u0442\u044c",
    };
    /** The first row of the bookmark list. */
    private static final String ADD_MARK = "\u0414\u043e\u0431\u0430\u0432\u0438\u0442\u044c \u0437\u0430\u043a\u043b\u0430\u0434\u043a\u0443";
    static final String[] STORE_FULL = {
        "\u041f\u0430\u043c\u044f\u0442\u044c \u0442\u0435\u043b\u0435\u0444\u043e\u043d\u0430 \u0437\u0430\u043f\u043e\u043b\u043d\u0435\u043d\u0430,",
        "\u0437\u0430\u043a\u043b\u0430\u0434\u043a\u0438 \u043d\u0435 \u0441\u043e\u0445\u0440\u0430\u043d\u0435\u043d\u044b",
    };
    private static final String[] TOO_MANY_MARKS = {
        "\u041d\u0435 \u0431\u043e\u043b\u0435\u0435 32 \u0437\u0430\u043a\u043b\u0430\u0434\u043e\u043a",
    };
    private static final String[] NO_MEMORY = {
        "\u041d\u0435 \u0445\u0432\u0430\u0442\u0430\u0435\u0442 \u043f\u0430\u043c\u044f\u0442\u0438",
    };
    static final int MAX_MARKS = 32;
    /** Characters of the page's beginning in a bookmark's name. */
    private static final int LABEL_CHARS = 22;
    /** The place is written this long after reading last moved. */
    static final int SAVE_DELAY = 3000;

    // Digits, colon and percent sign of the band, 3 x 5 pixels, rows from the top, 3 bits a row.
    private static final int[] DIGITS = {
        0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9, 0x79CF, 0x79EF, 0x7292, 0x7BEF, 0x7BCF,
    };
    private static final int PERCENT_SIGN = 0x52A5;

    private final BookReader midlet;
    private final int background;
    private final int leftSoft;
    private final int rightSoft;
    private final int menuKey;
    private final int[] actions = new int[4];
    private final boolean bandAtTop;
    boolean bandShown;
    /** Light glyphs on a dark page: every colour inverted, the glyphs from an inverted strip. */
    boolean night;

    private final BookText text;
    private final PageLayout layout;
    private final Image strip;
    private Image nightStrip;
    private final int stripWidth;
    private final int lineHeight;
    private final int[] offsets = new int[256];
    private final int[] widths = new int[256];
    private final int ink;

    private int mode = MODE_PAGE;
    /** The menu's rows and the item of each: the contents come second, and only in a book that has them. */
    private final byte[][] menuRows;
    private final int[] rowItem;
    private int menuItem;
    private int percent;
    /** The figure the go-to box opened with: choosing it again leaves the page where it is. */
    private int percentShown;
    private boolean percentTyped;
    private String[] message;

    // Bookmarks in reading order: the page's top line and last taken character, and the name.
    int markCount;
    final int[] markPos = new int[MAX_MARKS];
    final int[] markP = new int[MAX_MARKS];
    final byte[][] markName = new byte[MAX_MARKS][];
    /** The row chosen in the bookmark list; row 0 adds a bookmark, row i + 1 is bookmark i. */
    private int markRow;

    // The contents as the book carries them, and where each title's entry starts in them.
    private final byte[] toc;
    private final int[] tocAt;
    private int tocCount;
    /** The contents list as last opened, fitted to the screen's width, and its chosen row. */
    private byte[][] tocRows;
    private int tocRow;

    private Thread clock;
    /** When the place is to be written; 0 while nothing is waiting. */
    private long saveAt;
    ReaderCanvas(BookReader midlet) {
        this.midlet = midlet;
        byte[] record = BookText.readResource(this, "/config", RECORD_SIZE);
        if (record.length < RECORD_SIZE) {
            record = new byte[RECORD_SIZE];
            for (int i = 0; i < RECORD_SIZE; i++) record[i] = (byte) DEFAULT_RECORD.charAt(i);
        }

        background = ((record[7] & 0xFF) << 16) | ((record[6] & 0xFF) << 8) | (record[5] & 0xFF);
        setFullScreenMode(record[12] == 1);
        leftSoft = record[13];
        rightSoft = record[14];
        menuKey = record[15];
        for (int i = 0; i < 4; i++) actions[i] = record[16 + i];
        bandShown = record[26] != 0;
        bandAtTop = record[26] == 1;

        Image image = null;
        try {
            image = Image.createImage("/fonts/default.png");
        } catch (Exception e) {
            // no font: the page stays empty
        }
        strip = image;
        stripWidth = image == null ? 0 : image.getWidth();
        lineHeight = image == null ? 0 : image.getHeight();
        if (image != null) {
            byte[] props = BookText.readResource(this, "/fonts/default.props", 514);
            for (int c = 32; c < 256 && 3 + 2 * c < props.length; c++) {
                offsets[c] = (props[2 + 2 * c] & 0xFF) | ((props[3 + 2 * c] & 0xFF) << 8);
            }
            for (int c = 32; c < 256; c++) {
                int next = c < 255 ? offsets[c + 1] : stripWidth;
                widths[c] = next > offsets[c] ? next - offsets[c] : 0;
            }
        }
        ink = findInk();

        // Every piece but the last is 32767 bytes long: the record says so too, but a hand-edited
        // record is not believed (a larger length would only ask for memory no piece fills).
        text = new BookText(littleEndian(record, 0), 32767);
        // The book's layout rules beside the record: its byte 1 means that words are split only at
        // the soft hyphens the text holds. A book without the file keeps the vowel rule.
        layout = new PageLayout(text, widths, BookText.readResource(this, "/layout", 1).length > 0);

        // Per title: position (4 bytes, little-endian), length and the cp1251 title, indented by its level.
        toc = BookText.readResource(this, "/toc", 65536);
        tocAt = new int[toc.length / 5];
        for (int at = 0; at + 5 <= toc.length && at + 5 + (toc[at + 4] & 0xFF) <= toc.length; at += 5 + (toc[at + 4] & 0xFF)) {
            tocAt[tocCount++] = at;
        }
        rowItem = tocCount > 0 ? new int[] { 0, 5, 1, 2, 3, 4 } : new int[] { 0, 1, 2, 3, 4 };
        menuRows = new byte[rowItem.length][];
        for (int i = 0; i < rowItem.length; i++) menuRows[i] = toCp1251(MENU[rowItem[i]]);
    }

    static int littleEndian(byte[] b, int at) {
        return (b[at] & 0xFF) | ((b[at + 1] & 0xFF) << 8) | ((b[at + 2] & 0xFF) << 16) | ((b[at + 3] & 0xFF) << 24);
    }

    /** The colour of the font's ink: the pixel of a broad glyph farthest from the background. */
    private int findInk() {
        int[] candidates = { 0xC6, '#', 'W' };
        int best = -1;
        int bestDistance = 0;
        for (int i = 0; i < candidates.length && best < 0; i++) {
            int c = candidates[i];
            int w = widths[c];
            if (w <= 0 || offsets[c] + w > stripWidth || lineHeight <= 0) continue;
            int[] pixels = new int[w * lineHeight];
            strip.getRGB(pixels, 0, w, offsets[c], 0, w, lineHeight);
            for (int j = 0; j < pixels.length; j++) {
                int d = distance(pixels[j], background);
                if (d > bestDistance) {
                    bestDistance = d;
                    best = pixels[j] & 0xFFFFFF;
                }
            }
            if (bestDistance < 96) best = -1;
        }
        if (best >= 0) return best;
        return distance(background, 0) > 382 ? 0x000000 : 0xFFFFFF;
    }

    private static int distance(int a, int b) {
        int d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int x = ((a >> shift) & 0xFF) - ((b >> shift) & 0xFF);
            d += x < 0 ? -x : x;
        }
        return d;
    }

    // ---- State kept across runs ----

    PageLayout layout() {
        return layout;
    }

    int textSize() {
        return text.size();
    }

    /** Reopens the book at a saved place. */
    void restore(int pos, int p, boolean band, boolean dark) {
        if (pos >= 0 && (pos < text.size() || pos == 0)) layout.setTop(pos, p);
        bandShown = band;
        if (dark) setNight(true);
    }

    /**
     * Puts a bookmark into the list in reading order and returns its index; a place already marked
     * keeps its one bookmark. -1 when the list is full or the place lies outside the text.
     */
    int addMark(int pos, int p, byte[] name) {
        if (pos < 0 || (pos >= text.size() && pos != 0)) return -1;
        int at = 0;
        while (at < markCount && (markPos[at] < pos || (markPos[at] == pos && markP[at] < p))) at++;
        if (at < markCount && markPos[at] == pos && markP[at] == p) return at;
        if (markCount == MAX_MARKS) return -1;
        for (int i = markCount; i > at; i--) {
            markPos[i] = markPos[i - 1];
            markP[i] = markP[i - 1];
            markName[i] = markName[i - 1];
        }
        markPos[at] = pos;
        markP[at] = p;
        markName[at] = name;
        markCount++;
        return at;
    }

    private void removeMark(int at) {
        markCount--;
        for (int i = at; i < markCount; i++) {
            markPos[i] = markPos[i + 1];
            markP[i] = markP[i + 1];
            markName[i] = markName[i + 1];
        }
        markName[markCount] = null;
    }

    private int tocPos(int i) {
        return littleEndian(toc, tocAt[i]);
    }

    private byte[] tocTitle(int i) {
        int at = tocAt[i];
        byte[] title = new byte[toc[at + 4] & 0xFF];
        System.arraycopy(toc, at + 5, title, 0, title.length);
        return title;
    }

    /** The title the page at pos belongs to: the last one at or before it; -1 before the first. */
    private int chapterAt(int pos) {
        int i = tocCount - 1;
        while (i >= 0 && tocPos(i) > pos) i--;
        return i;
    }

    /**
     * A bookmark's name, fitted to the screen: the chapter, or in a book without contents the
     * page's first whole words, and the page's figure ("Глава 3 · 45%").
     */
    private byte[] markLabel() {
        String figure = " \u00b7 " + progress() + "%";
        int pos = layout.topPos();
        int chapter = chapterAt(pos);
        if (chapter >= 0) {
            byte[] title = tocTitle(chapter);
            int blanks = 0;
            while (title[blanks] == ' ') blanks++;  // the list's indent
            byte[] name = new byte[title.length - blanks];
            System.arraycopy(title, blanks, name, 0, name.length);
            return fitRow(name, figure);
        }
        byte[] words = new byte[LABEL_CHARS * 4];
        int n = 0;
        // A page that begins inside a word (split at the line's end) is named from the next whole one.
        if (pos > 0 && text.at(pos - 1) > ' ') {
            while (text.at(pos) > ' ') pos++;
        }
        while (n < words.length) {
            int c = text.at(pos++);
            if (c == BookText.END) break;
            if (c <= ' ') {
                if (n == 0 || words[n - 1] == ' ') continue;
                c = ' ';
            }
            words[n++] = (byte) c;
        }
        while (n > 0 && words[n - 1] == ' ') n--;
        byte[] head = new byte[n];
        System.arraycopy(words, 0, head, 0, n);
        return fitRow(head, figure);
    }

    /**
     * `head` and `tail` in one row no wider than a list's inside on this screen: a head too wide is
     * cut after its last whole word that fits, and an ellipsis shows the cut.
     */
    private byte[] fitRow(byte[] head, String tail) {
        byte[] end = toCp1251(tail);
        int room = getWidth() - 8 - textWidth(end);
        int n = head.length;
        boolean cut = textWidth(head) > room;
        if (cut) {
            room -= widths[0x85];
            int w = 0;
            int word = 0;
            for (n = 0; n < head.length && w + widths[head[n] & 0xFF] <= room; n++) {
                if (head[n] == ' ' && n > 0 && head[n - 1] != ' ') word = n;
                w += widths[head[n] & 0xFF];
            }
            if (word > 0) n = word;
        }
        byte[] row = new byte[n + (cut ? 1 : 0) + end.length];
        System.arraycopy(head, 0, row, 0, n);
        if (cut) row[n] = (byte) 0x85;
        System.arraycopy(end, 0, row, row.length - end.length, end.length);
        return row;
    }

    // ---- Screen ----

    /** Lays the page out for the canvas as it is now. */
    private void fitScreen() {
        int lines = 0;
        if (lineHeight > 0) {
            lines = (getHeight() - (bandShown ? BAND_HEIGHT : 0)) / lineHeight;
        }
        layout.setScreen(getWidth(), lines);
    }

    /** A colour as the current mode shows it. */
    private int shade(int rgb) {
        return night ? rgb ^ 0xFFFFFF : rgb;
    }

    /** Turns night reading on or off; without the memory for the inverted strip it stays off. */
    private void setNight(boolean on) {
        if (on && nightStrip == null && strip != null) {
            try {
                Image inverted = Image.createImage(stripWidth, lineHeight);
                Graphics g = inverted.getGraphics();
                int[] row = new int[stripWidth];
                for (int y = 0; y < lineHeight; y++) {
                    strip.getRGB(row, 0, stripWidth, 0, y, stripWidth, 1);
                    for (int x = 0; x < stripWidth; x++) row[x] ^= 0xFFFFFF;
                    g.drawRGB(row, 0, stripWidth, 0, y, stripWidth, 1, false);
                }
                nightStrip = inverted;
            } catch (OutOfMemoryError e) {
                show(NO_MEMORY);
                return;
            }
        }
        night = on;
    }

    protected void paint(Graphics g) {
        int w = getWidth();
        int h = getHeight();
        fitScreen();
        g.setClip(0, 0, w, h);
        g.setColor(shade(background));
        g.fillRect(0, 0, w, h);
        int top = bandShown && bandAtTop ? BAND_HEIGHT : 0;
        int n = layout.pageLines();
        for (int i = 0; i < n; i++) {
            byte[] line = layout.pageLine(i);
            drawText(g, line, layout.pageLineX(i), i * lineHeight + top, w);
        }
        if (bandShown) drawBand(g, w, bandAtTop ? 0 : h - BAND_HEIGHT);
        if (mode == MODE_MENU) {
            drawBox(g, w, h, menuRows, menuItem, true);
        } else if (mode == MODE_PERCENT) {
            drawBox(g, w, h, encode(new String[] { MENU[ITEM_GO_TO], percent + "%" }), 1, false);
        } else if (mode == MODE_MARKS) {
            byte[][] rows = new byte[markCount + 1][];
            rows[0] = toCp1251(ADD_MARK);
            for (int i = 0; i < markCount; i++) rows[i + 1] = markName[i];
            drawBox(g, w, h, rows, markRow, false);
        } else if (mode == MODE_MARK) {
            drawBox(g, w, h, encode(MARK_MENU), menuItem, false);
        } else if (mode == MODE_MESSAGE) {
            drawBox(g, w, h, encode(message), -1, false);
        } else if (mode == MODE_CONTENTS) {
            drawBox(g, w, h, tocRows, tocRow, false);
        }
    }

    private static byte[][] encode(String[] rows) {
        byte[][] out = new byte[rows.length][];
        for (int i = 0; i < rows.length; i++) out[i] = toCp1251(rows[i]);
        return out;
    }

    /** Draws cp1251 characters in the glyph font from (x, y) up to `right`; control characters are skipped. */
    private void drawText(Graphics g, byte[] chars, int x, int y, int right) {
        Image source = night ? nightStrip : strip;
        for (int i = 0; i < chars.length && x < right; i++) {
            int c = chars[i] & 0xFF;
            int w = widths[c];
            if (c < 32 || w <= 0) continue;
            int from = offsets[c];
            if (from < stripWidth) {
                int visible = from + w > stripWidth ? stripWidth - from : w;
                g.drawRegion(source, from, 0, visible, lineHeight, TRANS_NONE, x, y, ANCHOR);
            }
            x += w;
        }
    }

    private int textWidth(byte[] chars) {
        int w = 0;
        for (int i = 0; i < chars.length; i++) w += widths[chars[i] & 0xFF];
        return w;
    }

    /** The reading progress the system line shows: how much of the text lies before the next page. */
    int progress() {
        return layout.hasNextPage() ? layout.percentAt(layout.nextPageStart()) : 100;
    }

    /** The system line: the time on the left, then the reading progress as a bar and in percent. */
    private void drawBand(Graphics g, int w, int y) {
        g.setColor(shade(BAND_COLOR));
        g.fillRect(0, y, w, BAND_HEIGHT);
        g.setColor(shade(BAND_INK));
        Calendar now = Calendar.getInstance();
        now.setTime(new Date());
        int hours = now.get(Calendar.HOUR_OF_DAY);
        int minutes = now.get(Calendar.MINUTE);
        int x = 1;
        x = drawSymbol(g, DIGITS[hours / 10 % 10], x, y + 1);
        x = drawSymbol(g, DIGITS[hours % 10], x, y + 1);
        g.fillRect(x, y + 2, 1, 1);
        g.fillRect(x, y + 4, 1, 1);
        x += 2;
        x = drawSymbol(g, DIGITS[minutes / 10 % 10], x, y + 1);
        x = drawSymbol(g, DIGITS[minutes % 10], x, y + 1);

        int progress = progress();
        String number = progress + "%";
        int numberWidth = number.length() * 4;
        int barLeft = x + 3;
        int barRight = w - numberWidth - 3;
        if (barRight - barLeft >= 4) {
            g.drawRect(barLeft, y, barRight - barLeft, BAND_HEIGHT - 1);
            int inner = barRight - barLeft - 1;
            g.setColor(shade(BAND_FILL));
            g.fillRect(barLeft + 1, y + 1, inner * progress / 100, BAND_HEIGHT - 2);
            g.setColor(shade(BAND_INK));
            x = barRight + 2;
            for (int i = 0; i < number.length(); i++) {
                char c = number.charAt(i);
                x = drawSymbol(g, c == '%' ? PERCENT_SIGN : DIGITS[c - '0'], x, y + 1);
            }
        }
    }

    /** Draws one 3 x 5 symbol of the band with its top left at (x, y); returns the next x. */
    private static int drawSymbol(Graphics g, int bits, int x, int y) {
        for (int row = 0; row < 5; row++) {
            for (int col = 0; col < 3; col++) {
                if ((bits & (1 << (14 - row * 3 - col))) != 0) g.fillRect(x + col, y + row, 1, 1);
            }
        }
        return x + 4;
    }

    /**
     * A framed box in the middle of the screen with one row per text (cp1251); the row `selected`
     * is framed, and when the rows do not fit, the ones around it are shown. With `check`, the
     * rows of the system line and of night reading carry a box that is filled while they are on.
     */
    private void drawBox(Graphics g, int w, int h, byte[][] rows, int selected, boolean check) {
        Font font = null;
        int rowHeight = lineHeight;
        if (rowHeight <= 0) {
            font = Font.getDefaultFont();
            rowHeight = font.getHeight();
        }
        int mark = check ? rowHeight / 2 + 4 : 0;
        int fit = (h - 6) / (rowHeight + 2);
        if (fit < 1) fit = 1;
        int first = 0;
        int count = rows.length;
        if (count > fit) {
            first = selected - fit + 1;
            if (first < 0) first = 0;
            count = fit;
        }
        int inner = 0;
        for (int i = first; i < first + count; i++) {
            int rw = font == null ? textWidth(rows[i]) : font.stringWidth(fromCp1251(rows[i]));
            int item = check ? rowItem[i] : -1;
            if (item == ITEM_SYSLINE || item == ITEM_NIGHT) rw += mark;
            if (rw > inner) inner = rw;
        }
        int boxWidth = inner + 8;
        int boxHeight = count * (rowHeight + 2) + 6;
        if (boxWidth > w) boxWidth = w;
        int left = (w - boxWidth) / 2;
        int top = (h - boxHeight) / 2;
        if (top < 0) top = 0;
        g.setColor(shade(background));
        g.fillRect(left, top, boxWidth, boxHeight);
        g.setColor(shade(ink));
        g.drawRect(left, top, boxWidth - 1, boxHeight - 1);
        g.setClip(left + 1, top + 1, boxWidth - 2, boxHeight - 2);  // a name wider than the screen is cut
        for (int i = first; i < first + count; i++) {
            int y = top + 3 + (i - first) * (rowHeight + 2);
            if (font == null) {
                drawText(g, rows[i], left + 4, y + 1, left + boxWidth);
            } else {
                g.setFont(font);
                g.drawString(fromCp1251(rows[i]), left + 4, y + 1, ANCHOR);
            }
            if (i == selected) g.drawRect(left + 2, y, boxWidth - 5, rowHeight + 1);
            int item = check ? rowItem[i] : -1;
            if (item == ITEM_SYSLINE || item == ITEM_NIGHT) {
                int size = rowHeight / 2;
                int bx = left + boxWidth - 4 - size - 1;
                int by = y + 1 + (rowHeight - size) / 2;
                g.drawRect(bx, by, size, size);
                if (item == ITEM_SYSLINE ? bandShown : night) g.fillRect(bx + 2, by + 2, size - 3, size - 3);
            }
        }
    }

    /** The menu's texts in cp1251, the code page of the glyph strip. */
    static byte[] toCp1251(String s) {
        byte[] out = new byte[s.length()];
        for (int i = 0; i < out.length; i++) {
            int c = s.charAt(i);
            if (c >= 0x410 && c <= 0x44F) {
                c -= 0x350;
            } else if (c == 0x401) {
                c = 0xA8;
            } else if (c == 0x451) {
                c = 0xB8;
            } else if (c == 0x2026) {
                c = 0x85;
            } else if (c >= 0x80 && c != 0xB7) {
                c = '?';
            }
            out[i] = (byte) c;
        }
        return out;
    }

    /** cp1251 for the phone's own font, used only when the book has no glyph font. */
    private static String fromCp1251(byte[] b) {
        StringBuffer s = new StringBuffer();
        for (int i = 0; i < b.length; i++) {
            int c = b[i] & 0xFF;
            s.append((char) (c >= 0xC0 ? c + 0x350 : c == 0xA8 ? 0x401 : c == 0xB8 ? 0x451 : c == 0x85 ? 0x2026 : c));
        }
        return s.toString();
    }

    private void show(String[] text) {
        message = text;
        mode = MODE_MESSAGE;
    }

    // ---- Keys ----

    protected void keyPressed(int keyCode) {
        handleKey(keyCode, false);
    }

    protected void keyRepeated(int keyCode) {
        handleKey(keyCode, true);
    }

    /**
     * True when a key code matches a soft or menu key of the settings record, kept there as its low
     * 8 bits. Those keys have negative codes on MIDP phones; digits, * and # are positive and never
     * match, so a code like -202 (kept as 0x36) does not take over the key 6. A stored 0 matches nothing.
     */
    static boolean matches(int keyCode, int stored) {
        return stored != 0 && keyCode < 0 && (keyCode & 0xFF) == (stored & 0xFF);
    }

    private int gameActionOf(int keyCode) {
        try {
            return getGameAction(keyCode);
        } catch (IllegalArgumentException e) {
            return 0;
        }
    }

    private synchronized void handleKey(int keyCode, boolean repeated) {
        int pos = layout.topPos();
        int p = layout.topP();
        boolean band = bandShown;
        boolean dark = night;
        if (react(keyCode, repeated)) repaint();
        if (pos != layout.topPos() || p != layout.topP() || band != bandShown || dark != night) {
            // Written a little after reading settles, so that paging on does not write every page.
            saveAt = System.currentTimeMillis() + SAVE_DELAY;
            notify();
        }
    }

    /** Carries out a key; false when the key means nothing where the reader is. */
    private boolean react(int keyCode, boolean repeated) {
        fitScreen();
        boolean choose = matches(keyCode, leftSoft) || matches(keyCode, menuKey);
        boolean back = matches(keyCode, rightSoft);
        int action = gameActionOf(keyCode);
        if (mode == MODE_PAGE) {
            if (repeated && (choose || back)) return false;
            if (back) {
                midlet.exit();
                return false;
            }
            if (choose) {
                mode = MODE_MENU;
                menuItem = 0;
            } else if (action == UP) {
                perform(actions[0]);
            } else if (action == DOWN) {
                perform(actions[1]);
            } else if (action == LEFT) {
                perform(actions[2]);
            } else if (action == RIGHT) {
                perform(actions[3]);
            } else {
                return false;
            }
            return true;
        }
        if (mode == MODE_MESSAGE) {
            if (repeated) return false;
            mode = MODE_PAGE;
            return true;
        }
        if (mode == MODE_PERCENT) {
            if (back) {
                if (repeated) return false;
                mode = MODE_PAGE;
            } else if (keyCode >= KEY_NUM0 && keyCode <= KEY_NUM9) {
                // Digits first: on many phones the keypad's 2, 4, 5, 6 and 8 double as game keys.
                int digit = keyCode - KEY_NUM0;
                if (!percentTyped || percent >= 100) {
                    percent = digit;
                } else {
                    percent = percent * 10 + digit;
                    if (percent > 100) percent = 100;
                }
                percentTyped = true;
            } else if (choose || action == FIRE) {
                if (repeated) return false;
                mode = MODE_PAGE;
                // The box opens at the page's own figure: choosing that figure keeps the page.
                if (percent != percentShown) layout.jumpToPercent(percent);
            } else if (action == LEFT || action == RIGHT || action == UP || action == DOWN) {
                int step = action == LEFT ? -1 : action == RIGHT ? 1 : action == UP ? 10 : -10;
                percent += step;
                if (percent < 0) percent = 0;
                if (percent > 100) percent = 100;
                percentTyped = false;
            } else {
                return false;
            }
            return true;
        }
        // A list: the menu, the contents, the bookmarks or what to do with one bookmark.
        int rows = mode == MODE_MENU ? menuRows.length : mode == MODE_CONTENTS ? tocCount
                : mode == MODE_MARKS ? markCount + 1 : MARK_MENU.length;
        int row = mode == MODE_MARKS ? markRow : mode == MODE_CONTENTS ? tocRow : menuItem;
        if (back) {
            if (repeated) return false;
            mode = mode == MODE_MARK ? MODE_MARKS : MODE_PAGE;
        } else if (choose || action == FIRE) {
            if (repeated) return false;
            if (mode == MODE_MENU) {
                chooseMenuItem();
            } else if (mode == MODE_CONTENTS) {
                // The page that begins with the title, as the desktop preview shows it.
                layout.setTop(tocPos(tocRow), PageLayout.LF);
                mode = MODE_PAGE;
            } else if (mode == MODE_MARKS) {
                chooseMark();
            } else {
                chooseMarkAction();
            }
        } else if (action == UP || action == DOWN) {
            row = (row + (action == UP ? rows - 1 : 1)) % rows;
            if (mode == MODE_MARKS) markRow = row;
            else if (mode == MODE_CONTENTS) tocRow = row;
            else menuItem = row;
        } else {
            return false;
        }
        return true;
    }

    private void chooseMenuItem() {
        mode = MODE_PAGE;
        int item = rowItem[menuItem];
        if (item == ITEM_CONTENTS) {
            // Opens at the chapter being read, each title with its place in percent.
            mode = MODE_CONTENTS;
            tocRows = new byte[tocCount][];
            for (int i = 0; i < tocCount; i++) {
                tocRows[i] = fitRow(tocTitle(i), " " + layout.percentAt(tocPos(i)) + "%");
            }
            tocRow = chapterAt(layout.topPos());
            if (tocRow < 0) tocRow = 0;
        } else if (item == ITEM_GO_TO) {
            mode = MODE_PERCENT;
            percent = progress();
            percentShown = percent;
            percentTyped = false;
        } else if (item == ITEM_SYSLINE) {
            bandShown = !bandShown;
        } else if (item == ITEM_MARKS) {
            mode = MODE_MARKS;
            markRow = 0;
        } else if (item == ITEM_NIGHT) {
            setNight(!night);
        } else if (item == ITEM_EXIT) {
            midlet.exit();
        }
    }

    /** The bookmark list's first row adds one at the page shown; any other row offers its bookmark. */
    private void chooseMark() {
        if (markRow > 0) {
            mode = MODE_MARK;
            menuItem = 0;
            return;
        }
        int at = addMark(layout.topPos(), layout.topP(), markLabel());
        if (at < 0) {
            show(TOO_MANY_MARKS);
        } else if (!midlet.savePosition()) {
            removeMark(at);
            show(STORE_FULL);
        } else {
            markRow = at + 1;
        }
    }

    private void chooseMarkAction() {
        int at = markRow - 1;
        if (menuItem == 0) {
            layout.setTop(markPos[at], markP[at]);
            mode = MODE_PAGE;
            return;
        }
        int pos = markPos[at];
        int p = markP[at];
        byte[] name = markName[at];
        removeMark(at);
        mode = MODE_MARKS;
        if (markRow > markCount) markRow = markCount;
        if (!midlet.savePosition()) {
            addMark(pos, p, name);
            show(STORE_FULL);
        }
    }

    /** Carries out a reading action of a direction key; any other value does nothing. */
    void perform(int action) {
        int lines = layout.linesPerPage();
        int half = lines / 2 > 0 ? lines / 2 : 1;
        switch (action) {
        case LINE_BACK:
            layout.backLines(1);
            break;
        case HALF_SCREEN_BACK:
            layout.backLines(half);
            break;
        case SCREEN_BACK:
            layout.backLines(lines);
            break;
        case LINE_FORWARD:
            layout.forwardLines(1);
            break;
        case HALF_SCREEN_FORWARD:
            layout.forwardLines(half);
            break;
        case SCREEN_FORWARD:
            layout.forwardScreen();
            break;
        default:
            break;
        }
    }

    protected void sizeChanged(int w, int h) {
        repaint();
    }

    protected void hideNotify() {
        midlet.savePosition();
    }

    // ---- Clock and the place's timed save ----

    /** Starts the clock that repaints the system line when the minute changes and writes the place. */
    synchronized void startClock() {
        if (clock == null) {
            clock = new Thread(this);
            clock.start();
        }
    }

    synchronized void stopClock() {
        clock = null;
        saveAt = 0;
        notify();
    }

    public void run() {
        Thread self = Thread.currentThread();
        long minute = System.currentTimeMillis() / 60000;
        synchronized (this) {
            while (clock == self) {
                long now = System.currentTimeMillis();
                if (saveAt != 0 && saveAt <= now) {
                    saveAt = 0;
                    midlet.savePosition();
                }
                // Wake just after the next full minute, or when the place is due.
                long delay = 60000 - now % 60000 + 20;
                if (saveAt != 0 && saveAt - now < delay) delay = saveAt - now;
                try {
                    wait(delay);
                } catch (InterruptedException e) {
                    // look at the time again
                }
                long current = System.currentTimeMillis() / 60000;
                if (current != minute) {
                    minute = current;
                    if (bandShown && clock == self) repaint();
                }
            }
        }
    }
}
