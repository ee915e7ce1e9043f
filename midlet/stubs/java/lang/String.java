package java.lang;

public final class String {
    public String() {}
    public int length() { return 0; }
    public char charAt(int index) { return 0; }
    public static String valueOf(Object obj) { return null; }
    public static String valueOf(int i) { return null; }
    public static String valueOf(char c) { return null; }
    public String toString() { return this; }
}
