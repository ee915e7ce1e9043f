// Books in the main window: choosing one names the book after its own title, shows its format
// and declared encoding, previews its laid-out text, and Create puts that text in the package;
// a damaged book is refused and changes nothing.
#include "app/main_window.h"
#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "sample_books.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct BookWindowTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app;
    TempDir books;
    SystemTempDir systemTemp;  // the system's temporary folder while the test runs
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        MakeZip(app / "velmar.dat", StandardTemplate());
        form = std::make_unique<MainWindow>(app.DirText());
        form->Book.saveDir = FromFsPath(books.Path()) + QLatin1Char('/');
    }
    void TearDown() override { form.reset(); }

    void Choose(const std::string& name)
    {
        desktop.openAnswers.push_back(FromFsPath(books / name));
        form->cxButtonEdit1PropertiesButtonClick();
    }

    // The preview of a laid-out text as a cp1251 text's.
    static LineList PreviewOf(const std::string& utf8)
    {
        const std::string cp = QStringToCp1251(QString::fromStdString(utf8));
        return SplitLines(std::string_view(cp).substr(0, std::min<size_t>(cp.size(), 2047)));
    }

    bool MenuEnabled() const
    {
        for (QAction* a : form->e_text_encoding->menu()->actions())
            if (a->isEnabled()) return true;
        return false;
    }
};

} // namespace

TEST_F(BookWindowTest, OpenDialogOffersEveryKindFirst)
{
    form->cxButtonEdit1PropertiesButtonClick();  // cancelled: only the request matters
    ASSERT_FALSE(desktop.openRequests.empty());
    const QStringList parts = desktop.openRequests.back().filter.split(QLatin1Char('|'));
    ASSERT_EQ(parts.size(), 6);
    for (const char* kind : {"*.txt", "*.fb2", "*.zip", "*.epub", "*.html", "*.htm"})
        EXPECT_TRUE(parts[1].split(QLatin1Char(';')).contains(QLatin1String(kind))) << kind;
    EXPECT_EQ(parts.mid(2).join(QLatin1Char('|')), QStringLiteral("Текстовые фалы|*.txt|Все файлы|*.*"));
}

TEST_F(BookWindowTest, ChoosingABookTakesItsTitleFormatAndLaidOutText)
{
    books.Write("vrungel.fb2", SampleFb2Cp1251());
    WriteSampleEpub(books / "tales.epub");
    books.Write("page.html", "<html><head><title>Страница</title></head><body><p>Абзац.</p></body></html>");

    Choose("vrungel.fb2");
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("Приключения капитана"));
    EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + QStringLiteral("priklyucheniya_kapitana.jar"));
    EXPECT_EQ(form->e_text_encoding->text(), QStringLiteral("FB2, 1251"));
    EXPECT_FALSE(MenuEnabled());  // the book declares its encoding
    EXPECT_EQ(form->PreviewText, PreviewOf(kSampleFb2Text));

    Choose("tales.epub");
    EXPECT_EQ(form->e_caption->text(), QString::fromUtf8(kSampleEpubTitle));
    EXPECT_EQ(form->e_text_encoding->text(), QStringLiteral("EPUB, UTF-8"));
    EXPECT_EQ(form->PreviewText, PreviewOf(SampleEpubText()));

    // An HTML file without a charset is read in the row's choice, which stays open to change.
    Choose("page.html");
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("Страница"));
    EXPECT_EQ(form->e_text_encoding->text(), QStringLiteral("HTML, Авто (UTF-8)"));
    EXPECT_TRUE(MenuEnabled());
    EXPECT_EQ(form->PreviewText, LineList{"   \xC0\xE1\xE7\xE0\xF6."});

    // A plain text afterwards is a text again.
    books.Write("plain.txt", "Just text\r\n");
    Choose("plain.txt");
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("plain"));
    EXPECT_EQ(form->e_text_encoding->text(), QStringLiteral("Авто (1251)"));
    EXPECT_TRUE(MenuEnabled());
}

TEST_F(BookWindowTest, DamagedBookIsRefusedAndNothingChanges)
{
    books.Write("good.txt", "Хороший текст\r\n");
    Choose("good.txt");
    const QString text = form->e_text->text();
    const QString caption = form->e_caption->text();
    const QString openDir = form->Book.openDir;
    const LineList preview = form->PreviewText;

    fs::create_directories(books / "elsewhere");
    books.Write("elsewhere/broken.fb2", "<?xml version=\"1.0\"?>\n<FictionBook><body><p>без конца</body>");
    WriteArchive(books / "elsewhere" / "empty.zip", {{"readme.txt", "нет книги"}});
    for (const char* name : {"elsewhere/broken.fb2", "elsewhere/empty.zip"}) {
        desktop.openAnswers.push_back(FromFsPath(books / name));
        EXPECT_THROW(form->cxButtonEdit1PropertiesButtonClick(), std::exception) << name;
        EXPECT_EQ(form->e_text->text(), text);
        EXPECT_EQ(form->e_caption->text(), caption);
        EXPECT_EQ(form->Book.openDir, openDir);
        EXPECT_EQ(form->PreviewText, preview);
    }
}

TEST_F(BookWindowTest, CreateFromABookPacksItsLaidOutTextAndLeavesNoCopy)
{
    WriteFb2Zip(books / "vrungel.fb2.zip");
    Choose("vrungel.fb2.zip");
    EXPECT_EQ(form->e_text_encoding->text(), QStringLiteral("FB2 в ZIP, UTF-8"));
    desktop.saveAnswers.push_back(FromFsPath(books / "vrungel.jar"));
    form->b_okClick();
    // The text as laid out, with the dictionary's soft hyphens in (the window's default).
    std::string packed = EntryContent(books / "vrungel.jar", "text/chunk.0");
    EXPECT_NE(packed.find('\xAD'), std::string::npos);
    std::erase(packed, '\xAD');
    EXPECT_EQ(packed, QStringToCp1251(QString::fromUtf8(kSampleFb2Text)));
    EXPECT_TRUE(fs::is_empty(systemTemp.Path()));
    EXPECT_TRUE(desktop.messages.isEmpty()) << desktop.messages.join("\n").toStdString();
}

} // namespace lumira
