import java.io.IOException;
import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;

/**
 * The reader's classes are shrunk and renamed in the build; its mapping file (source name -> packed
 * name for every class, field and method kept) lets the tests reach into the running reader by the
 * names its source uses. Without a mapping the names are taken as they stand.
 */
final class Renames {
    private Renames() {}

    /** Packed class name -> source class name. */
    private static final Map<String, String> sourceClass = new HashMap<>();
    /** Source class -> "packedName(source parameter types):source return type" -> source method name. */
    private static final Map<String, Map<String, String>> methods = new HashMap<>();
    /** Source class -> "packedName:source type" -> source field name. */
    private static final Map<String, Map<String, String>> fields = new HashMap<>();

    static void load(Path mapping) throws IOException {
        String current = null;
        for (String line : Files.readAllLines(mapping, StandardCharsets.UTF_8)) {
            int arrow = line.indexOf(" -> ");
            if (arrow < 0 || line.startsWith("#")) continue;
            String packed = line.substring(arrow + 4).trim();
            if (!line.startsWith(" ")) {
                current = line.substring(0, arrow).trim();
                packed = packed.substring(0, packed.length() - 1);  // the trailing ':'
                sourceClass.put(packed, current);
                continue;
            }
            String member = line.substring(0, arrow).trim().replaceFirst("^[0-9]+:[0-9]+:", "");
            int space = member.indexOf(' ');
            String type = member.substring(0, space);
            String rest = member.substring(space + 1);
            int paren = rest.indexOf('(');
            if (paren < 0) {
                fields.computeIfAbsent(current, k -> new HashMap<>()).put(packed + ":" + type, rest);
            } else {
                String params = rest.substring(paren);
                methods.computeIfAbsent(current, k -> new HashMap<>())
                        .put(packed + params + ":" + type, rest.substring(0, paren));
            }
        }
    }

    /** The source name of a class as the running reader names it (arrays as "T[]"). */
    static String sourceName(Class<?> k) {
        String name = k.getTypeName();
        int dims = name.indexOf('[');
        String base = dims < 0 ? name : name.substring(0, dims);
        return sourceClass.getOrDefault(base, base) + (dims < 0 ? "" : name.substring(dims));
    }

    static Method method(Class<?> k, String name, int parameters) {
        Map<String, String> names = methods.getOrDefault(sourceName(k), Map.of());
        for (Method m : k.getDeclaredMethods()) {
            if (m.getParameterCount() != parameters) continue;
            StringBuilder key = new StringBuilder(m.getName()).append('(');
            Class<?>[] types = m.getParameterTypes();
            for (int i = 0; i < types.length; i++) key.append(i > 0 ? "," : "").append(sourceName(types[i]));
            key.append("):").append(sourceName(m.getReturnType()));
            if (name.equals(names.getOrDefault(key.toString(), m.getName()))) return m;
        }
        return null;
    }

    static Field field(Class<?> k, String name) throws NoSuchFieldException {
        Map<String, String> names = fields.getOrDefault(sourceName(k), Map.of());
        for (Field f : k.getDeclaredFields()) {
            if (name.equals(names.getOrDefault(f.getName() + ":" + sourceName(f.getType()), f.getName()))) return f;
        }
        throw new NoSuchFieldException(name);
    }
}
