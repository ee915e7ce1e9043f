/**
 * Lays the book's text out in lines and pages exactly as the desktop preview does, and keeps the
 * reading position: the page's top line, the page starts passed on the way forward (so that a
 * step back returns to where the reader came from), stepping by lines and by screens, and jumps.
 *
 * Positions are 0-based offsets into the text. A line starts at a position together with P, the
 * last character taken before it (LF at a paragraph start and at the top of every new page).
 */
final class PageLayout {
    static final int LF = 10;
    static final int CR = 13;
    static final int BLANK = 32;
    static final int HYPHEN = 45;
    static final int SOFT_HYPHEN = 0xAD;
    /** A text line starting with it is a title: screen lines of its own, centred, never justified. */
    static final int TITLE_MARK = 1;
    /** A text line holding only it is an empty screen line (none at the top of a page). */
    static final int SPACER_MARK = 2;
    /** Added to P while a title's text is being read. */
    static final int IN_TITLE = 0x100;

    /** Longest indentation kept at a paragraph's start, in blanks. */
    private static final int MAX_INDENT = 3;
    /**
     * A line that reaches this many characters without overflowing (a long run of characters that
     * take no room) is closed there, so that no text can make a line grow without bound.
     */
    static final int MAX_LINE = 8192;
    /** How far back a step looks for a paragraph start before it settles for an estimate. */
    private static final int SCAN_LIMIT = 4096;
    /** Page starts remembered for stepping back. */
    private static final int HISTORY = 64;

    private static final int READ_NONE = 0;
    private static final int READ_INSIDE = 1;
    private static final int READ_BEYOND = 2;

    private final BookText text;
    /** Width of every cp1251 code; 0 for the control characters. */
    private final int[] widths;
    private final int blank;
    /** Words are split only at the text's soft hyphens, else by the vowel/consonant rule. */
    private final boolean softHyphens;

    // The screen: width in pixels and lines per page.
    private int screenWidth;
    private int linesPerPage;

    // The line laid out last.
    private byte[] line = new byte[64];
    private int length;
    private byte[] taken = new byte[64];
    private int lineEndP;
    /** The line belongs to a title. */
    private boolean lineTitle;
    private boolean ended;
    private boolean spacer;
    private int lastRead;

    // The reading position: the first line of the page and the starts passed on the way there.
    private int topPos;
    private int topP = LF;
    private final int[] historyPos = new int[HISTORY];
    private final int[] historyP = new int[HISTORY];
    private int historyCount;

    // The page at the top position, laid out on demand.
    private boolean pageValid;
    private int pageLines;
    private byte[][] lines = new byte[0][];
    private int[] lineX = new int[0];
    private int[] startPos = new int[1];
    private int[] startP = new int[1];
    private boolean hasNext;

    PageLayout(BookText text, int[] widths, boolean softHyphens) {
        this.text = text;
        this.widths = widths;
        this.blank = widths[BLANK];
        this.softHyphens = softHyphens;
    }

    // ---- Characters ----

    static boolean isLetter(int c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 168 || c == 184 || c >= 192;
    }

    static boolean isVowel(int c) {
        switch (c) {
        case 'a': case 'e': case 'i': case 'j': case 'o': case 'u': case 'y':
        case 184: case 224: case 229: case 232: case 238: case 243: case 254: case 255:
            return true;
        default:
            return false;
        }
    }

    static boolean isConsonant(int c) {
        return isLetter(c) && !isVowel(c);
    }

    static boolean isBreakChar(int c) {
        switch (c) {
        case ' ': case '!': case '.': case ',': case ';': case '?': case '-': case '+':
        case '=': case ')': case '}': case ']': case '\\': case '/': case ':': case '>':
            return true;
        default:
            return false;
        }
    }

    int charWidth(int c) {
        return widths[c & 0xFF];
    }

    // ---- Lines ----

    /** Reads position pos as the layout sees it: a CR reads as a blank, outside the text END. */
    private int read(int pos) {
        int c = text.at(pos);
        if (c == BookText.END) {
            lastRead = READ_BEYOND;
            return BookText.END;
        }
        lastRead = READ_INSIDE;
        return c == CR ? BLANK : c;
    }

    private void put(int c) {
        if (length == line.length) {
            byte[] bigger = new byte[length * 2];
            System.arraycopy(line, 0, bigger, 0, length);
            line = bigger;
        }
        line[length++] = (byte) c;
    }

    private int at(int pos1) {
        return line[pos1 - 1] & 0xFF;
    }

    private int lineWidth(int count) {
        int w = 0;
        for (int i = 0; i < count; i++) w += widths[line[i] & 0xFF];
        return w;
    }

    /**
     * Lays out one line that starts reading at r with last taken character p. Leaves the line in
     * the line buffer and P after it in lineEndP, sets `ended` when the text ended on it, and
     * returns where the next line starts reading.
     */
    int layLine(int r, int p, int w0) {
        final int lineStart = r;
        length = 0;
        ended = false;
        spacer = false;
        boolean titleLine = (p & IN_TITLE) != 0;
        p &= 0xFF;
        int w = 0;
        boolean overflow = false;
        for (;;) {
            int c = read(r);
            r++;
            if (p == LF && c == TITLE_MARK) {
                // A title drops its indentation; the mark itself is taken as any character.
                length = 0;
                w = 0;
                titleLine = true;
            }
            if (p == LF && c == SPACER_MARK) {
                // A line of its own, holding only the mark; its line break goes with it.
                length = 0;
                put(c);
                if (read(r) == BLANK) r++;
                if (read(r) == LF) r++;
                spacer = true;
                break;
            }
            if (c == BLANK) {
                if (p == LF) {
                    if (length < MAX_INDENT) {
                        put(BLANK);
                        w += blank;
                    }
                } else if (p != BLANK && length > 0) {
                    put(c);
                    w += blank;
                    p = c;
                }
            } else if (c == LF) {
                int next = read(r);
                if (titleLine || next == BLANK || next == LF || next == TITLE_MARK || next == SPACER_MARK) {
                    p = LF;  // paragraph end
                    break;
                }
                put(BLANK);
                w += blank;
                p = BLANK;
            } else if (c == BookText.END) {
                ended = true;
                break;
            } else {
                put(c);
                w += widths[c];
                p = c;
            }
            if (w > w0) {
                overflow = true;
                break;
            }
            if (length >= MAX_LINE) break;
        }
        if (overflow) {
            int next;
            if (length <= 1) {
                next = r;  // a single character wider than the screen stands alone
            } else {
                int takenLength = length;
                if (taken.length < length) taken = new byte[line.length];
                System.arraycopy(line, 0, taken, 0, length);
                if (p == BLANK || p == LF) {
                    length--;
                    next = r - 1;
                } else {
                    next = r - fit(w, w0) - 1;
                }
                if (next <= lineStart) {
                    // The next line would begin where this one began: cut at the last character
                    // that fits instead.
                    System.arraycopy(taken, 0, line, 0, takenLength);
                    length = takenLength - 1;
                    next = r - 1;
                }
                // A cut line is justified, unless it belongs to a title.
                if (!titleLine) justify((w0 - lineWidth(length)) / blank);
            }
            r = next;
        }
        // A title that did not end on this line goes on on the next.
        lineEndP = titleLine && p != LF ? p | IN_TITLE : p;
        lineTitle = titleLine;
        return r;
    }

    /**
     * Shortens the overflowing line (its last character made its width w exceed w0) and returns
     * how many positions before the overflowing character reading resumes.
     */
    private int fit(int w, int w0) {
        final int n = length;
        int before = at(n - 1);
        if (before == BLANK) {
            length = n - 2;
            return 1;
        }
        if (isBreakChar(before)) {
            length = n - 1;
            return 0;
        }
        for (int k = n; k >= 3; k--) {
            w -= charWidth(at(k));
            int breakChar = at(k - 2);
            if (isBreakChar(breakChar)) {
                length = breakChar == BLANK ? k - 3 : k - 2;
                return n - k + 1;
            }
            int x = at(k - 1);
            if (softHyphens) {
                if (x == SOFT_HYPHEN && w - charWidth(x) + charWidth(HYPHEN) <= w0) {
                    length = k - 2;
                    put(HYPHEN);
                    return n - k;
                }
                continue;
            }
            int y = at(k);
            if (k + 1 < n && isLetter(at(k + 1))
                    && ((isVowel(x) && isLetter(y)) || (isConsonant(x) && isConsonant(y)))) {
                length = k - 1;
                put(HYPHEN);
                return n - k;
            }
        }
        // Nowhere to break: only the overflowing character goes.
        length = n - 1;
        return 0;
    }

    /**
     * Spreads k extra blanks over the line's inner blanks: those after its first non-blank and
     * before its last character, each blank of a run by itself. Each gets k / n more, and the
     * k % n nearest the line's end one more besides.
     */
    private void justify(int k) {
        if (k <= 0) return;
        int first = 0;
        while (first < length && line[first] == BLANK) first++;
        if (first == length) return;
        int n = 0;
        for (int i = first + 1; i + 1 < length; i++) {
            if (line[i] == BLANK) n++;
        }
        if (n == 0) return;
        int q = k / n;
        int rest = k % n;
        int newLength = length + k;
        if (newLength > line.length) {
            byte[] bigger = new byte[newLength];
            System.arraycopy(line, 0, bigger, 0, length);
            line = bigger;
        }
        // Copy from the end so that nothing is overwritten before it has moved.
        int dst = newLength;
        for (int src = length - 1; src >= 0; src--) {
            byte c = line[src];
            line[--dst] = c;
            if (c == BLANK && src > first && src < length - 1) {
                int extra = q;
                if (rest > 0) {
                    extra++;
                    rest--;
                }
                while (extra-- > 0) line[--dst] = BLANK;
            }
        }
        length = newLength;
    }

    // ---- Pages ----

    /** Sets the screen the pages are laid out for; 0 lines per page leaves every page empty. */
    void setScreen(int width, int lines) {
        if (lines < 0 || blank <= 0) lines = 0;
        if (width != screenWidth || lines != linesPerPage) {
            screenWidth = width;
            linesPerPage = lines;
            pageValid = false;
        }
    }

    int linesPerPage() {
        return linesPerPage;
    }

    private void layPage() {
        if (pageValid) return;
        pageValid = true;
        if (lines.length < linesPerPage) {
            lines = new byte[linesPerPage][];
            lineX = new int[linesPerPage];
            startPos = new int[linesPerPage + 1];
            startP = new int[linesPerPage + 1];
        }
        lastRead = READ_NONE;
        int r = topPos;
        int p = topP;
        int n = 0;
        ended = false;
        while (!ended && n < linesPerPage) {
            startPos[n] = r;
            startP[n] = p;
            r = layLine(r, p, screenWidth);
            p = lineEndP;
            if (spacer && n == 0) continue;  // no empty line at the top of a page
            byte[] copy = new byte[length];
            System.arraycopy(line, 0, copy, 0, length);
            // A title's text stands centred (its trailing blanks aside), never left of the edge.
            int visible = length;
            while (visible > 0 && line[visible - 1] == BLANK) visible--;
            int x = lineTitle ? (screenWidth - lineWidth(visible)) / 2 : 0;
            lineX[n] = x > 0 ? x : 0;
            lines[n++] = copy;
        }
        startPos[n] = r;
        startP[n] = p;
        pageLines = n;
        hasNext = lastRead == READ_INSIDE;
    }

    /** Lines on the current page. */
    int pageLines() {
        layPage();
        return pageLines;
    }

    /** Line i of the current page, as laid out: blanks, hyphen and control characters included. */
    byte[] pageLine(int i) {
        layPage();
        return lines[i];
    }

    /** Where line i of the current page begins, in pixels from the left edge. */
    int pageLineX(int i) {
        layPage();
        return lineX[i];
    }

    /** Where the page after the current one starts. */
    int nextPageStart() {
        layPage();
        return startPos[pageLines];
    }

    /** True unless the text ends on the current page. */
    boolean hasNextPage() {
        layPage();
        return hasNext;
    }

    int topPos() {
        return topPos;
    }

    int topP() {
        return topP;
    }

    /** Places the page's top line at pos with last taken character p, forgetting the way back. */
    void setTop(int pos, int p) {
        if (pos < 0) pos = 0;
        topPos = pos;
        topP = p & (0xFF | IN_TITLE);
        historyCount = 0;
        pageValid = false;
    }

    // ---- Moving ----

    private void remember() {
        if (historyCount == HISTORY) {
            System.arraycopy(historyPos, 1, historyPos, 0, HISTORY - 1);
            System.arraycopy(historyP, 1, historyP, 0, HISTORY - 1);
            historyCount--;
        }
        historyPos[historyCount] = topPos;
        historyP[historyCount] = topP;
        historyCount++;
    }

    /** The next page: it starts where this one ended, as a paragraph start. */
    boolean forwardScreen() {
        if (pageLines() == 0 || !hasNext) return false;
        remember();
        topPos = startPos[pageLines];
        topP = LF;
        pageValid = false;
        return true;
    }

    /** Moves the top down by k lines of the current page; nothing once the text's end shows. */
    boolean forwardLines(int k) {
        if (k <= 0 || pageLines() == 0 || !hasNext) return false;
        if (k > pageLines) k = pageLines;
        remember();
        topPos = startPos[k];
        topP = startP[k];
        pageValid = false;
        return true;
    }

    /**
     * Moves the top up by k lines. The lines before the top are laid out again from the last page
     * start remembered on the way forward, or else from the paragraph start before the top, so a
     * step back after steps forward returns exactly to the lines shown before.
     */
    boolean backLines(int k) {
        if (k <= 0 || topPos <= 0 || screenWidth <= 0 || linesPerPage <= 0) return false;
        int[] ringPos = new int[k];
        int[] ringP = new int[k];
        int current = topPos;
        int need = k;
        int h = historyCount - 1;
        int resultPos = 0;
        int resultP = LF;
        while (current > 0) {
            while (h >= 0 && historyPos[h] >= current) h--;
            int anchorPos;
            int anchorP;
            if (h >= 0) {
                anchorPos = historyPos[h];
                anchorP = historyP[h];
                h--;
            } else {
                anchorPos = paragraphStart(current);
                anchorP = LF;
            }
            int count = 0;
            int r = anchorPos;
            int p = anchorP;
            while (r < current) {
                ringPos[count % k] = r;
                ringP[count % k] = p;
                count++;
                r = layLine(r, p, screenWidth);
                p = lineEndP;
                if (ended) break;
            }
            if (count >= need) {
                resultPos = ringPos[(count - need) % k];
                resultP = ringP[(count - need) % k];
                break;
            }
            need -= count;
            current = anchorPos;
        }
        while (historyCount > 0 && historyPos[historyCount - 1] >= resultPos) historyCount--;
        boolean moved = resultPos != topPos || resultP != topP;
        topPos = resultPos;
        topP = resultP;
        pageValid = false;
        return moved;
    }

    /**
     * The nearest paragraph start before pos (pos > 0): a position after an LF that a blank, CR or
     * LF follows, where every layout of the text is in the same state. The text's start counts as
     * one; when none lies within reach, the farthest position looked at stands in for it.
     */
    private int paragraphStart(int pos) {
        int low = pos - SCAN_LIMIT;
        if (low < 0) low = 0;
        for (int q = pos - 1; q > low; q--) {
            if (text.at(q - 1) == LF) {
                int c = text.at(q);
                if (c == BLANK || c == CR || c == LF) return q;
            }
        }
        return low;
    }

    /** Places the top at the start of the line that holds position pos. */
    private void topAtLineOf(int pos) {
        int r = pos > 0 ? paragraphStart(pos + 1) : 0;
        int p = LF;
        if (screenWidth > 0 && linesPerPage > 0) {
            for (;;) {
                int next = layLine(r, p, screenWidth);
                if (ended || next > pos) break;
                r = next;
                p = lineEndP;
            }
        }
        topPos = r;
        topP = p;
        historyCount = 0;
        pageValid = false;
    }

    /** Opens the page at `percent` of the text; 100 shows the text's last page as paging reaches it. */
    void jumpToPercent(int percent) {
        int size = text.size();
        if (percent <= 0 || size == 0) {
            setTop(0, LF);
        } else if (percent >= 100) {
            // The last page as paging from the start reaches it (the desktop preview's last page),
            // with the pages before it remembered for the way back.
            setTop(0, LF);
            while (forwardScreen()) {
                // on to the end
            }
        } else {
            topAtLineOf((int) ((long) size * percent / 100));
        }
    }

    /** How much of the text lies before position pos, in percent. */
    int percentAt(int pos) {
        int size = text.size();
        if (size <= 0 || pos >= size) return 100;
        if (pos <= 0) return 0;
        return (int) ((long) pos * 100 / size);
    }
}
