// Start-up, close and shutdown of the main window: settings read and written, the working
// folder, the phone list, and one running copy per program folder.
#include "app/font_configuration.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/ini_file.h"
#include "platform/line_list.h"
#include "platform/version.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

const char* const kThreeProfiles =
    "[Small]\r\nWidth=128\r\nHeight=128\r\n[Medium]\r\nWidth=176\r\nHeight=208\r\n[Large]\r\nWidth=240\r\nHeight=320\r\n";

struct StartupTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    std::unique_ptr<MainWindow> Start() { return std::make_unique<MainWindow>(app.DirText()); }
};

} // namespace

TEST_F(StartupTest, WithoutSettingsEverythingTakesItsDefault)
{
    app.Write("profiles.ini", kThreeProfiles);
    auto form = Start();
    EXPECT_EQ(form->Book.font, BookFontStyle{});  // Tahoma, 8 points, colour 0, no style
    EXPECT_EQ(form->Book.background, 0xFFFFFF);
    EXPECT_EQ(form->e_upper_cut->value(), 0);
    EXPECT_EQ(form->e_bott_cut->value(), 0);
    EXPECT_EQ(form->e_model->ItemIndex(), 1);  // the second phone
    EXPECT_EQ(form->e_model->currentText(), QStringLiteral("Medium"));
    EXPECT_EQ(form->e_sysline->ItemIndex(), 1);  // "Внизу"
    EXPECT_EQ(form->Book.openDir, app.DirText());
    EXPECT_EQ(form->Book.saveDir, app.DirText());
    EXPECT_EQ(form->OpenDialog1.initialDir, app.DirText());
    EXPECT_EQ(form->SaveDialog1.initialDir, app.DirText());
    EXPECT_EQ(form->Book.pageStart, 1);
    EXPECT_TRUE(form->ShowSysline);
    EXPECT_FALSE(form->b_p_up->isEnabled());
    EXPECT_FALSE(form->b_ok->isEnabled());
    EXPECT_EQ(form->i_scr->size(), QSize(176, 208));
    EXPECT_EQ(form->version->text(), QString::fromLatin1(kProgramVersion));
    EXPECT_EQ(form->font_dialog, form->Book.font);
    EXPECT_EQ(form->Profiles.size(), 3u);
    EXPECT_EQ(form->PreviewText, ReadLineList(app / "sample"));
    EXPECT_TRUE(std::all_of(form->BookSettingsRecord.begin(), form->BookSettingsRecord.end(), [](auto b) { return b == 0; }));
    EXPECT_TRUE(desktop.errors.isEmpty());
}

TEST_F(StartupTest, PhoneListWithOneProfileSelectsNothing)
{
    app.Write("profiles.ini", "[Only]\r\nWidth=128\r\nHeight=160\r\n");
    auto form = Start();
    EXPECT_EQ(form->e_model->count(), 1);
    EXPECT_EQ(form->e_model->ItemIndex(), -1);
    EXPECT_EQ(form->SelectedProfile(), nullptr);
    EXPECT_EQ(form->i_scr->size(), QSize(176, 220));
}

TEST_F(StartupTest, StoredPositionsOutOfRangeLeaveNoSelection)
{
    app.Write("profiles.ini", kThreeProfiles);
    for (const char* model : {"-1", "7"}) {
        app.Write("config.ini", std::string("[Global]\r\nModel=") + model + "\r\nSysline=0\r\n");
        auto form = Start();
        EXPECT_EQ(form->e_model->ItemIndex(), -1) << model;
        EXPECT_EQ(form->e_sysline->ItemIndex(), 0);
        EXPECT_EQ(form->i_scr->size(), QSize(176, 220));
        form->FormClose();
        const IniFile config(app / "config.ini");
        EXPECT_EQ(config.ReadInteger("Global", "Model", 99), -1);
    }
}

TEST_F(StartupTest, StoredSettingsAreAppliedUnchecked)
{
    app.Write("profiles.ini", kThreeProfiles);
    app.Write("config.ini",
              "[Font]\r\nName=DejaVu Serif\r\nSize=48\r\nColor=255\r\nBold=1\r\nItalic=yes\r\nUnderline=2\r\n"
              "[Global]\r\nBackground= 12\r\nUpperCut=15\r\nBottCut=1\r\nModel=2\r\nOpenDir=\r\nSaveDir=/books/out/\r\n");
    auto form = Start();
    EXPECT_EQ(form->Book.font.name, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(form->Book.font.size, 48);
    EXPECT_EQ(form->Book.font.color, 255);
    EXPECT_TRUE(form->Book.font.bold);
    EXPECT_FALSE(form->Book.font.italic);
    EXPECT_TRUE(form->Book.font.underline);
    EXPECT_EQ(form->Book.background, 12);
    // A stored cut outside the user's 0..10 is shown and used as it is.
    EXPECT_EQ(form->e_upper_cut->value(), 15);
    EXPECT_EQ(form->e_bott_cut->value(), 1);
    const QFontMetrics metrics(MakeQFont(form->Book.font));
    EXPECT_EQ(form->FontStrip.height(), metrics.ascent() + metrics.descent() - 16);
    EXPECT_EQ(form->e_model->ItemIndex(), 2);
    EXPECT_EQ(form->i_scr->size(), QSize(240, 320));
    EXPECT_EQ(form->Book.openDir, QString());
    EXPECT_EQ(form->Book.saveDir, QStringLiteral("/books/out/"));
    EXPECT_EQ(form->font_label->text(), QStringLiteral(" DejaVu Serif, 48"));
}

TEST_F(StartupTest, GlyphFilesAndPreviewAreThoseOfTheFinalSettingsAndCutsAreCheckedInTurn)
{
    app.Write("profiles.ini", kThreeProfiles);
    // The lower cut fits; the upper one, applied after it, does not and is put back.
    for (const int upper : {2, 200}) {
        SCOPED_TRACE(upper);
        desktop.messages.clear();
        app.Write("config.ini", "[Font]\r\nName=DejaVu Sans\r\nSize=12\r\n[Global]\r\nBackground=65280\r\nUpperCut=" +
                                    std::to_string(upper) + "\r\nBottCut=1\r\nModel=1\r\nSysline=0\r\n");
        auto form = Start();
        const int applied = upper == 200 ? 0 : upper;
        EXPECT_EQ(form->e_upper_cut->value(), applied);
        EXPECT_EQ(desktop.messages, upper == 200 ? QStringList{QString::fromUtf8(kCutSumMessage)} : QStringList{});

        const FontStripImage expected = RenderFontStrip(form->Book.font, form->Book.background, applied, 1);
        EXPECT_EQ(app.Read("temp/fonts/default.props"), GlyphTableFileBytes(expected.table));
        EXPECT_EQ(form->FontStrip, expected.strip);
        const TempDir written;
        WriteFontFiles(written.Path(), expected.table, expected.strip);
        EXPECT_TRUE(app.Read("temp/fonts/default.png") == written.Read("default.png"));

        // The preview on screen is the one the settings draw.
        const QImage shown = form->i_scrBitmap;
        EXPECT_EQ(shown.size(), QSize(176, 208));
        form->RenderPreview();
        EXPECT_EQ(form->i_scrBitmap, shown);
    }
}

// Run by TheFirstStripDoesNotDependOnTheFontConfiguration in a child process: starts the window
// in a program folder of its own and leaves its glyph files, its preview and whether the book's
// face is antialiased as configured in the folder it is given.
TEST_F(StartupTest, ChildLeavesItsStartFiles)
{
    const QString out = qEnvironmentVariable("LUMIRA_STARTUP_OUT");
    if (out.isEmpty()) GTEST_SKIP() << "only run as a child of StartupTest.TheFirstStripDoesNotDependOnTheFontConfiguration";
    app.Write("profiles.ini", kThreeProfiles);
    app.Write("config.ini", "[Font]\r\nName=DejaVu Serif\r\nSize=11\r\nBold=1\r\nColor=4210752\r\n[Global]\r\n"
                            "Background=14741759\r\nUpperCut=2\r\nBottCut=1\r\nModel=1\r\nSysline=0\r\n");
    BookFontStyle stored;
    stored.name = QStringLiteral("DejaVu Serif");
    stored.size = 11;
    stored.bold = true;
    // Asked before the program's rule is added, on a thread of its own as the window asks it (a font
    // made on this thread before the rule would be kept for the window's own).
    const bool antialiased = std::async(std::launch::async, [&] { return AntialiasedAsConfigured(BookQFontAsConfigured(stored)); }).get();
    auto form = Start();
    const fs::path folder = out.toStdString();
    WriteFileBytes(folder / "default.props", app.Read("temp/fonts/default.props"));
    WriteFileBytes(folder / "default.png", app.Read("temp/fonts/default.png"));
    ASSERT_TRUE(form->i_scrBitmap.save(QString::fromStdString((folder / "preview.png").string())));
    WriteFileBytes(folder / "configured", antialiased ? "antialiased" : "aliased");
}

// The first strip may be drawn on a second thread before the program's antialiasing rule is added,
// only for a face the configuration antialiases anyway: whether the user switches antialiasing off
// for every font or for small sizes only, the start leaves the same glyph files and preview.
TEST_F(StartupTest, TheFirstStripDoesNotDependOnTheFontConfiguration)
{
    const char* const head = "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
                             "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>";
    const TempDir dir;
    dir.Write("aliased.conf", std::string(head) +
                                  "<match target=\"font\"><edit name=\"antialias\" mode=\"assign\"><bool>false</bool></edit></match></fontconfig>");
    dir.Write("small-aliased.conf", std::string(head) +
                                        "<match target=\"font\"><test name=\"pixelsize\" compare=\"less\"><double>20</double></test>"
                                        "<edit name=\"antialias\" mode=\"assign\"><bool>false</bool></edit></match></fontconfig>");
    const std::vector<std::pair<std::string, std::string>> configurations = {
        {"", "antialiased"}, {"aliased.conf", "aliased"}, {"small-aliased.conf", "aliased"}};
    std::vector<std::string> first;
    for (const auto& [configuration, configured] : configurations) {
        SCOPED_TRACE(configuration);
        const fs::path out = dir / ("run-" + configuration);
        CreateFolderChain(out);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("FONTCONFIG_FILE"));
        if (!configuration.empty()) env.insert(QStringLiteral("FONTCONFIG_FILE"), QString::fromStdString((dir / configuration).string()));
        env.insert(QStringLiteral("LUMIRA_STARTUP_OUT"), QString::fromStdString(out.string()));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=StartupTest.ChildLeavesItsStartFiles")});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        EXPECT_EQ(ReadFileBytes(out / "configured"), configured);
        std::vector<std::string> files;
        for (const char* file : {"default.props", "default.png", "preview.png"}) files.push_back(ReadFileBytes(out / file));
        if (first.empty()) first = files;
        for (size_t f = 0; f < files.size(); ++f) EXPECT_TRUE(files[f] == first[f]) << "file " << f << " differs";
    }
}

TEST_F(StartupTest, WorkingFolderIsEmptiedAtStartAndRemovedAtTheEnd)
{
    app.Write("temp/text/chunk.0", "stale");
    app.Write("temp/leftover.txt", "stale");
    {
        auto form = Start();
        EXPECT_FALSE(fs::exists(app / "temp" / "leftover.txt"));
        EXPECT_FALSE(fs::exists(app / "temp" / "text"));
        EXPECT_TRUE(fs::is_directory(app / "temp"));
    }
    EXPECT_FALSE(fs::exists(app / "temp"));
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartupTest, WorkingFolderThatIsALinkIsReplacedByAFolderAndNothingIsWrittenThroughIt)
{
    const TempDir elsewhere;
    elsewhere.Write("keep.txt", "theirs");
    fs::create_directory_symlink(elsewhere.Path(), app / "temp");
    {
        auto form = Start();
        EXPECT_FALSE(fs::is_symlink(app / "temp"));
        EXPECT_TRUE(fs::is_regular_file(app / "temp" / "fonts" / "default.png"));
    }
    std::vector<std::string> there;
    for (const auto& entry : fs::directory_iterator(elsewhere.Path())) there.push_back(entry.path().filename().string());
    EXPECT_EQ(there, std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(elsewhere.Read("keep.txt"), "theirs");

    // A file in the folder's place is the user's: refused, kept.
    app.Write("temp", "a file");
    try {
        Start();
        FAIL() << "started over a file named temp";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("temp"), std::string::npos) << e.what();
    }
    EXPECT_EQ(app.Read("temp"), "a file");
}

TEST_F(StartupTest, MissingSampleEndsTheStart)
{
    fs::remove(app / "sample");
    try {
        Start();
        FAIL() << "started without sample";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), CannotOpenText(app / "sample", ENOENT));
    }
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartupTest, UnwritableProgramFolderFailsAtTheGlyphFiles)
{
    app.Write("temp", "a file where the working folder should be");
    // The files are written while the preview is drawn; when both fail, the files' failure is told.
    for (const bool withBandPicture : {true, false}) {
        if (!withBandPicture) fs::remove(app / "iface.dat");
        try {
            Start();
            FAIL() << "started without a working folder";
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), CannotCreateText(app / "temp/fonts/default.props", ENOTDIR));
        }
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
}

TEST_F(StartupTest, TheWindowFaceIsTheOneItsListOfFamiliesResolvesTo)
{
    // Families that are not installed are left out of the window's font; the face drawn is the
    // one the whole list gives.
    auto form = Start();
    QFont listed(QStringLiteral("Tahoma"));
    listed.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Verdana")});
    listed.setPixelSize(form->font().pixelSize());
    EXPECT_EQ(QFontInfo(form->font()).family(), QFontInfo(listed).family());
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : form->font().families())
        EXPECT_TRUE(installed.contains(family, Qt::CaseInsensitive)) << family.toStdString();
}

TEST_F(StartupTest, FirstCloseWritesEveryKeyInOrder)
{
    auto form = Start();
    form->FormClose();
    const std::string dir = app.DirText().toStdString();
    EXPECT_EQ(app.Read("config.ini"),
              "[Global]\r\nUpperCut=0\r\nBottCut=0\r\nBackground=16777215\r\nModel=-1\r\nSysline=1\r\n"
              "OpenDir=" + dir + "\r\nSaveDir=" + dir + "\r\nEncoding=auto\r\nHyphenation=dictionary\r\n\r\n"
              "[Font]\r\nName=Tahoma\r\nSize=8\r\nBold=0\r\nItalic=0\r\nUnderline=0\r\nColor=0\r\n");
    // Every close writes every key again, and keeps what it does not own.
    app.Write("config.ini", "[Mine]\r\nx=1\r\n[Global]\r\nModel=5\r\n");
    form->Book.font.strikeOut = true;
    form->FormClose();
    const IniFile config(app / "config.ini");
    EXPECT_EQ(config.ReadSections(), (std::vector<std::string>{"Mine", "Global", "Font"}));
    EXPECT_EQ(config.ReadInteger("Mine", "x", 0), 1);
    EXPECT_EQ(config.ReadInteger("Global", "Model", 5), -1);
    EXPECT_EQ(config.ReadString("Font", "StrikeOut", "none"), "none");
}

TEST_F(StartupTest, ReadOnlySettingsAreToldOnceAndTheWindowCloses)
{
    auto form = Start();
    app.Write("config.ini", "[Global]\r\nModel=0\r\n");
    fs::permissions(app / "config.ini", fs::perms::owner_read);
    form->show();
    // Through the message loop: the error box says why once, the file stays whole, the close happens.
    QCloseEvent event;
    QCoreApplication::sendEvent(form.get(), &event);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(desktop.errors, QStringList{QStringLiteral("Настройки не сохранены: Не удаётся записать файл «") +
                                          FromFsPath(app / "config.ini") + QStringLiteral("»: отказано в доступе")});
    EXPECT_EQ(app.Read("config.ini"), "[Global]\r\nModel=0\r\n");
}

// Run as a separate process by the test below: holds the folder named in the environment.
TEST(SingleInstance, HoldsTheFolderForAnotherProcess)
{
    const QString folder = qEnvironmentVariable("LUMIRA_TEST_HOLD_FOLDER");
    if (folder.isEmpty()) GTEST_SKIP() << "helper process only";
    SingleInstance first(folder);
    std::printf(first.Acquired() ? "holding\n" : "refused\n");
    std::fflush(stdout);
    QThread::sleep(30);
}

TEST(SingleInstance, SecondCopyFromTheSameFolderIsRefused)
{
    TempDir dir;
    dir.Write("temp/keep.txt", "first copy's work");
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMIRA_TEST_HOLD_FOLDER"), dir.DirText());
    first.setProcessEnvironment(env);
    first.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SingleInstance.HoldsTheFolderForAnotherProcess")});
    ASSERT_TRUE(first.waitForStarted());
    QByteArray said;
    while (!said.contains("holding") && !said.contains("refused") && first.waitForReadyRead(10000))
        said += first.readAllStandardOutput();
    ASSERT_TRUE(said.contains("holding")) << said.toStdString();

    {
        SingleInstance second(dir.DirText());
        EXPECT_FALSE(second.Acquired());
    }
    EXPECT_EQ(SingleInstance::AlreadyRunningText(), QStringLiteral("Программа уже запущена из этой папки."));
    EXPECT_EQ(dir.Read("temp/keep.txt"), "first copy's work");

    // A copy that died leaves a stale lock, which the next start takes over.
    first.kill();
    first.waitForFinished();
    SingleInstance third(dir.DirText());
    EXPECT_TRUE(third.Acquired());
}

TEST(ErrorBox, ExceptionsEscapingHandlersAreShownAndTheLoopGoesOn)
{
    ScriptedDesktop desktop;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, [] { throw AppError("Cannot open file x"); });
    button.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &press);
    QCoreApplication::sendEvent(&button, &release);
    EXPECT_EQ(desktop.errors, QStringList{QStringLiteral("Cannot open file x")});
}

TEST(StartupFolders, ProgramFolderBeyondCp1251IsUsedAsItIsAndStoredAsItsParent)
{
    ScriptedDesktop desktop;
    AppFolder base{false};
    const fs::path folder = base / "книги 書";
    fs::create_directory(folder);
    for (const char* name : {"sample", "iface.dat"}) fs::copy_file(base / name, folder / name);
    const QString appDir = FromFsPath(folder) + QDir::separator();
    {
        MainWindow form(appDir);
        EXPECT_EQ(form.Book.saveDir, appDir);
        EXPECT_EQ(form.Book.openDir, appDir);
        form.FormClose();
    }
    const IniFile config(folder / "config.ini");
    // "книги 書/" cannot be written in cp1251; its parent, which can, is remembered instead.
    EXPECT_EQ(Cp1251ToQString(config.ReadString("Global", "SaveDir", "")), base.DirText());
    EXPECT_EQ(Cp1251ToQString(config.ReadString("Global", "OpenDir", "")), base.DirText());
}

} // namespace lumira
