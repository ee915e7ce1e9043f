import javax.microedition.lcdui.Display;
import javax.microedition.midlet.MIDlet;
import javax.microedition.rms.RecordStore;

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
     * Saves the reading place: the text's size (a place saved for another text is not taken),
     * the top line's position and last taken character, and whether the system line is shown.
     */
    void savePosition() {
        if (canvas == null) return;
        PageLayout layout = canvas.layout();
        byte[] data = new byte[SAVED_LENGTH];
        data[0] = (byte) SAVED_VERSION;
        putInt(data, 1, canvas.textSize());
        putInt(data, 5, layout.topPos());
        data[9] = (byte) layout.topP();
        data[10] = (byte) (canvas.bandShown() ? 1 : 0);
        RecordStore store = null;
        try {
            store = RecordStore.openRecordStore(STORE, true);
            if (store.getNumRecords() == 0) {
                store.addRecord(data, 0, data.length);
            } else {
                store.setRecord(PLACE_RECORD, data, 0, data.length);
            }
        } catch (Exception e) {
            // the place is not kept this time
        } finally {
            close(store);
        }
    }

    private void restorePosition() {
        RecordStore store = null;
        try {
            store = RecordStore.openRecordStore(STORE, false);
            if (store.getNumRecords() > 0) {
                byte[] data = store.getRecord(PLACE_RECORD);
                if (data != null && data.length >= SAVED_LENGTH && data[0] == SAVED_VERSION
                        && getInt(data, 1) == canvas.textSize()) {
                    canvas.restore(getInt(data, 5), data[9] & 0xFF, data[10] != 0);
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

    private static void putInt(byte[] b, int at, int value) {
        for (int i = 0; i < 4; i++) b[at + i] = (byte) (value >> (8 * i));
    }

    private static int getInt(byte[] b, int at) {
        int value = 0;
        for (int i = 3; i >= 0; i--) value = (value << 8) | (b[at + i] & 0xFF);
        return value;
    }
}
