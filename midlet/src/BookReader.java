import javax.microedition.lcdui.Display;
import javax.microedition.midlet.MIDlet;
import javax.microedition.rms.RecordStore;
import javax.microedition.rms.RecordStoreFullException;

/**
 * The book reader: shows the text packed with it page by page and remembers where the reader
 * stopped. The text, the glyph font and the settings record come from the suite's own resources.
 */
public class BookReader extends MIDlet {
    private static final String STORE = "position";
    private static final int SAVED_LENGTH = 14;
    private static final int SAVED_VERSION = 1;
    /** The store holds one record, the first one added. */
    private static final int PLACE_RECORD = 1;

    private ReaderCanvas canvas;

    protected void startApp() {
        if (canvas == null) {
            canvas = new ReaderCanvas(this);
            restorePosition();
        }
        Display.getDisplay(this).setCurrent(canvas);
        canvas.startClock();
    }

    protected void pauseApp() {
        savePosition();
        if (canvas != null) canvas.stopClock();
    }

    protected void destroyApp(boolean unconditional) {
        savePosition();
        if (canvas != null) canvas.stopClock();
    }

    /** Leaves the reader, keeping the place. */
    void exit() {
        destroyApp(true);
        notifyDestroyed();
    }

    /**
     * Saves the reading place in one record: the text's size (a place or bookmark saved for another
     * text is not taken), the top line's place (putPlace), whether the system line
     * is shown, night reading, and the bookmarks. Returns false only when the store is full; the
     * record kept before then stays as it was.
     */
    boolean savePosition() {
        if (canvas == null) return true;
        RecordStore store = null;
        synchronized (canvas) {
            PageLayout layout = canvas.layout();
            int length = SAVED_LENGTH + 1;
            int marks = canvas.markCount;
            for (int i = 0; i < marks; i++) length += 6 + canvas.markName[i].length;
            byte[] data = new byte[length];
            data[0] = (byte) SAVED_VERSION;
            putInt(data, 1, canvas.textSize());
            putPlace(data, 5, layout.topPos(), layout.topP());
            data[10] = (byte) (canvas.bandShown ? 1 : 0);
            data[11] = (byte) (canvas.night ? 1 : 0);
            data[SAVED_LENGTH] = (byte) marks;
            int at = SAVED_LENGTH + 1;
            for (int i = 0; i < marks; i++) {
                byte[] name = canvas.markName[i];
                putPlace(data, at, canvas.markPos[i], canvas.markP[i]);
                data[at + 5] = (byte) name.length;
                System.arraycopy(name, 0, data, at + 6, name.length);
                at += 6 + name.length;
            }
            try {
                store = RecordStore.openRecordStore(STORE, true);
                if (store.getNumRecords() == 0) {
                    store.addRecord(data, 0, data.length);
                } else {
                    store.setRecord(PLACE_RECORD, data, 0, data.length);
                }
            } catch (RecordStoreFullException e) {
                return false;
            } catch (Exception e) {
                // the place is not kept this time
            } finally {
                close(store);
            }
        }
        return true;
    }

    private void restorePosition() {
        RecordStore store = null;
        try {
            store = RecordStore.openRecordStore(STORE, false);
            if (store.getNumRecords() > 0) {
                byte[] data = store.getRecord(PLACE_RECORD);
                if (data != null && data.length >= SAVED_LENGTH && data[0] == SAVED_VERSION
                        && ReaderCanvas.littleEndian(data, 1) == canvas.textSize()) {
                    canvas.restore(placePos(data, 5), placeP(data, 5), data[10] != 0, data[11] != 0);
                    int marks = data.length > SAVED_LENGTH ? data[SAVED_LENGTH] & 0xFF : 0;
                    int at = SAVED_LENGTH + 1;
                    for (int i = 0; i < marks && at + 6 <= data.length; i++) {
                        int length = data[at + 5] & 0xFF;
                        if (at + 6 + length > data.length) break;
                        byte[] name = new byte[length];
                        System.arraycopy(data, at + 6, name, 0, length);
                        canvas.addMark(placePos(data, at), placeP(data, at), name);
                        at += 6 + length;
                    }
                }
            }
        } catch (Exception e) {
            // nothing saved yet: the book opens at its start
        } finally {
            close(store);
        }
    }

    private static void close(RecordStore store) {
        if (store == null) return;
        try {
            store.closeRecordStore();
        } catch (Exception e) {
            // already closed
        }
    }

    /**
     * A place in five bytes: the position (4 bytes, little-endian) and the last taken character.
     * Whether that character lay inside a title goes in the position's top bit, which a text's
     * position never uses: places saved without it read as outside a title, as they were taken.
     */
    private static void putPlace(byte[] b, int at, int pos, int p) {
        putInt(b, at, pos | (p & PageLayout.IN_TITLE) << 23);
        b[at + 4] = (byte) p;
    }

    private static int placePos(byte[] b, int at) {
        return ReaderCanvas.littleEndian(b, at) & 0x7FFFFFFF;
    }

    private static int placeP(byte[] b, int at) {
        return b[at + 4] & 0xFF | ReaderCanvas.littleEndian(b, at) >>> 23 & PageLayout.IN_TITLE;
    }

    private static void putInt(byte[] b, int at, int value) {
        for (int i = 0; i < 4; i++) b[at + i] = (byte) (value >> (8 * i));
    }
}
