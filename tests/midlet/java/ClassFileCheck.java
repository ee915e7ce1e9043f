import java.io.ByteArrayInputStream;
import java.io.DataInputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.HashSet;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;

/**
 * The template archive and the classes in it: the entries and the manifest a book needs, the size
 * budget, class files of version 45.3 that carry StackMap attributes wherever the code branches,
 * no floating point, and nothing referred to outside the CLDC 1.0 / MIDP 2.0 classes that our
 * compile-only stubs declare (every class, field and method looked up in the stubs).
 */
final class ClassFileCheck {
    private ClassFileCheck() {}

    /** The classes of CLDC 1.0 and MIDP 2.0 (packages java.lang, java.io, java.util, javax.microedition). */
    static final Set<String> PLATFORM = new HashSet<>(Arrays.asList(
        "java/lang/Boolean", "java/lang/Byte", "java/lang/Character", "java/lang/Class", "java/lang/Integer",
        "java/lang/Long", "java/lang/Math", "java/lang/Object", "java/lang/Runnable", "java/lang/Runtime",
        "java/lang/Short", "java/lang/String", "java/lang/StringBuffer", "java/lang/System", "java/lang/Thread",
        "java/lang/Throwable", "java/lang/ArithmeticException", "java/lang/ArrayIndexOutOfBoundsException",
        "java/lang/ArrayStoreException", "java/lang/ClassCastException", "java/lang/ClassNotFoundException",
        "java/lang/Error", "java/lang/Exception", "java/lang/IllegalAccessException",
        "java/lang/IllegalArgumentException", "java/lang/IllegalMonitorStateException",
        "java/lang/IllegalStateException", "java/lang/IllegalThreadStateException",
        "java/lang/IndexOutOfBoundsException", "java/lang/InstantiationException", "java/lang/InterruptedException",
        "java/lang/NegativeArraySizeException", "java/lang/NullPointerException", "java/lang/NumberFormatException",
        "java/lang/OutOfMemoryError", "java/lang/RuntimeException", "java/lang/SecurityException",
        "java/lang/StringIndexOutOfBoundsException", "java/lang/VirtualMachineError",
        "java/io/ByteArrayInputStream", "java/io/ByteArrayOutputStream", "java/io/DataInput", "java/io/DataInputStream",
        "java/io/DataOutput", "java/io/DataOutputStream", "java/io/EOFException", "java/io/IOException",
        "java/io/InputStream", "java/io/InputStreamReader", "java/io/InterruptedIOException", "java/io/OutputStream",
        "java/io/OutputStreamWriter", "java/io/PrintStream", "java/io/Reader", "java/io/UnsupportedEncodingException",
        "java/io/UTFDataFormatException", "java/io/Writer",
        "java/util/Calendar", "java/util/Date", "java/util/EmptyStackException", "java/util/Enumeration",
        "java/util/Hashtable", "java/util/NoSuchElementException", "java/util/Random", "java/util/Stack",
        "java/util/Timer", "java/util/TimerTask", "java/util/TimeZone", "java/util/Vector",
        "javax/microedition/midlet/MIDlet", "javax/microedition/midlet/MIDletStateChangeException",
        "javax/microedition/lcdui/Alert", "javax/microedition/lcdui/AlertType", "javax/microedition/lcdui/Canvas",
        "javax/microedition/lcdui/Choice", "javax/microedition/lcdui/ChoiceGroup", "javax/microedition/lcdui/Command",
        "javax/microedition/lcdui/CommandListener", "javax/microedition/lcdui/CustomItem",
        "javax/microedition/lcdui/DateField", "javax/microedition/lcdui/Display", "javax/microedition/lcdui/Displayable",
        "javax/microedition/lcdui/Font", "javax/microedition/lcdui/Form", "javax/microedition/lcdui/Gauge",
        "javax/microedition/lcdui/Graphics", "javax/microedition/lcdui/Image", "javax/microedition/lcdui/ImageItem",
        "javax/microedition/lcdui/Item", "javax/microedition/lcdui/ItemCommandListener",
        "javax/microedition/lcdui/ItemStateListener", "javax/microedition/lcdui/List", "javax/microedition/lcdui/Screen",
        "javax/microedition/lcdui/Spacer", "javax/microedition/lcdui/StringItem", "javax/microedition/lcdui/TextBox",
        "javax/microedition/lcdui/TextField", "javax/microedition/lcdui/Ticker",
        "javax/microedition/lcdui/game/GameCanvas", "javax/microedition/lcdui/game/Layer",
        "javax/microedition/lcdui/game/LayerManager", "javax/microedition/lcdui/game/Sprite",
        "javax/microedition/lcdui/game/TiledLayer",
        "javax/microedition/rms/InvalidRecordIDException", "javax/microedition/rms/RecordComparator",
        "javax/microedition/rms/RecordEnumeration", "javax/microedition/rms/RecordFilter",
        "javax/microedition/rms/RecordListener", "javax/microedition/rms/RecordStore",
        "javax/microedition/rms/RecordStoreException", "javax/microedition/rms/RecordStoreFullException",
        "javax/microedition/rms/RecordStoreNotFoundException", "javax/microedition/rms/RecordStoreNotOpenException"));

    /** What the checks need of one class file. */
    static final class ClassInfo {
        int minor;
        int major;
        String name;
        String superName;
        final List<String> interfaces = new ArrayList<>();
        final Set<String> members = new HashSet<>();  // name + descriptor of fields and methods
        final Set<String> classRefs = new TreeSet<>();
        final List<String[]> memberRefs = new ArrayList<>();  // class, name, descriptor
        final List<String> descriptors = new ArrayList<>();
        final List<String> problems = new ArrayList<>();
        boolean floatConstants;
        int stackMaps;
    }

    static ClassInfo parse(byte[] bytes) throws IOException {
        DataInputStream in = new DataInputStream(new ByteArrayInputStream(bytes));
        ClassInfo info = new ClassInfo();
        if (in.readInt() != 0xCAFEBABE) throw new IOException("not a class file");
        info.minor = in.readUnsignedShort();
        info.major = in.readUnsignedShort();
        int count = in.readUnsignedShort();
        Object[] pool = new Object[count];
        int[] tags = new int[count];
        for (int i = 1; i < count; i++) {
            int tag = in.readUnsignedByte();
            tags[i] = tag;
            switch (tag) {
            case 1: pool[i] = in.readUTF(); break;
            case 3: in.readInt(); break;
            case 4: in.readInt(); info.floatConstants = true; break;
            case 5: in.readLong(); i++; break;
            case 6: in.readLong(); i++; info.floatConstants = true; break;
            case 7: case 8: pool[i] = new int[] { in.readUnsignedShort() }; break;
            case 9: case 10: case 11: case 12: pool[i] = new int[] { in.readUnsignedShort(), in.readUnsignedShort() }; break;
            default: throw new IOException("constant pool tag " + tag + " is not known to class files of version 45");
            }
        }
        for (int i = 1; i < count; i++) {
            if (tags[i] == 7) {
                info.classRefs.add((String) pool[((int[]) pool[i])[0]]);
            } else if (tags[i] == 9 || tags[i] == 10 || tags[i] == 11) {
                int[] ref = (int[]) pool[i];
                String owner = (String) pool[((int[]) pool[ref[0]])[0]];
                int[] nt = (int[]) pool[ref[1]];
                info.memberRefs.add(new String[] { owner, (String) pool[nt[0]], (String) pool[nt[1]] });
            } else if (tags[i] == 12) {
                info.descriptors.add((String) pool[((int[]) pool[i])[1]]);
            }
        }
        in.readUnsignedShort();
        info.name = (String) pool[((int[]) pool[in.readUnsignedShort()])[0]];
        int superIndex = in.readUnsignedShort();
        info.superName = superIndex == 0 ? null : (String) pool[((int[]) pool[superIndex])[0]];
        int interfaces = in.readUnsignedShort();
        for (int i = 0; i < interfaces; i++) info.interfaces.add((String) pool[((int[]) pool[in.readUnsignedShort()])[0]]);
        for (int kind = 0; kind < 2; kind++) {
            int members = in.readUnsignedShort();
            for (int m = 0; m < members; m++) {
                in.readUnsignedShort();
                String name = (String) pool[in.readUnsignedShort()];
                String descriptor = (String) pool[in.readUnsignedShort()];
                info.members.add(name + descriptor);
                info.descriptors.add(descriptor);
                int attributes = in.readUnsignedShort();
                for (int a = 0; a < attributes; a++) {
                    String attribute = (String) pool[in.readUnsignedShort()];
                    byte[] body = new byte[in.readInt()];
                    in.readFully(body);
                    if (attribute.equals("Code")) code(info, name + descriptor, body, pool);
                }
            }
        }
        return info;
    }

    /** One method's code: its instructions, and a StackMap when it branches or catches. */
    private static void code(ClassInfo info, String method, byte[] body, Object[] pool) throws IOException {
        DataInputStream in = new DataInputStream(new ByteArrayInputStream(body));
        in.readUnsignedShort();
        in.readUnsignedShort();
        byte[] code = new byte[in.readInt()];
        in.readFully(code);
        int handlers = in.readUnsignedShort();
        in.skipBytes(handlers * 8);
        boolean stackMap = false;
        int attributes = in.readUnsignedShort();
        for (int a = 0; a < attributes; a++) {
            String attribute = (String) pool[in.readUnsignedShort()];
            int length = in.readInt();
            in.skipBytes(length);
            if (attribute.equals("StackMap")) {
                stackMap = true;
                info.stackMaps++;
            }
            if (attribute.equals("StackMapTable")) info.problems.add(method + ": StackMapTable of newer class files");
        }
        boolean branches = handlers > 0;
        for (int pc = 0; pc < code.length;) {
            int op = code[pc] & 0xFF;
            if (FLOAT_OPS.contains(op) || (op == 188 && (code[pc + 1] == 6 || code[pc + 1] == 7))) {
                info.problems.add(method + ": floating point instruction " + op + " at " + pc);
            }
            if ((op >= 153 && op <= 171) || op == 198 || op == 199 || op == 200 || op == 201) branches = true;
            if (op == 186 || op > 201) info.problems.add(method + ": instruction " + op + " is not in CLDC");
            pc += length(code, pc);
        }
        if (branches && !stackMap) info.problems.add(method + ": branches without a StackMap");
    }

    private static final Set<Integer> FLOAT_OPS = new HashSet<>(Arrays.asList(
        11, 12, 13, 14, 15, 23, 24, 34, 35, 36, 37, 38, 39, 40, 41, 48, 49, 56, 57, 67, 68, 69, 70, 71, 72, 73, 74,
        81, 82, 98, 99, 102, 103, 106, 107, 110, 111, 114, 115, 118, 119, 134, 135, 137, 138, 139, 140, 141, 142,
        143, 144, 149, 150, 151, 152, 174, 175));

    private static int u4(byte[] c, int at) {
        return ((c[at] & 0xFF) << 24) | ((c[at + 1] & 0xFF) << 16) | ((c[at + 2] & 0xFF) << 8) | (c[at + 3] & 0xFF);
    }

    /** The length of the instruction at pc. */
    private static int length(byte[] c, int pc) {
        int op = c[pc] & 0xFF;
        switch (op) {
        case 16: case 18: case 21: case 22: case 23: case 24: case 25: case 54: case 55: case 56: case 57: case 58:
        case 169: case 188:
            return 2;
        case 17: case 19: case 20: case 132: case 178: case 179: case 180: case 181: case 182: case 183: case 184:
        case 187: case 189: case 192: case 193: case 198: case 199:
            return 3;
        case 197:
            return 4;
        case 185: case 186: case 200: case 201:
            return 5;
        case 196:
            return (c[pc + 1] & 0xFF) == 132 ? 6 : 4;
        case 170: {
            int at = (pc + 4) & ~3;
            int low = u4(c, at + 4);
            int high = u4(c, at + 8);
            return at + 12 + 4 * (high - low + 1) - pc;
        }
        case 171: {
            int at = (pc + 4) & ~3;
            return at + 8 + 8 * u4(c, at + 4) - pc;
        }
        default:
            return op >= 153 && op <= 168 ? 3 : 1;
        }
    }

    /** True when a descriptor names float or double (outside class names). */
    static boolean floating(String descriptor) {
        for (int i = 0; i < descriptor.length(); i++) {
            char ch = descriptor.charAt(i);
            if (ch == 'L') i = descriptor.indexOf(';', i);
            else if (ch == 'F' || ch == 'D') return true;
        }
        return false;
    }

    static String elementClass(String ref) {
        String s = ref;
        while (s.startsWith("[")) s = s.substring(1);
        if (s.startsWith("L") && s.endsWith(";")) return s.substring(1, s.length() - 1);
        return s.length() == 1 ? null : s;
    }

    static void run(Path template, Path stubDir, String version) throws Exception {
        Check.group("template archive and class files");
        Map<String, ClassInfo> stubs = new HashMap<>();
        try (var walk = Files.walk(stubDir)) {
            for (Path p : walk.filter(q -> q.toString().endsWith(".class")).toList()) {
                ClassInfo c = parse(Files.readAllBytes(p));
                stubs.put(c.name, c);
            }
        }
        Check.that(stubs.size() > 10, "the stubs were found: " + stubs.size());
        for (String stub : stubs.keySet()) Check.that(PLATFORM.contains(stub), "stub " + stub + " is a CLDC 1.0 / MIDP 2.0 class");

        Check.that(Files.size(template) <= 14 * 1024, "velmar.dat within 14 KiB: " + Files.size(template));
        List<String> names = new ArrayList<>();
        Map<String, byte[]> contents = new HashMap<>();
        try (ZipFile zip = new ZipFile(template.toFile())) {
            for (ZipEntry e : java.util.Collections.list(zip.entries())) {
                names.add(e.getName());
                if (!e.isDirectory()) contents.put(e.getName(), zip.getInputStream(e).readAllBytes());
            }
        }
        // The reader's own classes: the MIDlet under the name the descriptor gives, the rest renamed.
        Set<String> own = new HashSet<>();
        Set<String> others = new TreeSet<>();
        for (String entry : names) {
            if (entry.endsWith(".class") && !entry.contains("/")) own.add(entry.substring(0, entry.length() - 6));
            else others.add(entry);
        }
        Check.that(own.contains("BookReader"), "the MIDlet class keeps its name: " + own);
        Check.that(own.size() >= 2, "the reader's classes are in the template: " + own);
        Check.equal(new TreeSet<>(List.of("book.png", "META-INF/", "META-INF/MANIFEST.MF", "text/")), others,
                "the template's other entries (no config, no fonts, no packages)");
        Check.equal("Manifest-Version: 1.0\r\nMIDlet-Version: " + version + "\r\nMIDlet-Vendor: Lumira\r\n"
                + "MicroEdition-Profile: MIDP-2.0\r\nMicroEdition-Configuration: CLDC-1.0\r\n",
                new String(contents.get("META-INF/MANIFEST.MF"), StandardCharsets.US_ASCII), "the manifest");
        var icon = javax.imageio.ImageIO.read(new ByteArrayInputStream(contents.get("book.png")));
        Check.that(icon != null && icon.getWidth() == 32 && icon.getHeight() == 32, "book.png is a 32 x 32 picture");

        for (String entry : names) {
            if (!entry.endsWith(".class")) continue;
            ClassInfo c = parse(contents.get(entry));
            String where = entry + ": ";
            Check.that(c.major == 45 && c.minor == 3, where + "version " + c.major + "." + c.minor);
            Check.that(c.stackMaps > 0, where + "StackMap attributes");
            Check.that(!c.floatConstants, where + "no float or double constants");
            for (String p : c.problems) Check.that(false, where + p);
            for (String d : c.descriptors) Check.that(!floating(d), where + "no float or double in " + d);
            for (String ref : c.classRefs) {
                String k = elementClass(ref);
                Check.that(k == null || own.contains(k) || stubs.containsKey(k), where + "refers to " + ref);
            }
            for (String[] ref : c.memberRefs) {
                String k = elementClass(ref[0]);
                if (k == null || own.contains(k)) continue;
                Check.that(declares(stubs, k, ref[1] + ref[2]), where + "uses " + ref[0] + "." + ref[1] + ref[2]);
            }
            if (c.name.equals("BookReader")) {
                Check.equal("javax/microedition/midlet/MIDlet", c.superName, "BookReader is the MIDlet");
            }
        }
    }

    /** True when the stub class or one of its supertypes declares the member. */
    private static boolean declares(Map<String, ClassInfo> stubs, String owner, String member) {
        ClassInfo c = stubs.get(owner);
        if (c == null) return false;
        if (c.members.contains(member)) return true;
        if (c.superName != null && declares(stubs, c.superName, member)) return true;
        for (String i : c.interfaces) if (declares(stubs, i, member)) return true;
        return false;
    }
}
