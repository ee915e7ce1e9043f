import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;

/**
 * The reader midlet's tests, one group per run:
 *   java ReaderTests classfiles --template T --stubs S --version V
 *   java ReaderTests parity     --template T --tool B --sample F --work W
 *   java ReaderTests reader     --template T --tool B --sample F --work W
 *   java ReaderTests phones     --template T --tool B --sample F --work W
 *   java ReaderTests contents   --template T --tool B --sample F --work W
 *   java ReaderTests timing     --template T --tool B --sample F --work W [--before T2]
 * Each may add --mapping M, the build's renames of the reader's classes and members.
 * Prints each failure and a summary; exits with 1 when anything failed.
 */
public final class ReaderTests {
    private ReaderTests() {}

    public static void main(String[] args) throws Exception {
        Map<String, String> options = new HashMap<>();
        for (int i = 1; i + 1 < args.length; i += 2) options.put(args[i], args[i + 1]);
        String group = args.length > 0 ? args[0] : "";
        Path template = Path.of(options.getOrDefault("--template", ""));
        try {
            if (options.containsKey("--mapping")) Renames.load(Path.of(options.get("--mapping")));
            switch (group) {
            case "classfiles":
                ClassFileCheck.run(template, Path.of(options.get("--stubs")), options.get("--version"));
                break;
            case "parity":
            case "reader":
            case "phones":
            case "contents":
            case "timing": {
                Path work = Path.of(options.get("--work"));
                Books books = new Books(Path.of(options.get("--tool")), template, work);
                byte[] sample = Files.readAllBytes(Path.of(options.get("--sample")));
                if (group.equals("parity")) ParityTest.run(books, sample);
                else if (group.equals("reader")) ReaderTest.run(books, sample, work.resolve("screens"));
                else if (group.equals("phones")) PhoneTest.run(books, sample, work.resolve("screens"));
                else if (group.equals("contents")) ContentsTest.run(books, sample, work.resolve("screens"));
                else PageTiming.run(books, options.containsKey("--before")
                        ? new Books(Path.of(options.get("--tool")), Path.of(options.get("--before")), work.resolve("before"))
                        : null, sample);
                break;
            }
            default:
                System.out.println("unknown group " + group);
                System.exit(2);
            }
        } catch (Throwable t) {
            Check.that(false, "the run stopped: " + t);
            t.printStackTrace(System.out);
        }
        System.out.println(Check.passed + " checks passed, " + Check.failed + " failed");
        System.exit(Check.failed == 0 ? 0 : 1);
    }
}
