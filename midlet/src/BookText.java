import java.io.IOException;
import java.io.InputStream;

/**
 * The book's text, read from the pieces /text/chunk.0, /text/chunk.1, ... of the suite on demand.
 * At most two pieces are held at a time: the one read last stays, the other slot takes the next
 * piece asked for, so reading forward or backward across a piece boundary never reloads.
 */
final class BookText {
    /** Returned for a position outside the text. */
    static final int END = -1;

    private final int pieceLength;
    private int size;
    private final byte[][] pieces = new byte[2][];
    private final int[] pieceNumbers = { -1, -1 };
    private int recent;

    /**
     * @param size        the text's length in bytes as the settings record gives it
     * @param pieceLength the length of every piece but the last (32767)
     */
    BookText(int size, int pieceLength) {
        this.size = size < 0 ? 0 : size;
        this.pieceLength = pieceLength > 0 ? pieceLength : 32767;
    }

    /**
     * The text's length. It shrinks when a piece turns out to be missing or shorter than the
     * settings record promised: the text then ends where the readable bytes end.
     */
    int size() {
        return size;
    }

    /** The byte at 0-based position pos (0..255), or END outside the text. */
    int at(int pos) {
        if (pos < 0 || pos >= size) return END;
        int number = pos / pieceLength;
        int offset = pos - number * pieceLength;
        int slot;
        if (pieceNumbers[recent] == number) {
            slot = recent;
        } else if (pieceNumbers[1 - recent] == number) {
            slot = 1 - recent;
        } else {
            slot = load(number);
        }
        byte[] piece = pieces[slot];
        if (offset >= piece.length) return END;
        recent = slot;
        return piece[offset] & 0xFF;
    }

    /** Loads piece `number` into the slot not read last and returns that slot. */
    private int load(int number) {
        int slot = 1 - recent;
        pieces[slot] = null;  // let the old piece go before the new one is allocated
        pieceNumbers[slot] = -1;
        int start = number * pieceLength;
        int expected = size - start;
        if (expected > pieceLength) expected = pieceLength;
        byte[] piece = readResource(this, "/text/chunk." + number, expected);
        if (piece.length < expected) {
            size = start + piece.length;
        }
        pieces[slot] = piece;
        pieceNumbers[slot] = number;
        return slot;
    }

    /**
     * Reads up to `limit` bytes of a resource of the suite, looked up through the class of `owner`
     * (one of the suite's own). A missing or unreadable resource gives the bytes read before the
     * failure (none when it is missing).
     */
    static byte[] readResource(Object owner, String name, int limit) {
        byte[] buffer = new byte[limit > 0 ? limit : 0];
        int filled = 0;
        InputStream in = null;
        try {
            in = owner.getClass().getResourceAsStream(name);
            if (in != null) {
                while (filled < buffer.length) {
                    int n = in.read(buffer, filled, buffer.length - filled);
                    if (n <= 0) break;
                    filled += n;
                }
            }
        } catch (IOException e) {
            // what was read so far stays
        } finally {
            if (in != null) {
                try {
                    in.close();
                } catch (IOException e) {
                    // nothing to do
                }
            }
        }
        if (filled == buffer.length) return buffer;
        byte[] shorter = new byte[filled];
        System.arraycopy(buffer, 0, shorter, 0, filled);
        return shorter;
    }
}
