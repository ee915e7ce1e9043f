package javax.microedition.midlet;

/** Desktop stand-in of the MIDlet base class: the life cycle is driven by Launcher. */
public abstract class MIDlet {
    boolean destroyed;

    protected MIDlet() {}

    protected abstract void startApp() throws MIDletStateChangeException;

    protected abstract void pauseApp();

    protected abstract void destroyApp(boolean unconditional) throws MIDletStateChangeException;

    public final void notifyDestroyed() {
        destroyed = true;
    }
}
