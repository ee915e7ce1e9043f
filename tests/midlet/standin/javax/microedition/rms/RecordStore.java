package javax.microedition.rms;

import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/**
 * Desktop stand-in of RecordStore: stores live in memory for the whole test run, so a suite
 * started again finds what it saved, as on a phone. Each suite (named by the test) has stores of
 * its own.
 */
public class RecordStore {
    private static final Map<String, List<byte[]>> stores = new HashMap<>();
    /** The installed suite whose stores are opened. */
    public static String suiteName = "";

    private final List<byte[]> records;
    private boolean open = true;

    private RecordStore(List<byte[]> records) {
        this.records = records;
    }

    /** Forgets every store (a fresh phone). */
    public static synchronized void wipeAll() {
        stores.clear();
    }

    public static synchronized RecordStore openRecordStore(String recordStoreName, boolean createIfNecessary)
            throws RecordStoreException, RecordStoreFullException, RecordStoreNotFoundException {
        if (recordStoreName == null || recordStoreName.length() == 0 || recordStoreName.length() > 32) {
            throw new IllegalArgumentException("record store name");
        }
        String key = suiteName + "\n" + recordStoreName;
        List<byte[]> records = stores.get(key);
        if (records == null) {
            if (!createIfNecessary) throw new RecordStoreNotFoundException(recordStoreName);
            records = new ArrayList<>();
            stores.put(key, records);
        }
        return new RecordStore(records);
    }

    private void checkOpen() throws RecordStoreNotOpenException {
        if (!open) throw new RecordStoreNotOpenException();
    }

    public void closeRecordStore() throws RecordStoreNotOpenException, RecordStoreException {
        checkOpen();
        open = false;
    }

    public int getNumRecords() throws RecordStoreNotOpenException {
        checkOpen();
        synchronized (RecordStore.class) {
            int n = 0;
            for (byte[] r : records) if (r != null) n++;
            return n;
        }
    }

    public int addRecord(byte[] data, int offset, int numBytes)
            throws RecordStoreNotOpenException, RecordStoreException, RecordStoreFullException {
        checkOpen();
        byte[] copy = new byte[numBytes];
        if (numBytes > 0) System.arraycopy(data, offset, copy, 0, numBytes);
        synchronized (RecordStore.class) {
            records.add(copy);
            return records.size();
        }
    }

    public byte[] getRecord(int recordId)
            throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException {
        checkOpen();
        synchronized (RecordStore.class) {
            if (recordId < 1 || recordId > records.size() || records.get(recordId - 1) == null) {
                throw new InvalidRecordIDException();
            }
            byte[] r = records.get(recordId - 1);
            return r.length == 0 ? null : r.clone();
        }
    }

    public void setRecord(int recordId, byte[] newData, int offset, int numBytes)
            throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException,
                   RecordStoreFullException {
        checkOpen();
        byte[] copy = new byte[numBytes];
        if (numBytes > 0) System.arraycopy(newData, offset, copy, 0, numBytes);
        synchronized (RecordStore.class) {
            if (recordId < 1 || recordId > records.size() || records.get(recordId - 1) == null) {
                throw new InvalidRecordIDException();
            }
            records.set(recordId - 1, copy);
        }
    }
}
