package javax.microedition.midlet;

/** Plays the application manager: starts, pauses and destroys a MIDlet as a phone would. */
public final class Launcher {
    private Launcher() {}

    public static void start(MIDlet m) {
        try {
            m.startApp();
        } catch (MIDletStateChangeException e) {
            throw new IllegalStateException(e);
        }
    }

    public static void pause(MIDlet m) {
        m.pauseApp();
    }

    public static void destroy(MIDlet m) {
        try {
            m.destroyApp(true);
        } catch (MIDletStateChangeException e) {
            throw new IllegalStateException(e);
        }
        m.destroyed = true;
    }

    /** Ends a MIDlet as a pulled battery would: it is told nothing. */
    public static void kill(MIDlet m) {
        m.destroyed = true;
    }

    /** True once the MIDlet asked to end (notifyDestroyed) or was destroyed. */
    public static boolean isDestroyed(MIDlet m) {
        return m.destroyed;
    }
}
