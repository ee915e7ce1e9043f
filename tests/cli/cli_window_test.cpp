// lumira-cli against the window: the same settings give the same package, and a preview page
// drawn by the command line is the page the window shows. The window runs offscreen with its
// dialogs answered by the test.
#include "cli_fixture.h"

#include "app/main_window.h"
#include "book/zip_test_util.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"

#include <QImage>
#include <QPushButton>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Every header field the archive records for an entry, times left out.
std::string Describe(const RawEntry& e)
{
    std::ostringstream s;
    s << e.name << " madeBy=" << e.madeBy << " needed=" << e.versionNeeded << " flags=" << e.flags
      << " method=" << e.method << " extra=" << e.extraLength << " comment=" << e.commentLength
      << " csize=" << e.compressedSize << " size=" << e.size << " attr=" << e.externalAttr
      << " offset=" << e.localOffset << " local=" << e.localVersionNeeded << "/" << e.localMethod << "/"
      << e.localExtraLength << "/" << e.localName;
    return s.str();
}

// Name, size and time of every file below a folder.
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string state = entry.is_directory() ? "dir" : std::to_string(entry.file_size());
        state += " " + std::to_string(entry.last_write_time().time_since_epoch().count());
        files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

struct CliWindowTest : ::testing::Test {
    ScriptedDesktop desktop;
    CliFolder f;

    void SetUp() override
    {
        fs::copy_file(SourceDir() / "data" / "sample", f.app / "sample");
        // Settings the window starts with: the large phone, an italic 9-point red font on a
        // pale background, the band at the top, one row cut at the top.
        f.app.Write("config.ini", "[Font]\r\nSize=9\r\nItalic=1\r\nColor=255\r\n[Global]\r\nBackground=15794160\r\n"
                                  "Model=1\r\nSysline=0\r\nUpperCut=1\r\n");
    }

    std::unique_ptr<MainWindow> OpenInWindow(const std::string& textName)
    {
        auto form = std::make_unique<MainWindow>(f.app.DirText());
        desktop.openAnswers.push_back(f.Arg(textName));
        form->cxButtonEdit1PropertiesButtonClick();
        return form;
    }
};

} // namespace

TEST_F(CliWindowTest, SameSettingsGiveTheSamePackageAsTheWindow)
{
    f.dictionaryHyphens = true;  // both as stored: the window's default, the dictionary
    std::string text;
    for (int i = 0; i < 3000; ++i) text += Cp("Строка текста номер ") + std::to_string(i) + "\r\n";  // three pieces
    f.work.Write("Ёжик в тумане.txt", text);
    fs::create_directory(f.work / "window");
    fs::create_directory(f.work / "cli");

    auto form = OpenInWindow("Ёжик в тумане.txt");
    const QString packageName = FileNamePart(form->SaveDialog1.fileName);
    EXPECT_EQ(packageName, QStringLiteral("yozhik_v_tumane.jar"));
    desktop.saveAnswers.push_back(f.Arg("window/yozhik_v_tumane.jar"));
    form->b_okClick();
    ASSERT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join("\n").toStdString();

    const auto windowTemp = Snapshot(f.app / "temp");
    const CliRun run = f.Run({f.Arg("Ёжик в тумане.txt"), QStringLiteral("--out-dir"), f.Arg("cli")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Snapshot(f.app / "temp"), windowTemp);  // the running window's work is left alone

    const fs::path windowJar = f.work / "window" / "yozhik_v_tumane.jar";
    const fs::path cliJar = f.work / "cli" / "yozhik_v_tumane.jar";
    const RawArchive a = ReadRawArchive(windowJar);
    const RawArchive b = ReadRawArchive(cliJar);
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (size_t i = 0; i < a.entries.size(); ++i) {
        EXPECT_EQ(Describe(a.entries[i]), Describe(b.entries[i]));
        if (!a.entries[i].name.ends_with("/")) {
            EXPECT_EQ(EntryContent(windowJar, a.entries[i].name), EntryContent(cliJar, b.entries[i].name)) << a.entries[i].name;
        }
    }
    EXPECT_EQ(fs::file_size(windowJar), fs::file_size(cliJar));
    EXPECT_EQ(f.work.Read("window/yozhik_v_tumane.jad"), f.work.Read("cli/yozhik_v_tumane.jad"));
}

TEST_F(CliWindowTest, PreviewPageIsThePageTheWindowShows)
{
    std::string text = Cp("   Первый абзац: переносы, выключка и знаки препинания; снова и снова.\r\n");
    for (int i = 0; i < 24; ++i) text += Cp("Продолжение\tабзаца с табуляцией и длинными-предлинными словами.\r\n");
    text += "\r\n" + Cp("Второй абзац после пустой строки.\r\n");
    ASSERT_LT(text.size(), 2047u);  // the window previews no more
    f.work.Write("page.txt", text);
    auto form = OpenInWindow("page.txt");

    int page = 1;
    for (;; ++page) {
        const std::string png = "page" + std::to_string(page) + ".png";
        const CliRun run = f.Run({f.Arg("page.txt"), QStringLiteral("--preview"), QString::number(page),
                                  QStringLiteral("--png"), f.Arg(png)});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        QImage drawn(f.Arg(png), "PNG");
        ASSERT_FALSE(drawn.isNull());
        EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), form->i_scrBitmap.convertToFormat(QImage::Format_RGB32))
            << "page " << page;
        if (!form->b_p_down->isEnabled()) break;
        form->b_p_downClick();
    }
    EXPECT_GE(page, 2);
    // Past the window's last page there is none.
    const CliRun past = f.Run({f.Arg("page.txt"), QStringLiteral("--preview"), QString::number(page + 1),
                               QStringLiteral("--png"), f.Arg("past.png")});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_EQ(past.err, "lumira-cli: " + f.Arg("page.txt").toStdString() + ": Страницы " + std::to_string(page + 1) +
                            " нет: текст занимает " + std::to_string(page) + " стр.\n");
    EXPECT_FALSE(fs::exists(f.work / "past.png"));
}

} // namespace lumira
