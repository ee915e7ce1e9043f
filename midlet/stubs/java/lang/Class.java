package java.lang;

import java.io.InputStream;

public final class Class {
    private Class() {}
    public java.io.InputStream getResourceAsStream(String name) { return null; }
    public String getName() { return null; }
}
