package javax.microedition.lcdui;

import java.util.IdentityHashMap;
import java.util.Map;
import javax.microedition.midlet.MIDlet;

/** Desktop stand-in: one display per MIDlet, all showing on the one Phone screen. */
public class Display {
    private static final Map<MIDlet, Display> displays = new IdentityHashMap<>();

    Display() {}

    public static synchronized Display getDisplay(MIDlet m) {
        if (m == null) throw new NullPointerException();
        return displays.computeIfAbsent(m, k -> new Display());
    }

    public void setCurrent(Displayable next) {
        Displayable old = Phone.current;
        if (old == next) return;
        if (old instanceof Canvas) ((Canvas) old).hideNotify();
        Phone.current = next;
        if (next instanceof Canvas) ((Canvas) next).showNotify();
    }
}
