package java.lang;

public class Thread implements Runnable {
    public Thread() {}
    public Thread(Runnable target) {}
    public static Thread currentThread() { return null; }
    public static void sleep(long millis) throws InterruptedException {}
    public synchronized void start() {}
    public void run() {}
}
