import java.util.Arrays;
import java.util.Objects;

/** Counts passed and failed checks of the current group and reports the failures. */
final class Check {
    private static final int REPORT_LIMIT = 40;
    static int passed;
    static int failed;
    private static String group = "";
    private static int groupFailures;

    private Check() {}

    static void group(String name) {
        group = name;
        groupFailures = 0;
        System.out.println("-- " + name);
    }

    static boolean that(boolean ok, String what) {
        if (ok) {
            passed++;
        } else {
            failed++;
            if (++groupFailures <= REPORT_LIMIT) System.out.println("FAIL [" + group + "] " + what);
        }
        return ok;
    }

    static boolean equal(Object expected, Object actual, String what) {
        boolean ok = Objects.deepEquals(expected, actual);
        return that(ok, what + ": expected " + show(expected) + ", got " + show(actual));
    }

    static String show(Object o) {
        if (o instanceof byte[]) return Texts.printable((byte[]) o);
        if (o instanceof int[]) return Arrays.toString((int[]) o);
        return String.valueOf(o);
    }

    /** Runs a part of a group; an exception it throws is a failure, not the end of the run. */
    static void run(String what, ThrowingRunnable body) {
        try {
            body.run();
        } catch (Throwable t) {
            Throwable cause = t instanceof java.lang.reflect.InvocationTargetException ? t.getCause() : t;
            StringBuilder trace = new StringBuilder();
            for (StackTraceElement e : cause.getStackTrace()) {
                trace.append("\n      at ").append(e);
                if (trace.length() > 1500) break;
            }
            that(false, what + " threw " + cause + trace);
        }
    }

    interface ThrowingRunnable {
        void run() throws Exception;
    }
}
