// The preview in the main window: what a page looks like, the band and its picture, and the
// paging buttons.
#include "app/main_window.h"
#include "font/qt_colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"
#include "support/cp1251_text.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace lumira {

namespace {

const char* const kProfiles = "[Small]\r\nWidth=128\r\nHeight=160\r\n[Large]\r\nWidth=240\r\nHeight=320\r\n";

struct PreviewWindow : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        app.Write("profiles.ini", kProfiles);
        app.Write("config.ini", "[Global]\r\nModel=1\r\nSysline=1\r\n");
        form = std::make_unique<MainWindow>(app.DirText());
    }

    void Show(const std::vector<std::string>& utf8Lines)
    {
        form->PreviewText.clear();
        for (const auto& l : utf8Lines) form->PreviewText.push_back(Utf8ToCp1251(l));
        form->RenderPreview();
    }

    QImage Shown() const { return form->i_scr->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor Background() const { return ColorValueToQColor(form->Book.background); }

    // True when some pixel of the rows [top, bottom) differs from the background.
    bool HasInk(const QImage& image, int top, int bottom) const
    {
        const QRgb back = Background().rgb();
        for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != back) return true;
        return false;
    }
};

std::vector<std::string> LongText(int paragraphs)
{
    std::vector<std::string> lines;
    for (int i = 0; i < paragraphs; ++i)
        lines.push_back("   Абзац номер " + std::to_string(i) + ": слова, слова и ещё раз слова, чтобы строка переносилась.");
    return lines;
}

int GlyphX(const MainWindow& form, unsigned char c)
{
    return form.GlyphTable[2 + 2 * c] | form.GlyphTable[3 + 2 * c] << 8;
}

TEST_F(PreviewWindow, LinesAreCopiedCellByCellFromTheBooksGlyphStrip)
{
    // The phone draws the strip's cells side by side at the table's positions; the preview copies
    // the same cells. A strip whose every pixel differs (no font draws that) shows the preview
    // takes its pixels from the strip and from nothing else.
    form->e_sysline->SetItemIndex(0);  // band at the top: line 0 at y = 6
    QImage& strip = form->FontStrip;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) strip.setPixel(x, y, qRgb(x & 0xFF, (x >> 8) * 16 + y, 128));
    Show({"AB Ё"});
    const QImage page = Shown();
    ASSERT_EQ(form->LinesPerPage, (320 - 6) / strip.height());
    int x = 0;
    for (unsigned char c : Utf8ToCp1251("AB Ё  ")) {  // the line break (CR LF) reads as two blanks
        const int from = GlyphX(*form, c);
        const int width = GlyphX(*form, static_cast<unsigned char>(c + 1)) - from;
        ASSERT_GT(width, 0);
        for (int dx = 0; dx < width; ++dx)
            for (int y = 0; y < strip.height(); ++y)
                ASSERT_EQ(page.pixel(x + dx, 6 + y), strip.pixel(from + dx, y)) << "character " << int(c) << " at " << dx << "," << y;
        x += width;
    }
    // The rest of the line and the page below it: background.
    for (int y = 6; y < 6 + strip.height(); ++y)
        for (int px = x; px < page.width(); ++px) ASSERT_EQ(page.pixel(px, y), Background().rgb()) << px << "," << y;
    EXPECT_FALSE(HasInk(page, 6 + strip.height(), 320));
}

TEST_F(PreviewWindow, TheBandCarriesItsPictureAtTheTopOrTheBottom)
{
    Show({"Текст"});
    QImage page = Shown();
    const QImage picture(QString::fromStdString((app / "iface.dat").string()));
    ASSERT_FALSE(picture.isNull());
    const QRgb band = QColor(0xCC, 0xE4, 0xFF).rgb();
    auto checkBand = [&](int top) {
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QRgb expected = x < picture.width() ? picture.pixel(x, y) : band;
                ASSERT_EQ(page.pixel(x, top + y), expected) << x << "," << y;
            }
        }
    };
    checkBand(320 - 6);
    EXPECT_TRUE(HasInk(page, 0, form->FontStrip.height()));

    form->e_sysline->SetItemIndex(0);
    page = Shown();
    checkBand(0);
    EXPECT_TRUE(HasInk(page, 6, 6 + form->FontStrip.height()));
}

TEST_F(PreviewWindow, ControlCharactersAreNotDrawn)
{
    Show({"a\tb\x01"
          "c"});
    const QImage withControls = Shown();
    Show({"abc"});
    EXPECT_EQ(withControls, Shown());
}

TEST_F(PreviewWindow, WithoutTheBandPictureThePageShowsOnlyTheBackground)
{
    Show(LongText(30));
    const std::int32_t lines = form->LinesPerPage;
    const std::int32_t next = form->NextPageStart;
    form->Book.pageStart = 1;
    std::filesystem::remove(app / "iface.dat");
    form->PreviewText.assign(1, "x");  // a different text, to see that nothing of it is taken over
    try {
        form->RenderPreview();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("iface.dat"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(HasInk(Shown(), 0, 320));
    EXPECT_EQ(form->LinesPerPage, lines);
    EXPECT_EQ(form->NextPageStart, next);
    EXPECT_TRUE(form->b_p_down->isEnabled());

    // A file that is no bitmap fails the same way, naming it: an image of another format too.
    app.Write("iface.dat", "not a bitmap");
    EXPECT_THROW(form->RenderPreview(), AppError);
    QImage png(96, 6, QImage::Format_RGB32);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(QString::fromStdString((app / "iface.dat").string()), "PNG"));
    EXPECT_THROW(form->RenderPreview(), AppError);

    // Without the band the picture is not needed.
    form->b_p_fireClick();  // throws nothing now
    EXPECT_FALSE(form->ShowSysline);
    EXPECT_TRUE(HasInk(Shown(), 0, 320));
    EXPECT_FALSE(form->b_p_down->isEnabled());
}

TEST_F(PreviewWindow, PagingForwardToTheEndAndBackToTheStart)
{
    Show(LongText(40));
    EXPECT_FALSE(form->b_p_up->isEnabled());
    ASSERT_TRUE(form->b_p_down->isEnabled());
    const QImage first = Shown();

    int pages = 1;
    while (form->b_p_down->isEnabled()) {
        const std::int32_t next = form->NextPageStart;
        form->b_p_downClick();
        EXPECT_EQ(form->Book.pageStart, next);
        EXPECT_TRUE(form->b_p_up->isEnabled());
        ASSERT_LT(++pages, 100);
    }
    EXPECT_GT(pages, 2);

    int back = 0;
    while (form->b_p_up->isEnabled()) {
        const std::int32_t before = form->Book.pageStart;
        form->b_p_upClick();
        EXPECT_LT(form->Book.pageStart, before);
        ASSERT_LT(++back, 100);
    }
    EXPECT_EQ(form->Book.pageStart, 1);
    EXPECT_EQ(Shown(), first);
    EXPECT_TRUE(form->b_p_down->isEnabled());
}

TEST_F(PreviewWindow, PagingBackFromTheSecondPageOfOneParagraphReturnsToTheStart)
{
    // One long paragraph: the backward count finds fewer full screen widths than a page holds.
    std::string paragraph;
    for (int i = 0; i < 200; ++i) paragraph += "слово ";
    Show({paragraph});
    form->b_p_downClick();
    ASSERT_GT(form->Book.pageStart, 1);
    ASSERT_TRUE(form->b_p_up->isEnabled());
    form->b_p_upClick();
    EXPECT_EQ(form->Book.pageStart, 1);
    EXPECT_FALSE(form->b_p_up->isEnabled());
}

TEST_F(PreviewWindow, TheSystemLineButtonTwiceGivesTheSamePage)
{
    Show(LongText(20));
    form->b_p_downClick();
    const QImage before = Shown();
    const std::int32_t start = form->Book.pageStart;
    const std::int32_t lines = form->LinesPerPage;
    const std::int32_t lineHeight = form->FontStrip.height();

    form->b_p_fireClick();
    EXPECT_FALSE(form->ShowSysline);
    EXPECT_EQ(form->LinesPerPage, 320 / lineHeight);
    EXPECT_NE(Shown(), before);
    form->b_p_fireClick();
    EXPECT_TRUE(form->ShowSysline);
    EXPECT_EQ(form->Book.pageStart, start);
    EXPECT_EQ(form->LinesPerPage, lines);
    EXPECT_EQ(Shown(), before);
}

TEST_F(PreviewWindow, AShorterTextWhileFarIntoTheOldOneCanStillBePagedBack)
{
    Show(LongText(20));
    for (int i = 0; i < 3; ++i) form->b_p_downClick();
    ASSERT_GT(form->Book.pageStart, 40);
    Show({"Короткий текст"});
    EXPECT_FALSE(form->b_p_down->isEnabled());
    EXPECT_TRUE(form->b_p_up->isEnabled());
    EXPECT_FALSE(HasInk(Shown(), 0, 320 - 6));  // one empty line

    form->b_p_upClick();
    EXPECT_EQ(form->Book.pageStart, 1);
    EXPECT_FALSE(form->b_p_up->isEnabled());
    EXPECT_TRUE(HasInk(Shown(), 0, form->FontStrip.height()));
}

} // namespace

} // namespace lumira
