// The window's preview of the whole book: its pages are the command line's, a new text opens at
// its first page, another font keeps the reading place, and the window's thread keeps running
// while a long text is being paged.
#include "app/main_window.h"
#include "cli/page_dump.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "preview/page_setup.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"
#include "support/cp1251_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QListWidget>
#include <QToolButton>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace lumira {

namespace {

const char* const kProfiles = "[Small]\r\nWidth=128\r\nHeight=160\r\n[Large]\r\nWidth=240\r\nHeight=320\r\n";

std::string Paragraphs(int count, const std::string& prefix, const std::string& separator)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += prefix + "Абзац " + std::to_string(i) + ": переносимые слова, длинные предложения и ещё раз слова." + separator;
    return text;
}

// An FB2 book of chapters with titles, in Russian, so that title marks and dictionary hyphens are in.
std::string LongFb2()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><description><title-info>"
                      "<book-title>Длинная книга</book-title><lang>ru</lang></title-info></description><body>";
    for (int chapter = 1; chapter <= 6; ++chapter)
        xml += "<section><title><p>Глава " + std::to_string(chapter) + "</p></title>" + Paragraphs(25, "<p>", "</p>") + "</section>";
    return xml + "</body></FictionBook>\n";
}

struct WholeBookWindow : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        app.Write("profiles.ini", kProfiles);
        app.Write("config.ini", "[Global]\r\nModel=1\r\nSysline=1\r\n");
        app.Write("long.txt", Utf8ToCp1251(Paragraphs(400, "   ", "\r\n")));
        app.Write("short.txt", Utf8ToCp1251(Paragraphs(40, "   ", "\r\n")));
        app.Write("book.fb2", LongFb2());
        form = std::make_unique<MainWindow>(app.DirText());
    }

    // Runs the window's events until its page index is complete.
    void WaitForPages()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        while ((form->PageIndexBusy() || !form->PreviewPages.Complete()) && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->PreviewPages.Complete());
    }

    QImage Shown() const { return form->i_scr->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }

    // The whole text paged as the command line does for the window's settings.
    std::shared_ptr<PageIndex> CommandLineIndex(const std::filesystem::path& text)
    {
        const BookSettings settings = Settings();
        const FontStripImage glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
        std::string language;
        BookOutline outline;
        std::string layout = ReadLayoutText(TextFile(text), settings.encoding, &language, nullptr, nullptr, &outline);
        auto index = std::make_shared<PageIndex>(std::make_shared<const PageSetup>(MakePageSetup(
            std::move(layout), settings, glyphs.strip.height(), HyphenationFolders(form->Folders), language, std::move(outline))));
        index->Build({});
        return index;
    }

    BookSettings Settings() const
    {
        BookSettings settings;
        settings.font = form->Book.font;
        settings.background = form->Book.background;
        settings.upperCut = form->Book.upperCut;
        settings.bottCut = form->Book.bottCut;
        settings.profile = *form->SelectedProfile();
        settings.band = form->Book.band;
        settings.encoding = form->Book.encoding;
        settings.dictionaryHyphens = form->DictionaryHyphens();
        return settings;
    }

    // The whole text paged and page `page` drawn as the command line does for the window's settings.
    QImage CommandLinePage(const std::filesystem::path& text, int page, int& pageCount)
    {
        const BookSettings settings = Settings();
        const FontStripImage glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
        std::string language;
        std::string layout = ReadLayoutText(TextFile(text), settings.encoding, &language);
        const auto setup = std::make_shared<const PageSetup>(
            MakePageSetup(std::move(layout), settings, glyphs.strip.height(), HyphenationFolders(form->Folders), language));
        PageIndex index(setup);
        index.Build({});
        pageCount = index.PageCount();
        return DrawPage(*setup, index.Page(page), settings, glyphs, form->Folders.DataFile("iface.dat"))
            .convertToFormat(QImage::Format_RGB32);
    }

    void PressKey(Qt::Key key)
    {
        const QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        ASSERT_TRUE(form->PageByKey(press, false));
    }
};

} // namespace

TEST_F(WholeBookWindow, ShowsTheCommandLinesPagesOfABookAndAPlainTextToTheLastPage)
{
    for (const char* name : {"book.fb2", "long.txt"}) {
        SCOPED_TRACE(name);
        form->ChooseTextFile(QString::fromStdString((app / name).string()));
        WaitForPages();
        int count = 0;
        const QImage first = CommandLinePage(app / name, 1, count);
        ASSERT_GT(count, 4);
        EXPECT_EQ(form->PreviewPages.PageCount(), count);
        EXPECT_EQ(Shown(), first);
        for (const int page : {count / 2, count}) {
            ASSERT_TRUE(form->GoToPreviewPlace(QString::number(page)));
            EXPECT_EQ(form->PreviewPages.Page(), page);
            EXPECT_EQ(Shown(), CommandLinePage(app / name, page, count)) << page;
        }
        EXPECT_EQ(form->pageStatus->text(),
                  QStringLiteral("Страница %1 из %1 · 100 %").arg(count));
        EXPECT_FALSE(form->b_p_down->isEnabled());
        PressKey(Qt::Key_Home);
        EXPECT_EQ(form->PreviewPages.Page(), 1);
        EXPECT_FALSE(form->b_p_up->isEnabled());
        PressKey(Qt::Key_PageDown);
        EXPECT_EQ(form->PreviewPages.Page(), 2);
        PressKey(Qt::Key_End);
        EXPECT_EQ(form->PreviewPages.Page(), count);
        PressKey(Qt::Key_PageUp);
        EXPECT_EQ(form->PreviewPages.Page(), count - 1);
        EXPECT_EQ(Shown(), CommandLinePage(app / name, count - 1, count));
    }
    // A share of the text, and what names no place at all.
    ASSERT_TRUE(form->GoToPreviewPlace(QStringLiteral(" 50 % ")));
    EXPECT_GE(form->PreviewPages.Percent(), 50);
    const int half = form->PreviewPages.Page();
    for (const char* wrong : {"", "abc", "101 %", "-3", "5 5"}) EXPECT_FALSE(form->GoToPreviewPlace(QString::fromUtf8(wrong))) << wrong;
    EXPECT_EQ(form->PreviewPages.Page(), half);
    // The field under the preview: what it cannot take is said on the line, a page is gone to.
    form->pageInput->setText(QStringLiteral("abc"));
    emit form->pageInput->returnPressed();
    EXPECT_EQ(form->pageStatus->text(), QStringLiteral("Номер страницы или процент: 120, 45 %"));
    EXPECT_EQ(form->PreviewPages.Page(), half);
    form->pageInput->setText(QStringLiteral("2"));
    emit form->pageInput->returnPressed();
    EXPECT_EQ(form->PreviewPages.Page(), 2);
    EXPECT_TRUE(form->pageInput->text().isEmpty());
    EXPECT_TRUE(form->pageStatus->text().startsWith(QStringLiteral("Страница 2 из ")));
}

TEST_F(WholeBookWindow, ANewTextOpensAtItsFirstPageAndAnotherFontKeepsThePlace)
{
    const QString longText = QString::fromStdString((app / "long.txt").string());
    form->ChooseTextFile(longText);
    WaitForPages();
    ASSERT_TRUE(form->GoToPreviewPlace(QStringLiteral("60%")));
    const int percent = form->PreviewPages.Percent();
    const int pages = form->PreviewPages.PageCount();

    form->Book.font.size += 4;
    form->BuildFontStrip();
    WaitForPages();
    EXPECT_GT(form->PreviewPages.PageCount(), pages);  // larger letters, more pages
    EXPECT_NEAR(form->PreviewPages.Percent(), percent, 3);

    // Another text, and the same one chosen again, open at page 1.
    for (const char* name : {"short.txt", "long.txt"}) {
        ASSERT_TRUE(form->GoToPreviewPlace(QStringLiteral("100 %")));
        form->ChooseTextFile(QString::fromStdString((app / name).string()));
        WaitForPages();
        EXPECT_EQ(form->PreviewPages.Page(), 1) << name;
        EXPECT_EQ(form->Book.pageStart, 1) << name;
    }
}

// The longest pause of the window's thread while a 10 MB text is paged: the page index is built
// off it, so the timer keeps ticking. The figure is reported; the bound only catches a build
// that runs on the window's thread.
TEST_F(WholeBookWindow, TheWindowKeepsRunningWhileATenMegabyteTextIsPaged)
{
    std::string big = Utf8ToCp1251(Paragraphs(100, "   ", "\r\n"));
    std::string text;
    while (text.size() < 10u << 20) text += big;
    app.Write("big.txt", text);
    form->ChooseTextFile(QString::fromStdString((app / "big.txt").string()));

    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(5);
    WaitForPages();
    const qint64 total = clock.elapsed();
    RecordProperty("index_ms", static_cast<int>(total));
    RecordProperty("longest_gap_ms", static_cast<int>(longest));
    std::printf("10 MB text paged in %lld ms, %d pages; longest pause of the window's thread %lld ms\n",
                static_cast<long long>(total), form->PreviewPages.PageCount(), static_cast<long long>(longest));
    EXPECT_LT(longest, 3000);
    EXPECT_GT(form->PreviewPages.PageCount(), 1000);
}

TEST_F(WholeBookWindow, TheZoomEnlargesTheCommandLinesPagePixelForPixelAndIsRemembered)
{
    form->ChooseTextFile(QString::fromStdString((app / "long.txt").string()));
    WaitForPages();
    int count = 0;
    const QImage page = CommandLinePage(app / "long.txt", 1, count);
    EXPECT_EQ(form->i_scrBitmap.convertToFormat(QImage::Format_RGB32), page);
    for (const int zoom : {1, 2, 3}) {
        form->zoomChoice->SetItemIndex(zoom - 1);
        ASSERT_EQ(form->PreviewZoomStep(), zoom);
        const QImage shown = Shown();
        ASSERT_EQ(shown.size(), page.size() * zoom);
        EXPECT_EQ(form->i_scr->size(), page.size() * zoom);
        // A larger step asks for the room to show the page whole.
        EXPECT_EQ(form->OuterSize(), MainWindow::OuterSizeFor(page.size() * zoom));
        // Every pixel a square of zoom × zoom of the page's own pixel: nothing smoothed.
        bool same = true;
        for (int y = 0; y < shown.height() && same; ++y)
            for (int x = 0; x < shown.width() && same; ++x) same = shown.pixel(x, y) == page.pixel(x / zoom, y / zoom);
        EXPECT_TRUE(same) << zoom;
    }
    // Fitting the window: the largest whole step the preview's frame holds, at least 1.
    form->zoomChoice->SetItemIndex(3);
    EXPECT_EQ(form->Book.previewZoom, 0);
    QWidget* frame = form->findChild<QWidget*>(QStringLiteral("previewFrame"));
    EXPECT_EQ(form->PreviewZoomStep(), std::max(1, std::min(frame->width() / page.width(), frame->height() / page.height())));

    // Kept in config.ini for the next start, the file's other keys as they were.
    form->zoomChoice->SetItemIndex(1);
    form->FormClose();
    EXPECT_NE(app.Read("config.ini").find("[Preview]\r\nZoom=2\r\n"), std::string::npos);
    form = std::make_unique<MainWindow>(app.DirText());
    EXPECT_EQ(form->Book.previewZoom, 2);
    EXPECT_EQ(form->zoomChoice->ItemIndex(), 1);
    EXPECT_EQ(form->i_scr->size(), form->i_scrBitmap.size() * 2);
}

TEST_F(WholeBookWindow, AContentsTitleShowsThePageTheCommandLineGivesItAndPagingMarksTheChapter)
{
    const auto contentsShown = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (form->PreviewContents().empty() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !form->PreviewContents().empty();
    };
    form->show();
    form->ChooseTextFile(QString::fromStdString((app / "book.fb2").string()));
    WaitForPages();
    ASSERT_TRUE(contentsShown());
    ASSERT_TRUE(form->contentsList->isVisible());
    ASSERT_EQ(form->contentsList->count(), 6);

    // The command line's contents: "title … стр. N" a line.
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    PrintContents(*CommandLineIndex(app / "book.fb2"), out);
    std::rewind(out);
    std::vector<int> pages;
    char line[512];
    while (std::fgets(line, sizeof line, out)) {
        const std::string text(line);
        pages.push_back(std::stoi(text.substr(text.rfind(' ') + 1)));
    }
    std::fclose(out);
    ASSERT_EQ(pages.size(), 6u);

    // A click on each title, last first, shows its page and marks it.
    for (int row = 5; row >= 0; --row) {
        QListWidgetItem* item = form->contentsList->item(row);
        QTest::mouseClick(form->contentsList->viewport(), Qt::LeftButton, Qt::NoModifier,
                          form->contentsList->visualItemRect(item).center());
        EXPECT_EQ(form->PreviewPages.Page(), pages[static_cast<std::size_t>(row)]) << row;
        EXPECT_EQ(form->contentsList->currentRow(), row);
    }
    // Paging marks the chapter being read: the page before chapter 3's title is still chapter 2.
    ASSERT_TRUE(form->GoToPreviewPlace(QString::number(pages[2] - 1)));
    EXPECT_EQ(form->contentsList->currentRow(), pages[2] - 1 >= pages[1] ? 1 : 0);
    PressKey(Qt::Key_End);
    EXPECT_EQ(form->contentsList->currentRow(), 5);

    // Hidden by its button; a plain text without headings has neither list nor button.
    form->contentsToggle->click();
    EXPECT_FALSE(form->contentsList->isVisible());
    EXPECT_FALSE(form->Book.contentsShown);
    form->contentsToggle->click();
    form->ChooseTextFile(QString::fromStdString((app / "long.txt").string()));
    WaitForPages();
    // The new text's contents are looked for on a thread of their own: the list goes once they
    // are known to be none.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (form->contentsToggle->isVisible() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(form->PreviewContents().empty());
    EXPECT_FALSE(form->contentsList->isVisible());
    EXPECT_FALSE(form->contentsToggle->isVisible());
}

} // namespace lumira
