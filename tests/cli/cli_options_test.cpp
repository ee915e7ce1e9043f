// lumira-cli's command line: mistakes refused before anything is written, failures of single
// texts in a batch, runs without a display, and what it tells the user.
#include "cli_fixture.h"
#include "book/zip_test_util.h"

#include "font/font_strip.h"
#include "platform/paths.h"
#include "platform/version.h"
#include "support/text_checks.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <utility>

namespace lumira {

namespace fs = std::filesystem;

namespace {

} // namespace

TEST(CliOptions, MistakesAreRefusedBeforeAnythingIsWritten)
{
    CliFolder f;
    f.work.Write("a.txt", "Text.\r\n");
    f.work.Write("b.txt", "Text.\r\n");
    const QString a = f.Arg("a.txt");
    struct Case {
        QStringList args;
        std::string message;
    };
    const Case cases[] = {
        {{a, "--bogus"}, "lumira-cli: Неизвестный ключ --bogus.\n"},
        {{a, "--profile", "Nokia"}, "lumira-cli: Профиль «Nokia» не найден в profiles.ini. Есть профили:\n  Small\n  Большой\n"},
        {{a, "--color", "red"}, "lumira-cli: Неверный цвет --color «red»: нужен вид #RRGGBB.\n"},
        {{a, "--background=#12345"}, "lumira-cli: Неверный цвет --background «#12345»: нужен вид #RRGGBB.\n"},
        {{a, "--sysline", "middle"}, "lumira-cli: Неверное значение --sysline «middle»: нужно top или bottom.\n"},
        {{a, "--size", "0"}, "lumira-cli: Неверное значение --size «0»: нужно целое число от 1 до 200.\n"},
        {{a, "--size"}, "lumira-cli: Ключу --size нужно значение.\n"},
        {{a, "--bold=1"}, "lumira-cli: Ключ --bold не принимает значения.\n"},
        {{}, "lumira-cli: Не указан ни один текст.\n"},
        {{a, f.Arg("b.txt"), "--out", f.Arg("x.jar")},
         "lumira-cli: Ключ --out задаёт пакет одного текста; для нескольких текстов служит --out-dir.\n"},
        {{a, "--out-dir", f.Arg("missing")}, "lumira-cli: Папка для пакетов не найдена: " + f.Arg("missing").toStdString() + "\n"},
        {{a, "--out", f.Arg("missing/x.jar")}, "lumira-cli: Папка для пакета не найдена: " + f.Arg("missing").toStdString() + "\n"},
        {{a, "--upper-cut", "500"}, std::string("lumira-cli: ") + kCutSumMessage + " (подрезка сверху 500, снизу 0)\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = f.Run(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_EQ(run.err, c.message + "lumira-cli: Справка: lumira-cli --help\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(f.work / "a.jar"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliOptions, OneFailingTextDoesNotStopTheOthers)
{
    CliFolder f;
    f.work.Write("one.txt", "First.\r\n");
    f.work.Write("three.txt", "Third.\r\n");
    f.work.Write("x/same.txt", "Same name, first.\r\n");
    f.work.Write("y/same.txt", "Same name, second.\r\n");
    f.work.Write("book.jar", "A text that happens to end in .jar\r\n");
    fs::create_directory(f.work / "out");
    fs::create_directory(f.work / "dir.txt");
    f.work.Write(".txt", "A name that gives no title.\r\n");

    const CliRun run = f.Run({f.Arg("one.txt"), QStringLiteral("missing.txt"), f.Arg("x/same.txt"), f.Arg("y/same.txt"),
                              f.Arg("dir.txt"), f.Arg(".txt"), f.Arg("three.txt"), QStringLiteral("--out-dir"), f.Arg("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "lumira-cli: missing.txt: Не удаётся открыть файл «" + f.Arg("missing.txt").toStdString() +
                           "»: нет такого файла или папки\n" +
                           "lumira-cli: " + f.Arg("y/same.txt").toStdString() + ": Пакет " + f.Arg("out/same.jar").toStdString() +
                           " уже создан в этом запуске из другого текста с тем же именем.\n" +
                           "lumira-cli: " + f.Arg("dir.txt").toStdString() + ": Не удаётся открыть файл «" +
                           f.Arg("dir.txt").toStdString() + "»: это папка\n" + "lumira-cli: " + f.Arg(".txt").toStdString() +
                           ": Название книги пусто (имя файла не даёт его): задайте название ключом --title.\n");
    for (const char* jar : {"out/one.jar", "out/same.jar", "out/three.jar"}) EXPECT_TRUE(fs::exists(f.work / jar)) << jar;
    EXPECT_FALSE(fs::exists(f.work / "out/dir.jar"));
    EXPECT_TRUE(f.ScratchEmpty());

    // A package never replaces the text it is made from.
    const CliRun self = f.Run({f.Arg("book.jar"), QStringLiteral("--out-dir"), FromFsPath(f.work.Path())});
    EXPECT_EQ(self.exitCode, 1);
    EXPECT_TRUE(Contains(self.err, "записался бы поверх самого текста")) << self.err;
    EXPECT_EQ(f.work.Read("book.jar"), "A text that happens to end in .jar\r\n");
}

TEST(CliOptions, WithoutAProfileNothingIsBuilt)
{
    for (const char* profiles : {static_cast<const char*>(nullptr), kTestProfiles}) {
        CliFolder f(profiles);
        f.app.Write("config.ini", "[Global]\r\nModel=7\r\n");  // beyond the list: nothing selected
        f.work.Write("a.txt", "Text.\r\n");
        const CliRun run = f.Run({f.Arg("a.txt")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "lumira-cli: " + f.Arg("a.txt").toStdString() + ": Не выбран профиль телефона.\n");
        EXPECT_FALSE(fs::exists(f.work / "a.jar"));
    }
}

TEST(CliOptions, RunsWithoutAnyDisplay)
{
    CliFolder f;
    f.work.Write("a.txt", "Text.\r\n");
    QProcessEnvironment env = f.Environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    const CliRun run = f.RunWith({f.Arg("a.txt"), QStringLiteral("--verbose")}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(f.work / "a.jar"));
    // Not a terminal: only with --verbose, one line for the book after what it was made with.
    EXPECT_TRUE(Contains(run.err, "Профиль: Большой; экран 240x320; шрифт: Tahoma, 8;")) << run.err;
    EXPECT_TRUE(Contains(run.err, f.Arg("a.txt").toStdString() + " → " + f.Arg("a.jar").toStdString() + " — готово\n"));

    // A display that cannot be reached (a stale session) is no obstacle either.
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":987"));
    fs::remove(f.work / "a.jar");
    EXPECT_EQ(f.RunWith({f.Arg("a.txt")}, env).exitCode, 0);
    EXPECT_TRUE(fs::exists(f.work / "a.jar"));
}

TEST(CliOptions, ProgressOnATerminalShowsTheShareArchived)
{
    if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "no script program to give the run a terminal";
    CliFolder f;
    std::string text;
    for (unsigned i = 0; text.size() < 1500000; ++i) text += std::to_string(i * 2654435761u) + " ";
    f.work.Write("big.txt", text);
    const QString command = FromFsPath(BuiltBinDir() / "lumira-cli") + " --app-dir '" + FromFsPath(f.app.Path()) + "' '" +
                            f.Arg("big.txt") + "'";
    QProcess process;
    process.setProcessEnvironment(f.Environment());
    process.setWorkingDirectory(FromFsPath(f.work.Path()));
    process.start(QStringLiteral("/usr/bin/script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0);
    const std::string shown = process.readAllStandardOutput().toStdString();
    EXPECT_TRUE(Contains(shown, "big.jar 0%")) << shown;
    EXPECT_TRUE(Contains(shown, "big.jar 100%")) << shown;
    EXPECT_TRUE(Contains(shown, "big.jar — готово")) << shown;
}

TEST(CliOptions, VersionAndProfileList)
{
    CliFolder f;
    const CliRun version = f.Run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("lumira-cli ") + kProgramVersion + "\n");
    const CliRun list = f.Run({QStringLiteral("--list-profiles")});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "Small\t128x160\nБольшой\t240x320\n");
}

TEST(CliOptions, JobsKeepTheOrderOfTheTextsTheirMessagesAndTheExitStatus)
{
    CliFolder f;
    std::vector<QString> args;
    for (int i = 0; i < 7; ++i) {
        // Large and small texts alternate so that later ones would finish first.
        const std::string name = "t" + std::to_string(i) + ".txt";
        f.work.Write(name, std::string(i % 2 ? 2000 : 400000, static_cast<char>('a' + i)));
        args.push_back(f.Arg(name));
        if (i == 3) args.push_back(QStringLiteral("missing.txt"));
    }
    fs::create_directory(f.work / "out");
    std::string first;
    for (const char* jobs : {"1", "3", "8"}) {
        SCOPED_TRACE(jobs);
        QStringList arguments(args.begin(), args.end());
        arguments << QStringLiteral("--out-dir") << f.Arg("out") << QStringLiteral("--verbose") << QStringLiteral("--jobs")
                  << QString::fromLatin1(jobs);
        const CliRun run = f.Run(arguments);
        EXPECT_EQ(run.exitCode, 1);
        if (first.empty()) first = run.err;
        EXPECT_EQ(run.err, first);
        for (int i = 0; i < 7; ++i) {
            const std::string jar = "out/t" + std::to_string(i) + ".jar";
            EXPECT_EQ(EntryContent(f.work / jar, "text/chunk.0")[0], 'a' + i) << jar;
        }
        EXPECT_TRUE(f.ScratchEmpty());
    }
    // One line per text, in the order given, the failure in its place.
    std::vector<std::string> lines;
    std::string line;
    for (const char c : first) {
        if (c != '\n') line += c;
        else lines.push_back(std::exchange(line, std::string()));
    }
    std::vector<std::string> told;
    for (const std::string& each : lines)
        if (Contains(each, "готово") || Contains(each, "missing.txt")) told.push_back(each.substr(0, each.find(' ')));
    ASSERT_EQ(told.size(), 8u) << first;
    for (int i = 0; i < 8; ++i) {
        const int text = i < 4 ? i : i - 1;
        if (i == 4) EXPECT_EQ(told[i], "lumira-cli:");
        else EXPECT_EQ(told[i], f.Arg("t" + std::to_string(text) + ".txt").toStdString());
    }

    const CliRun wrong = f.Run({args[0], QStringLiteral("--jobs"), QStringLiteral("0")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(Contains(wrong.err, "--jobs")) << wrong.err;
}

TEST(CliOptions, PackageLimitMakesVolumesAndIsToldAVolumeALine)
{
    // The small phone installs nothing larger than 1 KB, which the glyphs alone exceed.
    std::string profiles = kTestProfiles;
    profiles.insert(profiles.find("[\xC1"), "MaxJarSize=1\r\n");
    CliFolder f(profiles.c_str());
    // Random Cyrillic words in lines, a blank line between paragraphs: it hardly compresses.
    std::string text;
    unsigned seed = 7;
    for (int line = 0; text.size() < 200000; ++line) {
        for (int word = 0; word < 10; ++word) {
            for (int i = 0; i < 6; ++i) text += static_cast<char>(0xE0 + ((seed = seed * 1103515245 + 12345) >> 16) % 32);
            text += ' ';
        }
        text += line % 5 == 4 ? "\r\n\r\n" : "\r\n";
    }
    f.work.Write("novel.txt", text);

    const CliRun refused = f.Run({f.Arg("novel.txt"), "--profile", "Small"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Шаблон и шрифт книги занимают"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("не больше 1 КБ (1024 байт)"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(f.work / "novel.jar"));

    const CliRun split = f.Run({f.Arg("novel.txt"), "--profile", "Small", "--max-jar-size", "50"});
    ASSERT_EQ(split.exitCode, 0) << split.err;
    EXPECT_FALSE(fs::exists(f.work / "novel.jar"));
    std::string joined;
    int count = 0;
    while (fs::exists(f.work / ("novel_" + std::to_string(count + 1) + ".jar"))) ++count;
    ASSERT_GE(count, 2);
    for (int i = 1; i <= count; ++i) {
        const fs::path jar = f.work / ("novel_" + std::to_string(i) + ".jar");
        EXPECT_LE(fs::file_size(jar), 50u * 1024);
        const std::string line = "lumira-cli: " + f.Arg("novel.txt").toStdString() + ": том " + std::to_string(i) +
                                 " из " + std::to_string(count) + ": " + jar.string() + ", " +
                                 std::to_string(fs::file_size(jar)) + " байт, «novel " + std::to_string(i) + "»\n";
        EXPECT_NE(split.err.find(line), std::string::npos) << split.err;
        joined += BookTextOf(jar);
    }
    EXPECT_EQ(joined.size(), text.size());

    // 0 lifts the profile's limit: one book as without any.
    const CliRun whole = f.Run({f.Arg("novel.txt"), "--profile", "Small", "--max-jar-size=0"});
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    // The volumes of the split before go with it, and are counted.
    EXPECT_EQ(whole.err, "lumira-cli: " + f.Arg("novel.txt").toStdString() +
                             ": Удалены тома прежнего деления книги с тем же именем: " + std::to_string(count) + ".\n");
    EXPECT_TRUE(fs::exists(f.work / "novel.jar"));
    EXPECT_FALSE(fs::exists(f.work / "novel_1.jar"));

    const CliRun wrong = f.Run({f.Arg("novel.txt"), "--max-jar-size", "-5"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("Неверное значение --max-jar-size «-5»"), std::string::npos) << wrong.err;
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira

namespace lumira {

TEST(CliOptions, BlankTitlesAreRefusedAndWhatPhonesMayRefuseIsNoted)
{
    CliFolder f;
    std::string text;
    unsigned seed = 11;
    while (text.size() < 1536 * 1024) text += static_cast<char>(0xC0 + ((seed = seed * 1103515245 + 12345) >> 16) % 64);
    f.work.Write("big.txt", text);

    const CliRun blank = f.Run({f.Arg("big.txt"), "--profile", "Small", "--title", " \t "});
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_NE(blank.err.find("Название книги пусто: телефоны не устанавливают книгу без названия."), std::string::npos)
        << blank.err;
    EXPECT_FALSE(fs::exists(f.work / "big.jar"));

    // No limit in the profile: the package is made, and both of its risks are told.
    const CliRun made = f.Run({f.Arg("big.txt"), "--profile", "Small", "--title", "Жжжжжжжжжжжжжжжжж"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ASSERT_GT(fs::file_size(f.work / "big.jar"), 1u << 20);
    EXPECT_NE(made.err.find("занимает 34 байт в UTF-8"), std::string::npos) << made.err;
    EXPECT_NE(made.err.find("большинство телефонов не примут пакет больше 1 МБ"), std::string::npos) << made.err;
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira
