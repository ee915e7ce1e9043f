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
    private static final byte[] DEFAULT_RECORD = {
        0, 0, 0, 0, 0, (byte) 0xFF, (byte) 0xFF, (byte) 0xFF, 0, 0, 0, 0, 1, -6, -7, 0, 2, 5, 0, 3, 0, 0,
        (byte) 0xFF, 0x7F, 0, 0, 0,
    };

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

    private static final String[] MENU = {
        "\u041f\u0435\u0440\u0435\u0439\u0442\u0438 \u043a\u2026",
        "\u0421\u0438\u0441\u0442\u0435\u043c\u043d\u0430\u044f \u043f\u043e\u043b\u043e\u0441\u0430",
        "\u0412\u044b\u0445\u043e\u0434",
    };
    private static final int ITEM_GO_TO = 0;
    private static final int ITEM_SYSLINE = 1;
    private static final int ITEM_EXIT = 2;

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
    private boolean bandShown;

    private final BookText text;
    private final PageLayout layout;
    private final Image strip;
    private final int stripWidth;
    private final int lineHeight;
    private final int[] offsets = new int[256];
    private final int[] widths = new int[256];
    private final int ink;

    private int mode = MODE_PAGE;
    private int menuItem;
    private int percent;
    private boolean percentTyped;

    private volatile Thread clock;

    ReaderCanvas(BookReader midlet) {
        this.midlet = midlet;
        byte[] record = BookText.readResource(this, "/config", RECORD_SIZE);
        if (record.length < RECORD_SIZE) record = DEFAULT_RECORD;

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

        text = new BookText(littleEndian(record, 0), littleEndian(record, 22));
        layout = new PageLayout(text, widths);
    }

    private static int littleEndian(byte[] b, int at) {
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

    boolean bandShown() {
        return bandShown;
    }

    /** Reopens the book at a saved place. */
    void restore(int pos, int p, boolean band) {
        if (pos >= 0 && (pos < text.size() || pos == 0)) layout.setTop(pos, p);
        bandShown = band;
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

    protected void paint(Graphics g) {
        int w = getWidth();
        int h = getHeight();
        fitScreen();
        g.setClip(0, 0, w, h);
        g.setColor(background);
        g.fillRect(0, 0, w, h);
        int top = bandShown && bandAtTop ? BAND_HEIGHT : 0;
        int n = layout.pageLines();
        for (int i = 0; i < n; i++) {
            byte[] line = layout.pageLine(i);
            drawText(g, line, line.length, 0, i * lineHeight + top, w);
        }
        if (bandShown) drawBand(g, w, bandAtTop ? 0 : h - BAND_HEIGHT);
        if (mode == MODE_MENU) {
            drawBox(g, w, h, MENU, menuItem, true);
        } else if (mode == MODE_PERCENT) {
            drawBox(g, w, h, new String[] { MENU[ITEM_GO_TO], percent + "%" }, 1, false);
        }
    }

    /** Draws `count` cp1251 characters in the glyph font from (x, y); control characters are skipped. */
    private void drawText(Graphics g, byte[] chars, int count, int x, int y, int right) {
        for (int i = 0; i < count && x < right; i++) {
            int c = chars[i] & 0xFF;
            int w = widths[c];
            if (c < 32 || w <= 0) continue;
            int source = offsets[c];
            if (source < stripWidth) {
                int visible = source + w > stripWidth ? stripWidth - source : w;
                g.drawRegion(strip, source, 0, visible, lineHeight, TRANS_NONE, x, y, ANCHOR);
            }
            x += w;
        }
    }

    private int textWidth(byte[] chars) {
        int w = 0;
        for (int i = 0; i < chars.length; i++) w += widths[chars[i] & 0xFF];
        return w;
    }

    /** The system line: the time on the left, then the reading progress as a bar and in percent. */
    private void drawBand(Graphics g, int w, int y) {
        g.setColor(BAND_COLOR);
        g.fillRect(0, y, w, BAND_HEIGHT);
        g.setColor(BAND_INK);
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

        int progress = layout.hasNextPage() ? layout.percentAt(layout.nextPageStart()) : 100;
        String number = progress + "%";
        int numberWidth = number.length() * 4;
        int barLeft = x + 3;
        int barRight = w - numberWidth - 3;
        if (barRight - barLeft >= 4) {
            g.drawRect(barLeft, y, barRight - barLeft, BAND_HEIGHT - 1);
            int inner = barRight - barLeft - 1;
            g.setColor(BAND_FILL);
            g.fillRect(barLeft + 1, y + 1, inner * progress / 100, BAND_HEIGHT - 2);
            g.setColor(BAND_INK);
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
     * A framed box in the middle of the screen with one row per text; the row `selected` is framed.
     * With `check`, the system-line row carries a box that is filled while the band is shown.
     */
    private void drawBox(Graphics g, int w, int h, String[] rows, int selected, boolean check) {
        Font font = null;
        int rowHeight = lineHeight;
        if (rowHeight <= 0) {
            font = Font.getDefaultFont();
            rowHeight = font.getHeight();
        }
        int mark = check ? rowHeight / 2 + 4 : 0;
        int inner = 0;
        byte[][] encoded = new byte[rows.length][];
        for (int i = 0; i < rows.length; i++) {
            encoded[i] = toCp1251(rows[i]);
            int rw = font == null ? textWidth(encoded[i]) : font.stringWidth(rows[i]);
            if (i == ITEM_SYSLINE && check) rw += mark;
            if (rw > inner) inner = rw;
        }
        int boxWidth = inner + 8;
        int boxHeight = rows.length * (rowHeight + 2) + 6;
        if (boxWidth > w) boxWidth = w;
        int left = (w - boxWidth) / 2;
        int top = (h - boxHeight) / 2;
        if (top < 0) top = 0;
        g.setColor(background);
        g.fillRect(left, top, boxWidth, boxHeight);
        g.setColor(ink);
        g.drawRect(left, top, boxWidth - 1, boxHeight - 1);
        for (int i = 0; i < rows.length; i++) {
            int y = top + 3 + i * (rowHeight + 2);
            if (font == null) {
                drawText(g, encoded[i], encoded[i].length, left + 4, y + 1, left + boxWidth);
            } else {
                g.setFont(font);
                g.drawString(rows[i], left + 4, y + 1, ANCHOR);
            }
            if (i == selected) g.drawRect(left + 2, y, boxWidth - 5, rowHeight + 1);
            if (check && i == ITEM_SYSLINE) {
                int size = rowHeight / 2;
                int bx = left + boxWidth - 4 - size - 1;
                int by = y + 1 + (rowHeight - size) / 2;
                g.drawRect(bx, by, size, size);
                if (bandShown) g.fillRect(bx + 2, by + 2, size - 3, size - 3);
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
            } else if (c >= 0x80) {
                c = '?';
            }
            out[i] = (byte) c;
        }
        return out;
    }

    // ---- Keys ----

    protected void keyPressed(int keyCode) {
        handleKey(keyCode, false);
    }

    protected void keyRepeated(int keyCode) {
        handleKey(keyCode, true);
    }

    /** True when a key code matches a code of the settings record, kept there as its low 8 bits. */
    private static boolean matches(int keyCode, int stored) {
        return stored != 0 && (keyCode == stored || keyCode == (stored & 0xFF));
    }

    private int gameActionOf(int keyCode) {
        try {
            return getGameAction(keyCode);
        } catch (IllegalArgumentException e) {
            return 0;
        }
    }

    private void handleKey(int keyCode, boolean repeated) {
        fitScreen();
        boolean choose = matches(keyCode, leftSoft) || matches(keyCode, menuKey);
        boolean back = matches(keyCode, rightSoft);
        int action = gameActionOf(keyCode);
        if (mode == MODE_PAGE) {
            if (repeated && (choose || back)) return;
            if (back) {
                midlet.exit();
                return;
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
                return;
            }
        } else if (mode == MODE_MENU) {
            if (back) {
                if (repeated) return;
                mode = MODE_PAGE;
            } else if (choose || action == FIRE) {
                if (repeated) return;
                chooseMenuItem();
            } else if (action == UP) {
                menuItem = (menuItem + MENU.length - 1) % MENU.length;
            } else if (action == DOWN) {
                menuItem = (menuItem + 1) % MENU.length;
            } else {
                return;
            }
        } else {
            if (back) {
                if (repeated) return;
                mode = MODE_PAGE;
            } else if (choose) {
                if (repeated) return;
                mode = MODE_PAGE;
                layout.jumpToPercent(percent);
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
            } else if (action == FIRE) {
                if (repeated) return;
                mode = MODE_PAGE;
                layout.jumpToPercent(percent);
            } else if (action == LEFT || action == RIGHT || action == UP || action == DOWN) {
                int step = action == LEFT ? -1 : action == RIGHT ? 1 : action == UP ? 10 : -10;
                percent += step;
                if (percent < 0) percent = 0;
                if (percent > 100) percent = 100;
                percentTyped = false;
            } else {
                return;
            }
        }
        repaint();
    }

    private void chooseMenuItem() {
        if (menuItem == ITEM_GO_TO) {
            mode = MODE_PERCENT;
            percent = layout.percentAt(layout.topPos());
            percentTyped = false;
        } else if (menuItem == ITEM_SYSLINE) {
            bandShown = !bandShown;
            mode = MODE_PAGE;
        } else if (menuItem == ITEM_EXIT) {
            midlet.exit();
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

    // ---- Clock ----

    /** Starts the clock that repaints the system line when the minute changes. */
    void startClock() {
        if (clock == null) {
            clock = new Thread(this);
            clock.start();
        }
    }

    void stopClock() {
        clock = null;
    }

    public void run() {
        Thread self = Thread.currentThread();
        long minute = System.currentTimeMillis() / 60000;
        while (clock == self) {
            // Wake just after the next full minute; a stopped clock ends then.
            try {
                Thread.sleep(60000 - System.currentTimeMillis() % 60000 + 20);
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
