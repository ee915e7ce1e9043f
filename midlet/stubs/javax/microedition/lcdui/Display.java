package javax.microedition.lcdui;

import javax.microedition.midlet.MIDlet;

public class Display {
    Display() {}
    public static Display getDisplay(MIDlet m) { return null; }
    public void setCurrent(Displayable nextDisplayable) {}
}
