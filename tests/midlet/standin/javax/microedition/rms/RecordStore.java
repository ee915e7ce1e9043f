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
    /** Bytes the phone keeps for all records of the suite; a write past it is refused. */
    public static int capacity = Integer.MAX_VALUE;
    private static int writes;

    private final List<byte[]> records;
    private boolean open = true;

    private RecordStore(List<byte[]> records) {
        this.records = records;
    }

    /** Records added or replaced since the run began. */
    public static synchronized int writes() {
        return writes;
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

    /** Refuses a write that would take the suite's records past the capacity. */
    private static void checkRoom(int adding, byte[] replacing) throws RecordStoreFullException {
        long used = adding - (replacing == null ? 0 : replacing.length);
        String prefix = suiteName + "\n";
        for (Map.Entry<String, List<byte[]>> e : stores.entrySet()) {
            if (!e.getKey().startsWith(prefix)) continue;
            for (byte[] r : e.getValue()) if (r != null) used += r.length;
        }
        if (used > capacity) throw new RecordStoreFullException("no room for " + adding + " bytes");
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
            checkRoom(numBytes, null);
            writes++;
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
            checkRoom(numBytes, records.get(recordId - 1));
            writes++;
            records.set(recordId - 1, copy);
        }
    }
}
