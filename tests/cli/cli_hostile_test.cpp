// Hostile inputs given to lumira-cli: a pipe as the text, settings far outside what a phone
// shows, a file name with a line break, one that is not UTF-8. Each is refused with a message or
// taken in a sound form, and the run leaves nothing behind.
#include "cli_fixture.h"

#include "cli/text_source.h"
#include "platform/paths.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace lumira {

namespace fs = std::filesystem;

namespace {

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A paragraph far wider than any screen.
std::string LongParagraph()
{
    std::string text;
    for (int i = 0; i < 400; ++i) text += "word ";
    return text + "\r\n";
}

// The kernel's view of a child process, for waiting on what it does rather than for a time.
std::string ProcText(pid_t pid, const std::string& name)
{
    std::ifstream in(fs::path("/proc") / std::to_string(pid) / name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True while one of the process's threads waits to write into a full pipe. Where the kernel does
// not name wait channels (a sandbox, or a restricted /proc), every thread asleep stands in for it:
// the callers look at it only once the pipe holds all it can take.
bool BlockedOnAPipe(pid_t pid)
{
    std::error_code ec;
    bool named = false, allAsleep = true, any = false;
    for (const auto& task : fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "task", ec)) {
        const std::string tid = task.path().filename().string();
        const std::string wchan = ProcText(pid, "task/" + tid + "/wchan");
        if (wchan.find("pipe") != std::string::npos) return true;
        if (!wchan.empty() && wchan != "0") named = true;
        const std::string stat = ProcText(pid, "task/" + tid + "/stat");
        const std::size_t close = stat.rfind(')');
        any = true;
        if (close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'S') allAsleep = false;
    }
    return !named && any && allAsleep;
}

// True while `signal` is delivered to the process but not yet taken by any of its threads.
bool SignalPending(pid_t pid, int signal)
{
    const std::uint64_t bit = std::uint64_t{1} << (signal - 1);
    const auto pending = [&](const std::string& status, const char* field) {
        const std::size_t at = status.find(field);
        return at != std::string::npos && (std::stoull(status.substr(at + std::strlen(field)), nullptr, 16) & bit) != 0;
    };
    if (pending(ProcText(pid, "status"), "ShdPnd:")) return true;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "task", ec))
        if (pending(ProcText(pid, "task/" + task.path().filename().string() + "/status"), "SigPnd:")) return true;
    return false;
}

// Polls `condition` until it holds or `limit` has passed; returns whether it held.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(120))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

TEST(CliHostile, APipeGivenAsTheTextIsRefusedAtOnce)
{
    CliFolder f;
    ASSERT_EQ(::mkfifo((f.work / "pipe.txt").c_str(), 0644), 0);
    const auto started = std::chrono::steady_clock::now();
    const CliRun run = f.Run({f.Arg("pipe.txt")});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, "не обычный файл")) << run.err;
    EXPECT_FALSE(fs::exists(f.work / "pipe.jar"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliHostile, SettingsOutsideSoundBoundsFallBackToTheirDefaultsWithANotice)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nUpperCut=-2147483648\r\nBottCut=5000\r\nModel=0\r\n[Font]\r\nSize=10000\r\n");
    f.work.Write("t.txt", "text\r\n");
    const CliRun run = f.Run({f.Arg("t.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "config.ini: UpperCut=-2147483648")) << run.err;
    EXPECT_TRUE(Has(run.err, "config.ini: BottCut=5000")) << run.err;
    EXPECT_TRUE(Has(run.err, "config.ini: Size=10000")) << run.err;
    EXPECT_TRUE(fs::exists(f.work / "t.jar"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliHostile, AHugeScreenIsBoundedAndStillBreaksLines)
{
    CliFolder f("[Huge]\r\nWidth=2147483647\r\nHeight=2147483647\r\n");
    f.work.Write("t.txt", LongParagraph());
    const CliRun run = f.Run({f.Arg("t.txt"), QStringLiteral("--dump-pages"), QStringLiteral("--profile"),
                              QStringLiteral("Huge")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "profiles.ini: экран 2147483647x2147483647")) << run.err;
    EXPECT_GT(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "one line: the width check was defeated";

    const fs::path png = f.work / "p.png";
    const CliRun preview = f.Run({f.Arg("t.txt"), QStringLiteral("--png"), QString::fromStdString(png.string()),
                                  QStringLiteral("--profile"), QStringLiteral("Huge")});
    EXPECT_EQ(preview.exitCode, 0) << preview.err;
}

TEST(CliHostile, ALineBreakInTheTextsNameNeverReachesTheDescriptor)
{
    CliFolder f;
    f.work.Write("a\nb.txt", "text\r\n");
    const CliRun run = f.Run({f.Arg("a\nb.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(f.work / "a_b.jar"));
    const std::string jad = f.work.Read("a_b.jad");
    EXPECT_TRUE(Has(jad, "\r\nMIDlet-Jar-URL: a_b.jar\r\nMIDlet-Jar-Size: ")) << jad;
}

TEST(CliHostile, ATextWhoseNameIsNotUtf8IsReadAsWhatItIs)
{
    const TempDir dir;
    const std::string name = "\xC2\xEE\xE9\xED\xE0.txt";  // "Война.txt" in cp1251
    dir.Write(name, "text\r\n");
    const TextSource text(FromNativeName((dir.Path() / name).native()));
    EXPECT_EQ(text.LayoutString(text.Open(), TextEncoding::Cp1251, nullptr).substr(0, 4), "text");
}

// A second Ctrl+C ends a run at once even while it is stuck (here writing to an error output no
// one reads), and still takes the private folder with it; the first only asks it to stop.
TEST(CliHostile, ASecondStopRequestEndsAStuckRunAndRemovesItsPrivateFolder)
{
    CliFolder f;
    // Texts that fail at once, with messages long enough to fill the pipe quickly.
    std::vector<std::string> args = {(BuiltBinDir() / "lumira-cli").string(), "--app-dir", f.app.Path().string(), "--jobs", "1"};
    for (int i = 0; i < 800; ++i) args.push_back((f.work / (std::string(150, 'm') + std::to_string(i) + ".txt")).string());
    std::vector<std::string> env;
    for (const QString& variable : f.Environment().toStringList()) env.push_back(variable.toStdString());
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (std::string& s : strings) list.push_back(s.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(args), envp = pointers(env);

    int errors[2];
    ASSERT_EQ(::pipe2(errors, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(errors[1], 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    // Whatever the outcome, the run does not outlive the test.
    int status = 0;
    bool reaped = false;
    struct Reaper {
        pid_t pid; int fd; bool& reaped;
        ~Reaper() { ::close(fd); if (!reaped) { ::kill(pid, SIGKILL); ::waitpid(pid, nullptr, 0); } }
    } reaper{child, errors[0], reaped};
    const auto alive = [&] {
        if (!reaped && ::waitpid(child, &status, WNOHANG) == child) reaped = true;
        return !reaped;
    };
    // What the pipe can hold: 64 KiB on most systems, but a kernel may give less.
    const int capacity = std::max(::fcntl(errors[0], F_GETPIPE_SZ), 4096);
    const auto queued = [&] {
        int bytes = 0;
        ::ioctl(errors[0], FIONREAD, &bytes);
        return bytes;
    };
    const auto privateFolders = [&] {
        return std::count_if(fs::directory_iterator(f.scratch.Path()), fs::directory_iterator(), [](const auto& e) {
            return e.path().filename().string().starts_with("lumira-cli-");
        });
    };

    // Stuck: the pipe holds what it can (short of its size: partly filled pages are not topped
    // up), the run waits to write into it, and the private folder is there.
    int lastQueued = -1;
    ASSERT_TRUE(WaitUntil([&] {
        const int now = queued(), before = std::exchange(lastQueued, now);
        return !alive() || (now >= capacity / 2 && now == before && BlockedOnAPipe(child));
    }));
    ASSERT_TRUE(alive()) << "the run ended instead of waiting on its error output";
    EXPECT_EQ(privateFolders(), 1);

    // The first request is taken, and the run goes back to waiting on the pipe.
    ::kill(child, SIGINT);
    ASSERT_TRUE(WaitUntil([&] { return !alive() || (!SignalPending(child, SIGINT) && BlockedOnAPipe(child)); }));
    EXPECT_TRUE(alive()) << "the first request is only a request";
    ::kill(child, SIGINT);
    ASSERT_TRUE(WaitUntil([&] { return !alive(); }, std::chrono::seconds(60)));
    ASSERT_TRUE(reaped);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(privateFolders(), 0);
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira

namespace lumira {

// Ctrl+C while a large text is still being packed: the small one packed meanwhile on the other
// thread is complete on disk, and the run says so (with --verbose, where nothing else would)
// before it reports the stop.
TEST(CliHostile, AStopStillReportsTheBooksFinishedOnOtherThreads)
{
    CliFolder f;
    std::string large;
    std::uint32_t seed = 1;
    while (large.size() < (24u << 20)) {
        seed = seed * 1103515245u + 12345u;
        large += Cp("   слово") + std::to_string(seed % 100000) + ((seed >> 20) % 9 == 0 ? "\r\n" : " ");
    }
    f.work.Write("large.txt", large);
    f.work.Write("small.txt", Cp("Короткий текст.\r\n"));

    QProcess run;
    run.setProcessEnvironment(f.Environment());
    run.setWorkingDirectory(FromFsPath(f.work.Path()));
    run.start(FromFsPath(BuiltBinDir() / "lumira-cli"),
              {QStringLiteral("--app-dir"), FromFsPath(f.app.Path()), QStringLiteral("--jobs"), QStringLiteral("2"),
               QStringLiteral("--verbose"), f.Arg("large.txt"), f.Arg("small.txt")});
    ASSERT_TRUE(run.waitForStarted());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(f.work / "small.jad") && std::chrono::steady_clock::now() < deadline &&
           run.state() == QProcess::Running)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(fs::exists(f.work / "small.jad"));
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(run.waitForFinished(60000));
    const std::string err = run.readAllStandardError().toStdString();

    EXPECT_TRUE(Has(err, "small.txt → " + (f.work / "small.jar").string() + " — готово")) << err;
    if (fs::exists(f.work / "large.jar")) {
        ADD_FAILURE() << "the large text was packed before the stop; make it larger";
    } else {
        EXPECT_EQ(run.exitCode(), 130) << err;
        EXPECT_TRUE(Has(err, "Прервано.")) << err;
    }
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira
