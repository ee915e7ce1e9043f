package java.lang;

public final class StringBuffer {
    public StringBuffer() {}
    public StringBuffer(String str) {}
    public StringBuffer append(String str) { return this; }
    public StringBuffer append(Object obj) { return this; }
    public StringBuffer append(int i) { return this; }
    public StringBuffer append(char c) { return this; }
    public String toString() { return null; }
}
