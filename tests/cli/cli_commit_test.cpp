// What a build leaves at the package's place however it ends: killed at any rename, the old book
// or the new one with matching descriptors once the next run has been; the volumes of an earlier
// split gone with the new ones, and nothing else; never a file over the text itself.
#include "cli_fixture.h"
#include "book/zip_test_util.h"
#include "platform/files.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Random Cyrillic words in lines with paragraphs: it hardly compresses.
std::string Novel(std::size_t size, unsigned seed)
{
    std::string text;
    for (int line = 0; text.size() < size; ++line) {
        for (int word = 0; word < 10; ++word) {
            for (int i = 0; i < 6; ++i) text += static_cast<char>(0xE0 + ((seed = seed * 1103515245 + 12345) >> 16) % 32);
            text += ' ';
        }
        text += line % 5 == 4 ? "\r\n\r\n" : "\r\n";
    }
    return text;
}

std::string TextOf(const fs::path& jar)
{
    std::string text;
    for (int i = 0;; ++i) {
        const auto names = EntryNames(jar);
        const std::string name = "text/chunk." + std::to_string(i);
        if (std::find(names.begin(), names.end(), name) == names.end()) return text;
        text += EntryContent(jar, name);
    }
}

// The packages at `folder` named "<stem>.jar" or "<stem>_<n>.jar", in order, each checked
// against its descriptor; their texts joined.
std::string BookAt(const fs::path& folder, const std::string& stem, int& volumes)
{
    std::vector<std::string> jars;
    if (fs::exists(folder / (stem + ".jar"))) jars.push_back(stem + ".jar");
    for (int n = 1; fs::exists(folder / (stem + "_" + std::to_string(n) + ".jar")); ++n)
        jars.push_back(stem + "_" + std::to_string(n) + ".jar");
    volumes = static_cast<int>(jars.size());
    std::string text;
    for (const std::string& jar : jars) {
        const fs::path path = folder / jar;
        const std::string jad = ReadFileBytes(fs::path(path).replace_extension(".jad"));
        EXPECT_NE(jad.find("MIDlet-Jar-URL: " + jar + "\r\n"), std::string::npos) << jar;
        EXPECT_NE(jad.find("MIDlet-Jar-Size: " + std::to_string(fs::file_size(path)) + "\r\n"), std::string::npos)
            << jar << " does not match its descriptor";
        text += TextOf(path);
    }
    return text;
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Runs lumira-cli killed at its `when`th rename; true when it was killed, false when it ended.
bool RunKilledAtRename(const CliFolder& f, const QStringList& arguments, int when)
{
    QProcess process;
    process.setProcessEnvironment(f.Environment());
    process.setWorkingDirectory(QString::fromStdString(f.work.Path().string()));
    process.start(QStringLiteral("strace"),
                  QStringList{"-f", "-o", "/dev/null", "-e",
                              QStringLiteral("inject=rename,renameat,renameat2:signal=SIGKILL:when=%1").arg(when), "--",
                              QString::fromStdString((BuiltBinDir() / "lumira-cli").string()), "--app-dir",
                              QString::fromStdString(f.app.Path().string())} +
                      arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) return false;
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << process.readAllStandardError().toStdString();
    return true;
}

} // namespace

TEST(CliCommit, KilledAtAnyRenameTheNextRunLeavesTheOldBookOrTheNewOneWholeAndNothingElse)
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty()) GTEST_SKIP() << "no strace";
    CliFolder f;
    fs::create_directories(f.work / "out");
    const std::string oldText = Novel(60000, 1), newText = Novel(60000, 2);
    f.work.Write("old.txt", oldText);
    f.work.Write("new.txt", newText);
    f.work.Write("other.txt", "Other.\r\n");
    const QString jar = f.Arg("out/book.jar");

    // A limit that makes three volumes of either text. The text is compared with the pieces byte
    // for byte: no dictionary's soft hyphens in it.
    QString limit;
    for (int kb = 20; kb < 80 && limit.isEmpty(); kb += 2) {
        fs::remove_all(f.work / "out");
        fs::create_directories(f.work / "out");
        if (f.Run({f.Arg("old.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--out", jar, "--max-jar-size", QString::number(kb)}).exitCode != 0)
            continue;  // the template and the font alone are larger
        int volumes = 0;
        BookAt(f.work / "out", "book", volumes);
        if (volumes == 3) limit = QString::number(kb);
    }
    ASSERT_FALSE(limit.isEmpty());

    for (const QString& max : {QStringLiteral("0"), limit}) {
        SCOPED_TRACE("limit " + max.toStdString());
        const QStringList build{f.Arg("new.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--out", jar, "--max-jar-size", max};
        bool sawOld = false, sawNew = false;
        for (int when = 1;; ++when) {
            SCOPED_TRACE("killed at rename " + std::to_string(when));
            ASSERT_LT(when, 400);
            fs::remove_all(f.work / "out");
            fs::create_directories(f.work / "out");
            ASSERT_EQ(f.Run({f.Arg("old.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--out", jar, "--max-jar-size", max}).exitCode, 0);
            const std::set<std::string> oldNames = Names(f.work / "out");

            const bool killed = RunKilledAtRename(f, build, when);
            // The next run, of another book into the same place, finishes or clears what was left.
            ASSERT_EQ(f.Run({f.Arg("other.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--out", f.Arg("out/other.jar")}).exitCode, 0);
            int volumes = 0;
            const std::string text = BookAt(f.work / "out", "book", volumes);
            std::set<std::string> names = Names(f.work / "out");
            names.erase("other.jar");
            names.erase("other.jad");
            EXPECT_EQ(names, oldNames) << "temporary or mixed files left";
            EXPECT_TRUE(f.ScratchEmpty());
            if (text == oldText) {
                sawOld = true;
            } else {
                EXPECT_EQ(text.size(), newText.size());
                EXPECT_TRUE(text == newText) << "a mix of the two books";
                sawNew = true;
            }
            if (!killed) break;
        }
        EXPECT_TRUE(sawOld);
        EXPECT_TRUE(sawNew);
    }
}

TEST(CliCommit, AnEarlierSplitsOwnVolumesGoWithTheNewBookAndNothingElseDoes)
{
    CliFolder f;
    const std::string text = Novel(100000, 3);
    f.work.Write("novel.txt", text);
    ASSERT_EQ(f.Run({f.Arg("novel.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--max-jar-size", "30"}).exitCode, 0);
    int before = 0;
    BookAt(f.work.Path(), "novel", before);
    ASSERT_GE(before, 4);
    // Not ours, though named like volumes: a descriptor of another midlet, a package of another
    // size than its descriptor says, and a descriptor with nothing but the name.
    const std::string last = "novel_" + std::to_string(before + 1);
    f.work.Write(last + ".jar", "another program's package");
    f.work.Write(last + ".jad", "MIDlet-1: Other, /i.png, OtherMidlet\r\nMIDlet-Jar-URL: " + last + ".jar\r\n");
    f.work.Write("novel_2.jar", ReadFileBytes(f.work / "novel_2.jar") + "changed by hand");
    f.work.Write("novel_x.jad", "not a volume");

    const CliRun fewer = f.Run({f.Arg("novel.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--max-jar-size", "50"});
    ASSERT_EQ(fewer.exitCode, 0) << fewer.err;
    int after = 0;
    for (int n = 1; n <= before; ++n)
        if (fs::exists(f.work / ("novel_" + std::to_string(n) + ".jad"))) after = n;
    ASSERT_LT(after, before);
    // Volume 2 is rebuilt; everything beyond the new ones that was ours went.
    for (int n = after + 1; n <= before; ++n) {
        EXPECT_FALSE(fs::exists(f.work / ("novel_" + std::to_string(n) + ".jar"))) << n;
        EXPECT_FALSE(fs::exists(f.work / ("novel_" + std::to_string(n) + ".jad"))) << n;
    }
    EXPECT_NE(fewer.err.find("Удалены тома прежнего деления книги с тем же именем: " + std::to_string(before - after) + "."),
              std::string::npos)
        << fewer.err;
    EXPECT_TRUE(fs::exists(f.work / (last + ".jar")));
    EXPECT_TRUE(fs::exists(f.work / (last + ".jad")));
    EXPECT_TRUE(fs::exists(f.work / "novel_x.jad"));

    // A single book takes every volume's place; a volume whose package was changed by hand stays.
    ASSERT_GE(after, 2);
    f.work.Write("novel_1.jar", ReadFileBytes(f.work / "novel_1.jar") + "changed by hand");
    const CliRun single = f.Run({f.Arg("novel.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--max-jar-size", "0"});
    ASSERT_EQ(single.exitCode, 0) << single.err;
    EXPECT_EQ(TextOf(f.work / "novel.jar"), text);
    EXPECT_FALSE(fs::exists(f.work / "novel_2.jar"));
    EXPECT_FALSE(fs::exists(f.work / "novel_2.jad"));
    EXPECT_TRUE(fs::exists(f.work / "novel_1.jar"));
    EXPECT_TRUE(fs::exists(f.work / "novel_1.jad"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliCommit, NoVolumeNorDescriptorIsWrittenOverTheText)
{
    CliFolder f;
    const std::string text = Novel(100000, 4);
    fs::create_directories(f.work / "out");
    // The text under a later volume's name, and under another's descriptor through a hard link.
    for (const char* name : {"out/b_2.jar", "out/b_3.jad"}) {
        SCOPED_TRACE(name);
        fs::remove_all(f.work / "out");
        fs::create_directories(f.work / "out");
        f.work.Write("novel.txt", text);
        fs::create_hard_link(f.work / "novel.txt", f.work / name);
        const CliRun run =
            f.Run({f.Arg(name == std::string("out/b_2.jar") ? name : "novel.txt"), "--profile", "Small", "--hyphenation", "simple", "--encoding", "cp1251", "--out",
                   f.Arg("./out/../out/b.jar"), "--max-jar-size", "30"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("записался бы поверх самого текста"), std::string::npos) << run.err;
        EXPECT_EQ(f.work.Read(name), text);
        EXPECT_EQ(Names(f.work / "out"), std::set<std::string>{fs::path(name).filename().string()});
    }
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira
