// What the window says about a Create and lets the user do meanwhile: the status line lives only
// as long as what it tells holds, a package too large for phones is noted, a folder that cannot be
// opened is told, and closing during a build asks first.
#include "app/main_window.h"
#include "app/create_panel.h"
#include "book/book_builder.h"
#include "book/book_volumes.h"
#include "book/zip_test_util.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct CreateStatusTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app;
    std::unique_ptr<MainWindow> form;

    void Start(const std::string& text = "A short text.\r\n")
    {
        MakeZip(app / "velmar.dat", StandardTemplate());
        form = std::make_unique<MainWindow>(app.DirText());
        app.Write("book.txt", text);
        form->e_text->setText(FromFsPath(app / "book.txt"));
        form->e_caption->setText(QStringLiteral("Книга"));
        fs::create_directories(app / "books");
    }

    // A Create that succeeds; its status line is up.
    void Create(const std::string& jar = "kniga.jar")
    {
        desktop.saveAnswers.push_back(FromFsPath(app / "books" / jar));
        form->b_okClick();
        ASSERT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join(QLatin1Char('\n')).toStdString();
        ASSERT_FALSE(Status().isHidden());
    }

    const QLabel& Status() const { return *form->createPanel->status; }
};

// Letters in no order: text that does not compress much.
std::string Scrambled(std::size_t size)
{
    std::mt19937 random(7);
    std::string text(size, ' ');
    for (char& c : text) c = static_cast<char>(0xC0 + random() % 64);
    return text;
}

} // namespace

TEST_F(CreateStatusTest, TheStatusLineGoesWhenWhatItToldNoLongerHolds)
{
    Start();
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"title", [&] { form->e_caption->setText(QStringLiteral("Другая")); }},
        {"text", [&] {
             app.Write("other.txt", "Another text.\r\n");
             desktop.openAnswers.push_back(FromFsPath(app / "other.txt"));
             form->cxButtonEdit1PropertiesButtonClick();
         }},
        {"profile", [&] { form->e_model->SetItemIndex(form->e_model->ItemIndex() == 0 ? 1 : 0); }},
        {"font", [&] {
             BookFontStyle font = form->Book.font;
             font.size += 1;
             desktop.fontAnswers.push_back(font);
             form->b_fontClick();
         }},
        {"background", [&] {
             desktop.colorAnswers.push_back(ColorValue(0x00FF00));
             form->b_backClick();
         }},
        {"cut", [&] { form->e_upper_cut->setValue(1); }},
        {"failed build", [&] {
             fs::rename(app / "velmar.dat", app / "saved.dat");
             desktop.saveAnswers.push_back(FromFsPath(app / "books/kniga.jar"));
             EXPECT_NE(ErrorOf([&] { form->b_okClick(); }), "");
             fs::rename(app / "saved.dat", app / "velmar.dat");
         }},
        {"failed before the dialog", [&] {
             form->e_text->setText(FromFsPath(app / "gone.txt"));
             EXPECT_NE(ErrorOf([&] { form->b_okClick(); }), "");
             form->e_text->setText(FromFsPath(app / "book.txt"));
         }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        Create();
        change();
        EXPECT_TRUE(Status().isHidden());
    }
    // A cancelled save dialog is no failure: the line of the last book stays.
    Create();
    form->b_okClick();
    EXPECT_FALSE(Status().isHidden());
}

TEST_F(CreateStatusTest, AFolderThatCannotBeOpenedIsToldOnTheStatusLine)
{
    Start();
    Create();
    desktop.urlsOpen = false;
    emit form->createPanel->status->linkActivated(QStringLiteral("folder"));
    EXPECT_EQ(desktop.openedUrls.size(), 1);
    const QString told = QStringLiteral("Не удаётся открыть папку: нет файлового менеджера.");
    EXPECT_FALSE(Status().isHidden());
    EXPECT_EQ(Status().toolTip(), told + QStringLiteral("\n") + FromFsPath(app / "books"));  // the folder whole
    QTextDocument shown;
    shown.setHtml(Status().text());
    EXPECT_EQ(shown.toPlainText().replace(QChar::LineSeparator, QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString(), told.toStdString());  // no word of it cut off
}

// Every line the status row may hold shows whole, and the row's widgets cover no
// other control of the settings column, in either language.
TEST_F(CreateStatusTest, TheStatusRowHoldsEveryLineAndCoversNoOtherControl)
{
    MakeZip(app / "velmar.dat", StandardTemplate());
    const QString folder = FromFsPath(app / "books");
    for (const Language language : {Language::Russian, Language::English}) {
        ApplyLanguage(language);
        MainWindow window(app.DirText());
        window.show();
        CreatePanel* panel = &window.TheCreatePanel();
        QWidget* column = window.b_ok->parentWidget();
        const auto covers = [&](const QWidget* own) {
            QStringList covered;
            for (const QWidget* w : column->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (w != own && w->isVisible() && w->geometry().intersects(own->geometry()))
                    covered << w->objectName() + QLatin1Char(':') + w->metaObject()->className();
            return covered.join(QLatin1Char(' ')).toStdString();
        };
        panel->Start();
        EXPECT_EQ(covers(panel->bar), "");
        EXPECT_EQ(covers(panel->cancel), "");
        panel->Finish();
        const QString longName = folder + QStringLiteral("/Очень длинное название книги, которое не влезает.jar");
        const std::vector<std::pair<const char*, std::function<void()>>> lines = {
            {"saved", [&] { panel->ShowSaved(folder + QStringLiteral("/kniga.jar")); }},
            {"saved with a long name and a note", [&] { panel->ShowSaved(longName, QStringLiteral("note")); }},
            {"volumes", [&] { panel->ShowSavedVolumes(QStringList(120, longName)); }},
            {"cancelled", [&] { panel->ShowStatus(QString::fromUtf8(BookCancelled().what())); }},
            {"no file manager", [&] {
                 panel->ShowSaved(longName);
                 desktop.urlsOpen = false;
                 emit panel->status->linkActivated(QStringLiteral("folder"));
             }},
        };
        for (const auto& [what, show] : lines) {
            SCOPED_TRACE(std::string(what) + (language == Language::English ? " (English)" : ""));
            show();
            const QLabel& status = *panel->status;
            EXPECT_TRUE(status.isVisible());
            EXPECT_EQ(covers(&status), "");
            EXPECT_LE(status.sizeHint().width(), status.width()) << status.text().toStdString();
            EXPECT_LE(status.sizeHint().height(), status.height()) << status.text().toStdString();
            // Only a file name may be shortened, never a message.
            if (std::string(what) == "cancelled" || std::string(what) == "no file manager") {
                EXPECT_FALSE(status.text().contains(QChar(0x2026))) << status.text().toStdString();
            }
        }
    }
    ApplyLanguage(Language::Russian);
}

TEST_F(CreateStatusTest, APackageOverAMegabyteWithoutALimitIsNoted)
{
    Start(Scrambled(1500 * 1024));
    Create();
    ASSERT_GT(FileSizeOfPath(app / "books/kniga.jar"), kCommonPackageLimit);
    EXPECT_TRUE(Status().text().contains(QStringLiteral("\u26A0"))) << Status().text().toStdString();
    EXPECT_TRUE(Status().toolTip().contains(QStringLiteral("большинство телефонов не примут пакет больше 1 МБ")))
        << Status().toolTip().toStdString();

    // A small book says nothing of the kind.
    app.Write("book.txt", "Short again.\r\n");
    Create("small.jar");
    EXPECT_FALSE(Status().text().contains(QStringLiteral("\u26A0")));
    EXPECT_FALSE(Status().toolTip().contains(QStringLiteral("1 МБ")));
}

// Volumes of an earlier split that a new Create takes away are the user's files: the window says so.
TEST_F(CreateStatusTest, VolumesTakenAwayByANewSplitAreTold)
{
    Start(Scrambled(300 * 1024));
    form->Profiles[static_cast<std::size_t>(form->Book.profile)].MaxJarSize = 100;
    Create();
    EXPECT_TRUE(Status().text().contains(QStringLiteral("томов"))) << Status().text().toStdString();
    EXPECT_TRUE(desktop.messages.isEmpty());
    form->Profiles[static_cast<std::size_t>(form->Book.profile)].MaxJarSize = 0;
    Create();
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(desktop.messages.back().contains(QStringLiteral("Удалены тома прежнего деления книги с тем же именем")))
        << desktop.messages.back().toStdString();
}

TEST_F(CreateStatusTest, ClosingDuringABuildAsksAndOnlyYesStopsItKeepingTheEarlierBook)
{
    Start();
    Create();
    const std::string earlier = ReadFileBytes(app / "books/kniga.jar");
    form->show();

    app.Write("book.txt", std::string(12 << 20, 'y'));
    desktop.saveAnswers.push_back(FromFsPath(app / "books/kniga.jar"));
    bool buildingAfterNo = false;
    bool stillShownAfterNo = false;
    QTimer::singleShot(0, form.get(), [&] {
        desktop.askAnswers = {false, true};
        form->close();  // "no": the build goes on, the window stays
        buildingAfterNo = form->Creating() && !form->createPanel->CancelFlag();
        stillShownAfterNo = form->isVisible();
        form->b_close->click();  // "yes"
    });
    form->b_okClick();
    EXPECT_TRUE(buildingAfterNo);
    EXPECT_TRUE(stillShownAfterNo);
    EXPECT_EQ(desktop.questions, (QStringList{QStringLiteral("Книга ещё создаётся. Прервать и закрыть?"),
                                             QStringLiteral("Книга ещё создаётся. Прервать и закрыть?")}));
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_EQ(ReadFileBytes(app / "books/kniga.jar"), earlier);
    // The close takes place once the build has stopped, and writes the settings as any close does.
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(fs::exists(app / "config.ini"));
}

} // namespace lumira
