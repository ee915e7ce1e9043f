// Create from the main window: the save dialog, the folder it remembers, the record it keeps and
// the package built from the window's own choices.
#include "app/main_window.h"
#include "app/create_panel.h"
#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"
#include "support/cp1251_text.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Every file below a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(e.path(), folder).generic_string();
        files[name] = e.is_regular_file() ? ReadFileBytes(e.path()) : std::string("<folder>");
    }
    return files;
}

struct CreateWindowTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app;
    std::unique_ptr<MainWindow> form;

    void Start()
    {
        MakeZip(app / "velmar.dat", StandardTemplate());
        form = std::make_unique<MainWindow>(app.DirText());
        app.Write("Моя книга.txt", std::string(39998, 'x') + "\r\n");
        form->e_text->setText(FromFsPath(app / "Моя книга.txt"));
        form->e_caption->setText(QStringLiteral("Моя книга"));
        fs::create_directories(app / "books");
    }

    QString Target(const std::string& name) const { return FromFsPath(app / "books" / name); }
};

} // namespace

TEST_F(CreateWindowTest, BuildsTheBookFromTheWindowsChoicesAndRemembersTheFolder)
{
    Start();
    form->Book.background = MakeColorValue(0x33, 0x22, 0x11);
    form->e_model->SetItemIndex(1);    // Sony Ericsson K750i, 176 x 220
    form->e_sysline->SetItemIndex(0);  // "Вверху"
    form->BookSettingsRecord[4] = 0x77;
    desktop.saveAnswers.push_back(Target("kniga.jar"));
    form->b_okClick();

    ASSERT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_EQ(desktop.saveRequests[0].filter, QStringLiteral("Jar-пакет|*.jar|Все файлы|*.*"));
    EXPECT_EQ(desktop.saveRequests[0].defaultExt, QStringLiteral("jar"));
    EXPECT_EQ(form->Book.saveDir, FromFsPath(app / "books") + QDir::separator());

    const fs::path jar = app / "books/kniga.jar";
    const std::string config = EntryContent(jar, "config");
    EXPECT_EQ(config, std::string(form->BookSettingsRecord.begin(), form->BookSettingsRecord.end()));
    EXPECT_EQ(std::vector<int>(form->BookSettingsRecord.begin(), form->BookSettingsRecord.begin() + 12),
              (std::vector<int>{0x40, 0x9C, 0x00, 0x00, 0x77, 0x11, 0x22, 0x33, 0xB0, 0x00, 0xDC, 0x00}));
    EXPECT_EQ(form->BookSettingsRecord[26], 1);

    const auto names = EntryNames(jar);
    for (const std::string wanted : {"fonts/default.props", "fonts/default.png", "text/chunk.1", "book.png"})
        EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
    EXPECT_EQ(EntryContent(jar, "fonts/default.png"), app.Read("temp/fonts/default.png"));

    const LineList jad = ReadLineList(app / "books/kniga.jad");
    const std::string title = Cp1251ToUtf8(Utf8ToCp1251("Моя книга"));
    EXPECT_NE(std::find(jad.begin(), jad.end(), "MIDlet-Name: " + title), jad.end());
    EXPECT_EQ(jad.back(), "MIDlet-Jar-Size: " + std::to_string(fs::file_size(jar)));
}

TEST_F(CreateWindowTest, TheBookIsMadeFromTheTextOpenedWhenCreateWasPressed)
{
    Start();
    const std::string text = ReadFileBytes(app / "Моя книга.txt");
    app.Write("other.txt", "another text\r\n");
    desktop.whileSaving = [&] { fs::rename(app / "other.txt", app / "Моя книга.txt"); };
    desktop.saveAnswers.push_back(Target("kniga.jar"));
    form->b_okClick();
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(EntryContent(app / "books/kniga.jar", "text/chunk.0") + EntryContent(app / "books/kniga.jar", "text/chunk.1"),
              text);
}

TEST_F(CreateWindowTest, CancellingTheSaveDialogChangesNothing)
{
    Start();
    desktop.saveAnswers.push_back(Target("first.jar"));
    form->b_okClick();
    const auto temp = Snapshot(app / "temp");
    const auto record = form->BookSettingsRecord;
    form->Book.saveDir = QStringLiteral("/elsewhere/");

    form->b_okClick();  // the dialog answers "cancelled"
    EXPECT_EQ(desktop.saveRequests.size(), 2u);
    EXPECT_EQ(form->Book.saveDir, QStringLiteral("/elsewhere/"));
    EXPECT_EQ(form->BookSettingsRecord, record);
    EXPECT_EQ(Snapshot(app / "temp"), temp);
}

TEST_F(CreateWindowTest, WithoutAPhoneCreateIsRefusedBeforeTheDialog)
{
    app.Write("profiles.ini", "");
    Start();
    ASSERT_EQ(form->e_model->ItemIndex(), -1);
    const auto temp = Snapshot(app / "temp");
    desktop.saveAnswers.push_back(Target("book.jar"));
    EXPECT_EQ(ErrorOf([&] { form->b_okClick(); }), "Не выбран профиль телефона.");
    EXPECT_TRUE(desktop.saveRequests.empty());
    EXPECT_EQ(Snapshot(app / "temp"), temp);
    EXPECT_TRUE(fs::is_empty(app / "books"));
}

TEST_F(CreateWindowTest, TheChosenFolderIsKeptEvenWhenTheBuildFails)
{
    Start();
    fs::remove(app / "velmar.dat");
    desktop.saveAnswers.push_back(Target("book.jar"));
    const std::string msg = ErrorOf([&] { form->b_okClick(); });
    EXPECT_NE(msg.find((app / "velmar.dat").string()), std::string::npos) << msg;
    EXPECT_EQ(form->Book.saveDir, FromFsPath(app / "books") + QDir::separator());
    EXPECT_TRUE(fs::is_empty(app / "books"));
    EXPECT_EQ(desktop.busyDepth, 0);
}

TEST_F(CreateWindowTest, SuccessIsToldOnTheStatusLineWhoseLinkOpensTheFolder)
{
    Start();
    desktop.saveAnswers.push_back(Target("kniga.jar"));
    form->b_okClick();
    ASSERT_NE(form->createPanel, nullptr);
    const QLabel* status = form->createPanel->status;
    EXPECT_FALSE(status->isHidden());
    EXPECT_TRUE(status->text().contains(QStringLiteral("Книга сохранена: kniga.jar"))) << status->text().toStdString();
    EXPECT_TRUE(form->createPanel->bar->isHidden());
    EXPECT_TRUE(form->createPanel->cancel->isHidden());
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_TRUE(form->b_ok->isEnabled());

    emit form->createPanel->status->linkActivated(QStringLiteral("folder"));
    ASSERT_EQ(desktop.openedUrls.size(), 1);
    EXPECT_EQ(QUrl(desktop.openedUrls[0]).toLocalFile(), FromFsPath(app / "books"));
}

TEST_F(CreateWindowTest, WindowLivesDuringTheBuildAndCancelKeepsTheEarlierBook)
{
    Start();
    desktop.saveAnswers.push_back(Target("kniga.jar"));
    form->b_okClick();
    const std::string earlier = ReadFileBytes(app / "books/kniga.jar");

    app.Write("Моя книга.txt", std::string(12 << 20, 'y'));
    desktop.saveAnswers.push_back(Target("kniga.jar"));
    bool sawBuild = false;
    QTimer::singleShot(0, form.get(), [&] {
        // Events reach the window while the book is built; another Create is not started.
        sawBuild = form->Creating();
        EXPECT_FALSE(form->b_ok->isEnabled());
        EXPECT_FALSE(form->b_font->isEnabled());
        EXPECT_FALSE(form->createPanel->bar->isHidden());
        desktop.saveAnswers.push_back(Target("other.jar"));
        form->b_okClick();
        form->createPanel->cancel->click();
    });
    form->b_okClick();
    EXPECT_TRUE(sawBuild);
    EXPECT_EQ(desktop.saveRequests.size(), 2u);
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_TRUE(form->createPanel->status->text().contains(QStringLiteral("отменено")));
    EXPECT_TRUE(ReadFileBytes(app / "books/kniga.jar") == earlier);
    std::vector<std::string> books;
    for (const auto& e : fs::directory_iterator(app / "books")) books.push_back(e.path().filename().string());
    std::sort(books.begin(), books.end());
    EXPECT_EQ(books, (std::vector<std::string>{"kniga.jad", "kniga.jar"}));
    EXPECT_TRUE(form->b_ok->isEnabled());
    EXPECT_TRUE(form->b_font->isEnabled());
    EXPECT_FALSE(form->Creating());
}

} // namespace lumira
