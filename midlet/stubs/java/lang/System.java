package java.lang;

public final class System {
    private System() {}
    public static long currentTimeMillis() { return 0; }
    public static void arraycopy(Object src, int srcPosition, Object dst, int dstPosition, int length) {}
}
