// The main window's strip: start-up build, rebuilds on cut changes, and cut values that would
// leave no row.
#include "app/main_window.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "png_decode.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <memory>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct Window {
    explicit Window(const std::string& config = std::string())
    {
        if (!config.empty()) folder.Write("config.ini", config);
        form = std::make_unique<MainWindow>(folder.DirText());
    }
    fs::path Fonts() const { return folder.Path() / "temp" / "fonts"; }
    int TextHeight() const { return TextCellHeight(QFontMetrics(MakeQFont(form->Book.font))); }
    // Removes both files, so a rebuild shows by their coming back.
    void RemoveFiles() const
    {
        fs::remove(Fonts() / "default.props");
        fs::remove(Fonts() / "default.png");
    }
    bool FilesExist() const
    {
        return fs::exists(Fonts() / "default.props") || fs::exists(Fonts() / "default.png");
    }

    ScriptedDesktop desktop;
    AppFolder folder;
    std::unique_ptr<MainWindow> form;
};

} // namespace

TEST(FormFontStrip, StartUpWritesTheFilesOfTheStripInMemory)
{
    Window w;
    MainWindow& f = *w.form;
    EXPECT_EQ(f.FontStrip.height(), w.TextHeight());
    EXPECT_EQ(ReadFileBytes(w.Fonts() / "default.props"),
              std::string(reinterpret_cast<const char*>(f.GlyphTable.data()), f.GlyphTable.size()));
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(ReadFileBytes(w.Fonts() / "default.png"), png));
    EXPECT_TRUE(SameRgb(png.image, f.FontStrip));

    // A cut change rebuilds both from the new values.
    f.e_bott_cut->setValue(2);
    EXPECT_EQ(f.FontStrip.height(), w.TextHeight() - 2);
    ASSERT_NO_FATAL_FAILURE(DecodePng(ReadFileBytes(w.Fonts() / "default.png"), png));
    EXPECT_EQ(png.height, std::uint32_t(w.TextHeight() - 2));
    EXPECT_TRUE(w.desktop.messages.isEmpty());
}

TEST(FormFontStrip, CutSumReachingTheTextHeightIsNotApplied)
{
    Window w;
    MainWindow& f = *w.form;
    const int h = w.TextHeight();
    f.e_bott_cut->setValue(4);
    const QImage strip = f.FontStrip;
    const auto table = f.GlyphTable;
    w.RemoveFiles();

    f.e_upper_cut->setValue(h - 4);  // the sum equals the text height
    EXPECT_EQ(f.e_upper_cut->value(), 0);
    EXPECT_EQ(f.e_bott_cut->value(), 4);
    ASSERT_EQ(w.desktop.messages, QStringList{QString::fromUtf8(kCutSumMessage)});
    EXPECT_EQ(f.FontStrip, strip);
    EXPECT_EQ(f.GlyphTable, table);
    EXPECT_FALSE(w.FilesExist()) << "nothing may be rebuilt, neither for the change nor for putting it back";

    // The other field, from a value other than 0, goes back to that value.
    f.e_upper_cut->setValue(3);
    ASSERT_TRUE(w.FilesExist());
    w.RemoveFiles();
    f.e_bott_cut->setValue(h);
    EXPECT_EQ(f.e_bott_cut->value(), 4);
    EXPECT_EQ(f.e_upper_cut->value(), 3);
    EXPECT_EQ(w.desktop.messages.size(), 2);
    EXPECT_FALSE(w.FilesExist());
    EXPECT_EQ(f.FontStrip.height(), h - 7);

    // One row is still a strip.
    f.e_upper_cut->setValue(h - 5);
    EXPECT_EQ(f.FontStrip.height(), 1);
    EXPECT_EQ(w.desktop.messages.size(), 2);
}

TEST(FormFontStrip, SmallerFontThatTheCutsDoNotFitIsNotApplied)
{
    Window w;
    MainWindow& f = *w.form;
    f.e_upper_cut->setValue(4);
    f.e_bott_cut->setValue(4);
    const BookFontStyle before = f.Book.font;
    const QImage strip = f.FontStrip;
    w.RemoveFiles();

    BookFontStyle tiny = before;
    tiny.size = 3;  // a text cell of fewer than 8 rows
    ASSERT_LE(TextCellHeight(QFontMetrics(MakeQFont(tiny))), 8);
    w.desktop.fontAnswers.push_back(tiny);
    f.b_fontClick();
    EXPECT_EQ(f.Book.font, before);
    EXPECT_EQ(f.FontStrip, strip);
    EXPECT_FALSE(w.FilesExist());
    EXPECT_EQ(w.desktop.messages, QStringList{QString::fromUtf8(kCutSumMessage)});
    EXPECT_EQ(f.e_upper_cut->value(), 4);
    EXPECT_EQ(f.e_bott_cut->value(), 4);

    // A font the cuts fit is taken as usual.
    BookFontStyle larger = before;
    larger.size = 12;
    w.desktop.fontAnswers.push_back(larger);
    f.b_fontClick();
    EXPECT_EQ(f.Book.font, larger);
    EXPECT_EQ(f.FontStrip.height(), w.TextHeight() - 8);
    EXPECT_TRUE(w.FilesExist());
}

TEST(FormFontStrip, StoredCutsThatDoNotFitAreNotAppliedAtStartUp)
{
    // The lower cut is applied first and fits; the upper one would reach the text height.
    Window w("[Global]\r\nBottCut=10\r\nUpperCut=10\r\n");
    MainWindow& f = *w.form;
    EXPECT_EQ(f.e_bott_cut->value(), 10);
    EXPECT_EQ(f.e_upper_cut->value(), 0);
    EXPECT_EQ(f.FontStrip.height(), w.TextHeight() - 10);
    EXPECT_EQ(w.desktop.messages, QStringList{QString::fromUtf8(kCutSumMessage)});
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(ReadFileBytes(w.Fonts() / "default.png"), png));
    EXPECT_EQ(png.height, std::uint32_t(f.FontStrip.height()));
}

TEST(FormFontStrip, UnwritableFontsFolderShowsTheFileError)
{
    Window w;
    MainWindow& f = *w.form;
    fs::remove_all(w.Fonts());
    w.folder.Write("temp/fonts", "a file where the folder was");
    w.desktop.colorAnswers.push_back(ColorValue(0x00FF00));
    try {
        f.b_backClick();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), CannotCreateText(w.Fonts() / "default.props", ENOTDIR));
    }
    // The chosen colour and the strip in memory are new; the files could not follow.
    EXPECT_EQ(f.Book.background, 0x00FF00);
    EXPECT_EQ(f.FontStrip.pixelColor(0, 0), QColor(0, 255, 0));
}

} // namespace lumira
