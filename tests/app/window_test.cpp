// The main window's controls and small handlers: choosing the text and naming the book, sizing
// the window to the phone, the Create button's enabling, the font and colour choosers, the title
// field's typing limit, keyboard order and Esc.
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/title_field.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct WindowTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    TempDir texts;
    std::unique_ptr<MainWindow> form;

    void Start(const std::string& profiles = {})
    {
        if (!profiles.empty()) app.Write("profiles.ini", profiles);
        form = std::make_unique<MainWindow>(app.DirText());
    }

    // Chooses a text through the browse button with the dialog answering `path`.
    void Choose(const QString& path)
    {
        desktop.openAnswers.push_back(path);
        form->cxButtonEdit1PropertiesButtonClick();
    }

    QString TextFile(const std::string& utf8Name, std::string_view bytes = "text")
    {
        texts.Write(utf8Name, bytes);
        return FromFsPath(texts / utf8Name);
    }

    fs::path StripFile() const { return app / "temp" / "fonts" / "default.png"; }
    fs::path TableFile() const { return app / "temp" / "fonts" / "default.props"; }
};

// True when the keyboard focus is in `w` (or in the part of it that takes the focus for it).
bool HasFocus(QWidget* w)
{
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* proxy = w; proxy; proxy = proxy->focusProxy())
        if (proxy == focus) return true;
    return false;
}

void ShowActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

} // namespace

// ---- Choosing the text and naming the book ----

TEST_F(WindowTest, ChoosingATextNamesTheBookAndFillsThePreview)
{
    Start();
    form->Book.saveDir = FromFsPath(texts / "Out") + QDir::separator();
    const QString openDirBefore = form->Book.openDir;
    const QString path = TextFile("Война и мир.txt", "Line one\r\nLine two\r\n");
    Choose(path);

    ASSERT_EQ(desktop.openRequests.size(), 1u);
    EXPECT_EQ(desktop.openRequests[0].initialDir, openDirBefore);
    // Every supported kind first (tests/formats), then the text filters as they always were.
    EXPECT_TRUE(desktop.openRequests[0].filter.endsWith(QStringLiteral("|Текстовые фалы|*.txt|Все файлы|*.*")));
    EXPECT_EQ(desktop.openRequests[0].defaultExt, QStringLiteral("txt"));
    EXPECT_EQ(form->Book.openDir, texts.DirText());
    EXPECT_EQ(form->e_text->text(), path);
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("Война и мир"));
    EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + QStringLiteral("vojna_i_mir.jar"));
    EXPECT_EQ(form->PreviewText, (LineList{"Line one", "Line two"}));
    EXPECT_TRUE(form->b_ok->isEnabled());
    // The next choice starts in the folder of this one.
    desktop.openAnswers.push_back(std::nullopt);
    form->cxButtonEdit1PropertiesButtonClick();
    EXPECT_EQ(desktop.openRequests.back().initialDir, texts.DirText());
}

TEST_F(WindowTest, TitlesAndPackageNamesFromFileNames)
{
    Start();
    struct Case {
        const char* file;
        const char* title;
        const char* package;
    };
    const Case cases[] = {
        {"Ёжик.TXT", "Ёжик", "yozhik.jar"},
        {"Объём.txt", "Объём", "ob yom.jar"},
        {"Мышь.txt", "Мышь", "mish'.jar"},
        {"Щука.txt", "Щука", "shuka.jar"},
        {"Book-1 (2005).txt", "Book_1 _2005_", "Book-1_(2005).jar"},
        {"README", "README", "README.jar"},
        {"Ça va.txt", "_a va", "Ça_va.jar"},
        // A 30-letter title set by the program is kept whole.
        {"abcdefghijklmnopqrstuvwxyzabcd.txt", "abcdefghijklmnopqrstuvwxyzabcd", "abcdefghijklmnopqrstuvwxyzabcd.jar"},
    };
    for (const Case& c : cases) {
        Choose(TextFile(c.file));
        EXPECT_EQ(form->e_caption->text(), QString::fromUtf8(c.title)) << c.file;
        EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + QString::fromUtf8(c.package)) << c.file;
        EXPECT_TRUE(form->b_ok->isEnabled()) << c.file;
    }
    // Nothing before the full stop: no title, so Create stays disabled.
    Choose(TextFile(".txt"));
    EXPECT_EQ(form->e_caption->text(), QString());
    EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + QStringLiteral(".jar"));
    EXPECT_FALSE(form->b_ok->isEnabled());
}

TEST_F(WindowTest, PreviewTextIsTheBeginningOfTheFile)
{
    Start();
    std::string big;
    for (int i = 0; big.size() < 5000; ++i) big += "line " + std::to_string(i) + "\r\n";
    big.resize(5000);
    Choose(TextFile("big.txt", big));
    EXPECT_EQ(JoinLines(form->PreviewText), JoinLines(SplitLines(big.substr(0, 2047))));

    const std::string hundred(100, 'x');
    Choose(TextFile("hundred.txt", hundred));
    EXPECT_EQ(form->PreviewText, LineList{std::string(99, 'x')});

    Choose(TextFile("one.txt", "x"));
    EXPECT_TRUE(form->PreviewText.empty());
    Choose(TextFile("empty.txt", ""));
    EXPECT_TRUE(form->PreviewText.empty());

    Choose(TextFile("zero.txt", std::string("123456789\0after\r\nmore", 21)));
    EXPECT_EQ(form->PreviewText, (LineList{"123456789after", "mor"}));
}

TEST_F(WindowTest, AnotherTextChosenIsShownFromItsFirstPage)
{
    Start();
    form->Book.pageStart = 40;
    Choose(TextFile("a.txt", std::string(500, 'a')));
    EXPECT_EQ(form->Book.pageStart, 1);
}

TEST_F(WindowTest, CancelledChoiceChangesNothing)
{
    Start();
    const LineList sample = form->PreviewText;
    const QString openDir = form->Book.openDir;
    desktop.openAnswers.push_back(std::nullopt);
    form->cxButtonEdit1PropertiesButtonClick();
    EXPECT_EQ(form->Book.openDir, openDir);
    EXPECT_EQ(form->e_text->text(), QString());
    EXPECT_EQ(form->PreviewText, sample);
}

TEST_F(WindowTest, AFileGoneBeforeReadingKeepsTheEarlierSteps)
{
    Start();
    Choose(TextFile("first.txt", "first\r\n"));
    const QString gone = FromFsPath(texts / "sub" / "Пропал.txt");
    desktop.openAnswers.push_back(gone);
    try {
        form->cxButtonEdit1PropertiesButtonClick();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QString::fromStdString(CannotOpenText(ToFsPath(gone), ENOENT)));
    }
    EXPECT_EQ(form->Book.openDir, FromFsPath(texts / "sub") + QDir::separator());
    EXPECT_EQ(form->e_text->text(), gone);
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("Пропал"));
    EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + QStringLiteral("propal.jar"));
    EXPECT_EQ(form->PreviewText, LineList{"first"});
}

TEST_F(WindowTest, AFileThatIsNoTextIsRefusedWhenChosenAndNothingChanges)
{
    Start();
    Choose(TextFile("first.txt", "first\r\n"));
    const QString pdf = TextFile("Отчёт.pdf", "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    desktop.openAnswers.push_back(pdf);
    try {
        form->cxButtonEdit1PropertiesButtonClick();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Файл %1 — не текст (документ PDF): книгу из него не сделать.").arg(QDir::toNativeSeparators(pdf)));
    }
    EXPECT_EQ(form->e_text->text(), FromFsPath(texts / "first.txt"));
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("first"));
    EXPECT_EQ(form->PreviewText, LineList{"first"});
}

// ---- Sizing to the phone ----

TEST_F(WindowTest, WindowFollowsThePhoneScreen)
{
    Start("[Small]\r\nWidth=128\r\nHeight=128\r\n[Large]\r\nWidth=240\r\nHeight=320\r\n"
          "[NoWidth]\r\nWidth=0\r\nHeight=300\r\n[Narrow]\r\nWidth=-5\r\nHeight=100\r\n");
    form->show();  // the preview's place in the window is laid out once it is shown
    struct Case {
        int index;
        QSize screen;
        QSize outer;
    };
    const Case cases[] = {
        {0, {128, 128}, {542, 378}},
        {1, {240, 320}, {654, 488}},
        {2, {176, 300}, {590, 468}},
        {-1, {176, 220}, {590, 388}},
        {3, {0, 100}, {414, 378}},
    };
    for (const Case& c : cases) {
        form->e_model->SetItemIndex(c.index);
        ASSERT_EQ(form->e_model->ItemIndex(), c.index);
        // The preview at its place, in a frame at least its size (the screen has room for it).
        EXPECT_EQ(QRect(form->i_scr->mapTo(form.get(), QPoint(0, 0)), form->i_scr->size()), QRect(QPoint(396, 68), c.screen))
            << c.index;
        QWidget* frame = form->findChild<QWidget*>(QStringLiteral("previewFrame"));
        EXPECT_GE(frame->width(), c.screen.width()) << c.index;
        EXPECT_GE(frame->height(), c.screen.height()) << c.index;
        EXPECT_EQ(form->i_scrBitmap.size(), c.screen.expandedTo(QSize(1, 1))) << c.index;
        EXPECT_EQ(form->OuterSize(), c.outer) << c.index;
        // The window, frame included, is the rule's size unless the controls need more.
        const QMargins frameMargins = form->windowHandle()->frameMargins();
        const QSize outer = form->size().grownBy(frameMargins);
        EXPECT_EQ(outer.width(), std::max(c.outer.width(), form->findChild<QWidget*>(QStringLiteral("client"))->minimumSizeHint().grownBy(frameMargins).width())) << c.index;
        EXPECT_GE(outer.height(), c.outer.height()) << c.index;
        // The paging buttons under the frame: b_p_up at the preview's left, b_p_fire from 440
        // widening with the window, b_p_down 10 pixels before the right edge.
        const int width = form->width();
        const int buttonsTop = frame->mapTo(form.get(), QPoint(0, frame->height())).y() + 7;
        EXPECT_EQ(QRect(form->b_p_up->mapTo(form.get(), QPoint(0, 0)), form->b_p_up->size()), QRect(396, buttonsTop, 37, 29)) << c.index;
        EXPECT_EQ(form->b_p_fire->mapTo(form.get(), QPoint(0, 0)), QPoint(440, buttonsTop));
        EXPECT_EQ(form->b_p_fire->mapTo(form.get(), QPoint(form->b_p_fire->width(), 0)).x(), std::max(458, width - 54)) << c.index;
        EXPECT_EQ(QRect(form->b_p_down->mapTo(form.get(), QPoint(0, 0)), form->b_p_down->size()),
                  QRect(width - 10 - 37, buttonsTop, 37, 29)) << c.index;
        EXPECT_LE(form->b_p_down->mapTo(form.get(), QPoint(0, 29)).y(), form->height()) << c.index;
        // The banner's text box keeps its distance from the right edge.
        auto* banner = form->findChild<QLabel*>(QStringLiteral("bannerText"));
        ASSERT_NE(banner, nullptr);
        EXPECT_EQ(banner->mapTo(form.get(), QPoint(banner->width(), 0)).x(), width - 21);
        EXPECT_EQ(banner->width(), 314);
    }
}

TEST_F(WindowTest, NoProfileAndSystemLineChangeResize)
{
    Start();  // no profiles.ini
    EXPECT_EQ(form->e_model->ItemIndex(), -1);
    EXPECT_EQ(form->i_scr->size(), QSize(176, 220));
    EXPECT_EQ(form->OuterSize(), QSize(590, 388));

    // A change of the system line runs the sizing too, although the profile did not change.
    form->Profiles.push_back({});
    form->Profiles.back().Width = 240;
    form->Profiles.back().Height = 320;
    form->e_model->ReplaceItems({QStringLiteral("Added")});
    form->e_model->SetItemIndex(0);
    form->Profiles[0].Height = 128;
    form->e_sysline->SetItemIndex(0);
    EXPECT_EQ(form->OuterSize(), QSize(654, 378));
}

// ---- Create button ----

TEST_F(WindowTest, CreateFollowsTitleAndTextAndSaysWhatIsMissing)
{
    Start();
    const QString both = QStringLiteral("Чтобы создать книгу, выберите текст и введите её название");
    const QString title = QStringLiteral("Чтобы создать книгу, введите её название");
    EXPECT_FALSE(form->b_ok->isEnabled());
    form->e_caption->setText(QStringLiteral("Title"));
    EXPECT_FALSE(form->b_ok->isEnabled());  // no text yet
    EXPECT_EQ(form->b_ok->toolTip(), QStringLiteral("Чтобы создать книгу, выберите текст"));
    Choose(TextFile("book.txt"));
    EXPECT_TRUE(form->b_ok->isEnabled());
    EXPECT_EQ(form->b_ok->toolTip(), QString());
    form->e_caption->clear();
    EXPECT_FALSE(form->b_ok->isEnabled());
    EXPECT_EQ(form->b_ok->toolTip(), title);
    QTest::keyClicks(form->e_caption, QStringLiteral("a"));
    EXPECT_TRUE(form->b_ok->isEnabled());
    // Blanks of any kind name nothing a phone could show.
    for (const QString& blank : {QStringLiteral("   "), QStringLiteral(" \t "), QStringLiteral("\u00A0 ")}) {
        form->e_caption->setText(blank);
        EXPECT_FALSE(form->b_ok->isEnabled());
        EXPECT_EQ(form->b_ok->toolTip(), title);
    }
    form->e_text->clear();
    EXPECT_FALSE(form->b_ok->isEnabled());
    EXPECT_EQ(form->b_ok->toolTip(), both);
    form->e_caption->setText(QStringLiteral(" a "));
    Choose(TextFile("book.txt"));
    EXPECT_TRUE(form->b_ok->isEnabled());
}

TEST_F(WindowTest, ATitleTooLongForPhonesIsWarnedAboutAsItIsTyped)
{
    Start();
    // Typed as a keyboard types letters that are not ASCII.
    const auto type = [&](const QString& text) {
        for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, form->e_caption, Qt::Key_unknown, QString(c), Qt::NoModifier);
    };
    // 16 Cyrillic letters are 32 bytes of UTF-8, the most phones take; one more is too many.
    type(QString(16, QChar(0x0416)));
    ASSERT_EQ(form->e_caption->text().size(), 16);
    EXPECT_FALSE(form->titleWarning->isVisible());
    EXPECT_TRUE(form->e_caption->toolTip().isEmpty());
    type(QStringLiteral("Ж"));
    EXPECT_TRUE(form->titleWarning->isVisible());
    EXPECT_TRUE(form->titleWarning->toolTip().contains(QStringLiteral("занимает 34 байт"))) << form->titleWarning->toolTip().toStdString();
    EXPECT_EQ(form->e_caption->toolTip(), form->titleWarning->toolTip());
    QTest::keyClick(form->e_caption, Qt::Key_Backspace);
    EXPECT_FALSE(form->titleWarning->isVisible());
    // A character the book cannot hold becomes one "?" and takes one byte, as in the package.
    form->e_caption->setText(QString(16, QChar(0x0416)) + QStringLiteral("中"));
    EXPECT_TRUE(form->titleWarning->isVisible());
    EXPECT_TRUE(form->titleWarning->toolTip().contains(QStringLiteral("занимает 33 байт")));
}

// ---- Title field ----

TEST_F(WindowTest, TypingIsLimitedToTwentyCharacters)
{
    Start();
    QLineEdit* title = form->e_caption;
    QTest::keyClicks(title, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(title->text(), QStringLiteral("abcdefghijklmnopqrst"));

    // A paste is cut to what still fits.
    QGuiApplication::clipboard()->setText(QStringLiteral("1234567890ABCDEFGHIJ"));
    title->setText(QStringLiteral("Война"));
    title->end(false);
    QTest::keySequence(title, QKeySequence::Paste);
    EXPECT_EQ(title->text(), QStringLiteral("Война1234567890ABCDE"));

    // A longer title set by the program stays whole; the user can shorten it, not lengthen it.
    const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcd");
    title->setText(thirty);
    EXPECT_EQ(title->text(), thirty);
    QTest::keyClicks(title, QStringLiteral("x"));
    EXPECT_EQ(title->text(), thirty);
    QTest::keyClick(title, Qt::Key_Backspace);
    EXPECT_EQ(title->text(), thirty.left(29));
    QTest::keyClicks(title, QStringLiteral("y"));
    EXPECT_EQ(title->text(), thirty.left(29));
}

// ---- Font and colour choosers ----

TEST_F(WindowTest, CancelledChoosersLeaveTheStripAlone)
{
    Start();
    ASSERT_TRUE(fs::exists(StripFile()));
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(StripFile(), old);
    fs::last_write_time(TableFile(), old);
    const BookFontStyle font = form->Book.font;
    const ColorValue background = form->Book.background;

    form->b_fontClick();  // the scripted desktop answers "cancelled"
    form->b_backClick();
    EXPECT_EQ(desktop.fontRequests.size(), 1u);
    EXPECT_EQ(desktop.colorRequests.size(), 1u);
    EXPECT_EQ(fs::last_write_time(StripFile()), old);
    EXPECT_EQ(fs::last_write_time(TableFile()), old);
    EXPECT_EQ(form->Book.font, font);
    EXPECT_EQ(form->Book.background, background);
}

TEST_F(WindowTest, ColourChooserOpensAtTheBackgroundAndAlwaysRebuilds)
{
    Start();
    EXPECT_EQ(form->Book.background, 0xFFFFFF);
    desktop.colorAnswers = {ColorValue(0xFFFFFF), ColorValue(0xFFFFFF), std::nullopt};
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);

    fs::last_write_time(StripFile(), old);
    form->b_backClick();
    EXPECT_EQ(desktop.colorRequests.at(0), 0xFFFFFF);  // the background, not black
    EXPECT_NE(fs::last_write_time(StripFile()), old);

    // The same colour again still rebuilds.
    fs::last_write_time(StripFile(), old);
    form->b_backClick();
    EXPECT_EQ(desktop.colorRequests.at(1), 0xFFFFFF);
    EXPECT_NE(fs::last_write_time(StripFile()), old);

    form->Book.background = 0x123456;
    form->b_backClick();  // cancelled
    EXPECT_EQ(desktop.colorRequests.at(2), 0x123456);
    EXPECT_EQ(form->Book.background, 0x123456);
}

TEST_F(WindowTest, ConfirmedFontReachesTheLabelAndTheStrip)
{
    Start();
    BookFontStyle chosen;
    chosen.name = QStringLiteral("DejaVu Serif");
    chosen.size = 12;
    chosen.color = 0x0000FF;
    chosen.italic = true;
    chosen.strikeOut = true;
    desktop.fontAnswers = {chosen};
    desktop.colorAnswers = {ColorValue(0x00FF00)};
    const std::string stripBefore = app.Read("temp/fonts/default.png");

    form->b_fontClick();
    EXPECT_EQ(desktop.fontRequests.at(0), BookFontStyle{});
    EXPECT_EQ(form->Book.font, chosen);
    EXPECT_EQ(form->font_dialog, chosen);
    EXPECT_EQ(form->font_label->text(), QStringLiteral(" DejaVu Serif, 12"));
    EXPECT_TRUE(form->font_label->font().italic());
    EXPECT_TRUE(form->font_label->font().strikeOut());
    EXPECT_EQ(form->font_label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_NE(app.Read("temp/fonts/default.png"), stripBefore);

    form->b_backClick();
    EXPECT_EQ(form->font_label->palette().color(QPalette::Window), QColor(0, 255, 0));
    form->b_fontClick();  // cancelled: opens on the font last confirmed
    EXPECT_EQ(desktop.fontRequests.at(1), chosen);
}

// ---- Appearance and keyboard ----

TEST_F(WindowTest, PicturesDrawnOnAnotherThreadAreThoseDrawnOnTheWindowsOwn)
{
    // The window takes its pictures from a second thread while it builds its controls; the
    // question mark's font must resolve and draw there exactly as here.
    Start();
    const WindowPictures here = DrawWindowPictures();
    const WindowPictures there = std::async(std::launch::async, DrawWindowPictures).get();
    EXPECT_EQ(here.stackOfPages, there.stackOfPages);
    EXPECT_EQ(here.question, there.question);
    EXPECT_EQ(here.arrowUp, there.arrowUp);
    EXPECT_EQ(here.arrowDown, there.arrowDown);
    EXPECT_EQ(here.squareDot, there.squareDot);
    EXPECT_EQ(form->b_info->icon().pixmap(24).toImage().convertToFormat(here.question.format()), here.question);
}

TEST_F(WindowTest, ControlsTabOrderAndCaptions)
{
    Start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Lumira generator"));
    EXPECT_TRUE(form->e_text->isReadOnly());
    EXPECT_TRUE(form->b_ok->font().bold());
    EXPECT_TRUE(form->b_close->font().bold());
    EXPECT_FALSE(form->version->font().bold());
    EXPECT_EQ(form->e_sysline->itemText(0), QStringLiteral("Вверху"));
    EXPECT_EQ(form->e_sysline->itemText(1), QStringLiteral("Внизу"));
    for (QPushButton* picture : {form->b_info, form->b_p_up, form->b_p_fire, form->b_p_down})
        EXPECT_FALSE(picture->icon().isNull());
    EXPECT_EQ(form->SaveDialog1.filter, QStringLiteral("Jar-пакет|*.jar|Все файлы|*.*"));

    QWidget* order[] = {form->e_caption, form->e_text, form->e_text_encoding, form->e_text_button, form->e_model, form->b_font, form->b_back,
                        form->e_upper_cut, form->e_bott_cut, form->e_sysline, form->e_hyphenation, form->b_info, form->b_ok,
                        form->b_close, form->b_p_up, form->b_p_fire, form->b_p_down, form->zoomChoice, form->pageInput, form->b_profiles};
    ShowActive(form.get());
    // The preview's page index settles first: its pages set the paging buttons.
    while (form->PageIndexBusy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    form->b_ok->setEnabled(true);
    form->b_p_up->setEnabled(true);
    form->b_p_down->setEnabled(true);
    form->e_caption->setFocus();
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(HasFocus(order[i + 1])) << "after " << i;
    }
}

TEST_F(WindowTest, BrowseButtonAndEscape)
{
    Start();
    desktop.openAnswers.push_back(std::nullopt);
    form->e_text_button->click();
    EXPECT_EQ(desktop.openRequests.size(), 1u);

    ShowActive(form.get());
    // Ctrl+O chooses a text from wherever the focus is.
    form->e_text->setFocus();
    QTest::keyClick(form->e_text, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop.openRequests.size(), 2u);

    QTest::keyClick(form->e_caption, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(fs::exists(app / "config.ini"));  // the close handler ran
}

// ---- Hostile inputs reach the user as the program's own boxes ----

TEST_F(WindowTest, AFailingHandlerShowsItsBoxAndTheWindowGoesOn)
{
    Start();
    Choose(TextFile("first.txt", "first\r\n"));
    // A pipe chosen as the text fails in the click's handler; the failure is shown in the error
    // box by the handler's guard and never leaves through Qt's signal machinery.
    ASSERT_EQ(::mkfifo((texts / "pipe.txt").c_str(), 0644), 0);
    desktop.openAnswers.push_back(FromFsPath(texts / "pipe.txt"));
    form->e_text_button->click();
    ASSERT_EQ(desktop.errors.size(), 1);
    EXPECT_TRUE(desktop.errors[0].contains(QStringLiteral("не обычный файл"))) << desktop.errors[0].toStdString();
    EXPECT_EQ(form->PreviewText, LineList{"first"});
}

TEST_F(WindowTest, StoredSettingsOutsideSoundBoundsAreNamedAndReplaced)
{
    app.Write("config.ini", "[Global]\r\nUpperCut=-2147483648\r\n[Font]\r\nSize=5000\r\n");
    Start();
    ASSERT_EQ(desktop.errors.size(), 2);
    EXPECT_TRUE(desktop.errors[0].startsWith(QStringLiteral("config.ini: Size=5000"))) << desktop.errors[0].toStdString();
    EXPECT_TRUE(desktop.errors[1].startsWith(QStringLiteral("config.ini: UpperCut=-2147483648")));
    EXPECT_EQ(form->Book.font.size, 8);
    EXPECT_EQ(form->e_upper_cut->value(), 0);
}

} // namespace lumira
