// Hostile inputs given to lumira-cli: a pipe as the text, settings far outside what a phone
// shows, a file name with a line break, one that is not UTF-8. Each is refused with a message or
// taken in a sound form, and the run leaves nothing behind.
#include "cli_fixture.h"

#include "cli/text_source.h"
#include "platform/paths.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <sys/stat.h>

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
    EXPECT_EQ(text.LayoutString(TextEncoding::Cp1251, nullptr).substr(0, 4), "text");
}
