package java.util;

public abstract class Calendar {
    public static final int HOUR_OF_DAY = 11;
    public static final int MINUTE = 12;
    protected Calendar() {}
    public static synchronized Calendar getInstance() { return null; }
    public final void setTime(Date date) {}
    public final int get(int field) { return 0; }
}
