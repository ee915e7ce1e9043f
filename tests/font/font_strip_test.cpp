// The glyph strip and its table: layout, cuts, backgrounds, and the two files written from them.
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "font/png_writer.h"
#include "font/qt_colors.h"
#include "png_decode.h"
#include "support/temp_dir.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/font_files.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Tahoma is missing on Linux; it falls back through the font system like the program's default.
BookFontStyle Font(int size, bool italic = false)
{
    BookFontStyle fontStyle;
    fontStyle.name = QStringLiteral("Tahoma");
    fontStyle.size = size;
    fontStyle.italic = italic;
    return fontStyle;
}

int Entry(const GlyphTableBytes& table, int code)
{
    return table[size_t(2 + 2 * code)] | table[size_t(3 + 2 * code)] << 8;
}

// The characters 32..255 as one string, each cp1251 byte as its Unicode character.
QString GlyphString()
{
    QString text;
    for (int c = 32; c <= 255; ++c) text += QChar(char16_t(Cp1251ToUnicode(static_cast<unsigned char>(c))));
    return text;
}

QString CharText(int code)
{
    return QString(QChar(char16_t(Cp1251ToUnicode(static_cast<unsigned char>(code)))));
}

QImage Rows(const QImage& image, int first, int count)
{
    return image.copy(0, first, image.width(), count);
}

const ColorValue kWhite = 0xFFFFFF;

} // namespace

TEST(FontStrip, TableHoldsTheSummedCellPositions)
{
    const BookFontStyle font = Font(8);
    const FontStripImage r = RenderFontStrip(font, kWhite, 0, 0);
    const QFontMetrics m(MakeQFont(font));
    const std::string bytes = GlyphTableFileBytes(r.table);

    ASSERT_EQ(bytes.size(), 514u);
    EXPECT_EQ(bytes[0], '\x00');
    EXPECT_EQ(bytes[1], '\x01');
    EXPECT_EQ(bytes.substr(2, 66), std::string(66, '\0'));  // codes 0..32
    const int blank = GlyphAdvance(m, ' ');
    EXPECT_GT(blank, 0);
    EXPECT_EQ(std::uint8_t(bytes[68]) | std::uint8_t(bytes[69]) << 8, blank);
    for (int c = 32; c < 255; ++c) EXPECT_EQ(Entry(r.table, c + 1) - Entry(r.table, c), GlyphAdvance(m, c)) << c;
    // The cells as the preview and the reader take them back from the table, the last one ending
    // at the strip's edge.
    for (int c = 0; c < 256; ++c) {
        const auto code = static_cast<unsigned char>(c);
        EXPECT_EQ(GlyphCellWidth(r.table, r.strip.width(), code), GlyphAdvance(m, code)) << c;
        if (c >= 32) {
            EXPECT_EQ(GlyphCellX(r.table, code), Entry(r.table, c)) << c;
        }
    }

    // The soft hyphen takes no room: its cell is empty and the next code starts where it does.
    EXPECT_EQ(GlyphAdvance(m, 0xAD), 0);
    EXPECT_EQ(Entry(r.table, 0xAD), Entry(r.table, 0xAE));
    // Control codes are no characters of the book's text.
    EXPECT_EQ(GlyphAdvance(m, 0), 0);
    EXPECT_EQ(GlyphAdvance(m, 9), 0);
    EXPECT_EQ(GlyphAdvance(m, 31), 0);
}

TEST(FontStrip, SizeIsTheCutTextCellByTheSummedAdvancesSoNoCellIsCutOff)
{
    // Laid out as one shaped run the string measures narrower than its characters side by side
    // (kerning, fractional positions); the strip is as wide as the cells, so the last letters
    // (ю, я) reach the phone whole and the width of code 255 is the strip's width minus its entry.
    bool shapedRunIsNarrower = false;
    for (int size : {8, 10, 16, 48}) {
        const BookFontStyle font = Font(size);
        const QFontMetrics m(MakeQFont(font));
        const FontStripImage r = RenderFontStrip(font, kWhite, 2, 3);
        EXPECT_EQ(r.strip.height(), m.ascent() + m.descent() - 5) << size;
        int x = 0;
        for (int c = 32; c <= 255; ++c) {
            EXPECT_EQ(Entry(r.table, c), x & 0xFFFF);
            x += GlyphAdvance(m, c);
        }
        EXPECT_EQ(r.strip.width(), x) << size;
        EXPECT_EQ(r.strip.width() - Entry(r.table, 255), GlyphAdvance(m, 255)) << size;
        // The cell of "я" holds ink.
        const QImage last = r.strip.copy(Entry(r.table, 255), 0, GlyphAdvance(m, 255), r.strip.height());
        bool ink = false;
        for (int yy = 0; yy < last.height() && !ink; ++yy)
            for (int xx = 0; xx < last.width() && !ink; ++xx) ink = last.pixel(xx, yy) != QColor(Qt::white).rgb();
        EXPECT_TRUE(ink) << size;
        shapedRunIsNarrower = shapedRunIsNarrower || m.horizontalAdvance(GlyphString()) < x;
    }
    EXPECT_TRUE(shapedRunIsNarrower) << "the case this guards against does not occur with these fonts";
}

TEST(FontStrip, EveryCellIsItsCharacterCutAtTheCellEdges)
{
    // Italic: strokes lean out of their advance box, and that overhang must not reach a neighbour.
    const BookFontStyle font = [] {
        BookFontStyle f = Font(16, true);
        f.color = 0x2050A0;
        return f;
    }();
    const ColorValue background = 0x80FFFF;
    const int upper = 2, lower = 1;
    const FontStripImage r = RenderFontStrip(font, background, upper, lower);
    const QFont qfont = MakeQFont(font);
    const QFontMetrics m(qfont);
    int overhanging = 0;
    for (int c = 32; c <= 255; ++c) {
        const int x = Entry(r.table, c), gw = GlyphAdvance(m, c);
        if (gw == 0 || x + gw > r.strip.width()) continue;
        // The character alone, drawn in the middle of a canvas three cells wide.
        QImage wide(3 * gw, r.strip.height(), QImage::Format_RGB32);
        wide.fill(ColorValueToQColor(background));
        {
            QPainter p(&wide);
            p.setFont(qfont);
            p.setPen(ColorValueToQColor(font.color));
            p.drawText(QPoint(gw, m.ascent() - upper), CharText(c));
        }
        const QImage cell = wide.copy(gw, 0, gw, r.strip.height());
        EXPECT_TRUE(SameRgb(r.strip.copy(x, 0, gw, r.strip.height()), cell)) << "code " << c;
        QImage blank(gw, r.strip.height(), QImage::Format_RGB32);
        blank.fill(ColorValueToQColor(background));
        if (!SameRgb(wide.copy(0, 0, gw, wide.height()), blank) || !SameRgb(wide.copy(2 * gw, 0, gw, wide.height()), blank))
            ++overhanging;
    }
    EXPECT_GT(overhanging, 0) << "the italic font should have ink outside some cells";
}

TEST(FontStrip, CutsTakeRowsOffTheTopAndTheBottom)
{
    const BookFontStyle font = Font(16);
    const FontStripImage full = RenderFontStrip(font, kWhite, 0, 0);
    const int h = full.strip.height();

    // Upper cut + 1: every glyph one row higher and one row less.
    const FontStripImage up = RenderFontStrip(font, kWhite, 1, 0);
    ASSERT_EQ(up.strip.height(), h - 1);
    EXPECT_TRUE(SameRgb(up.strip, Rows(full.strip, 1, h - 1)));
    // Lower cut + 1: glyphs stay, the bottom row goes.
    const FontStripImage down = RenderFontStrip(font, kWhite, 0, 1);
    ASSERT_EQ(down.strip.height(), h - 1);
    EXPECT_TRUE(SameRgb(down.strip, Rows(full.strip, 0, h - 1)));
    // Both at once, and the table does not change with the cuts.
    const FontStripImage both = RenderFontStrip(font, kWhite, 3, 4);
    EXPECT_TRUE(SameRgb(both.strip, Rows(full.strip, 3, h - 7)));
    EXPECT_EQ(both.table, full.table);

    // A stored negative cut adds a row of background above the text cell.
    const FontStripImage taller = RenderFontStrip(font, kWhite, -1, 0);
    ASSERT_EQ(taller.strip.height(), h + 1);
    QImage blankRow(full.strip.width(), 1, QImage::Format_RGB32);
    blankRow.fill(Qt::white);
    EXPECT_TRUE(SameRgb(Rows(taller.strip, 0, 1), blankRow));
    EXPECT_TRUE(SameRgb(Rows(taller.strip, 1, h), full.strip));
}

TEST(FontStrip, CutsThatLeaveNoRowAreRefused)
{
    const BookFontStyle font = Font(8);
    const int h = TextCellHeight(QFontMetrics(MakeQFont(font)));
    EXPECT_EQ(RenderFontStrip(font, kWhite, h - 1, 0).strip.height(), 1);
    EXPECT_EQ(RenderFontStrip(font, kWhite, 3, h - 4).strip.height(), 1);
    for (auto [u, b] : {std::pair{h, 0}, {0, h}, {5, h - 5}, {10, 10}}) {
        try {
            RenderFontStrip(font, kWhite, u, b);
            ADD_FAILURE() << u << "+" << b << " accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), kCutSumMessage);
        }
    }
    EXPECT_FALSE(CutsFit(h, -5, h + 5));
    EXPECT_TRUE(CutsFit(h, -1, h));
}

namespace {

// The strip as every character laid out as text alone makes it: cells of GlyphAdvance's widths,
// each character drawn as a one-character string.
FontStripImage LaidOutStrip(const BookFontStyle& font, ColorValue background, int upperCut, int lowerCut)
{
    const QFont qfont = MakeQFont(font);
    const QFontMetrics metrics(qfont);
    const std::array<int, 256> advances = GlyphAdvances(metrics);
    FontStripImage r;
    r.table[1] = 0x01;
    int width = 0;
    for (int c = 32; c <= 255; ++c) width += advances[size_t(c)];
    const int height = TextCellHeight(metrics) - upperCut - lowerCut;
    const QColor back = ColorValueToQColor(background);
    r.strip = QImage(width, height, QImage::Format_RGB32);
    r.strip.fill(back);
    QPainter painter(&r.strip);
    painter.setFont(qfont);
    painter.setPen(ColorValueToQColor(font.color));
    int x = 0;
    for (int c = 32; c <= 255; ++c) {
        const int w = advances[size_t(c)];
        r.table[size_t(2 + 2 * c)] = std::uint8_t(x & 0xFF);
        r.table[size_t(3 + 2 * c)] = std::uint8_t(x >> 8);
        if (w > 0) {
            painter.setClipRect(QRect(x, 0, w, height));
            painter.fillRect(QRect(x, 0, w, height), back);
            painter.drawText(QPoint(x, metrics.ascent() - upperCut), CharText(c));
        }
        x += w;
    }
    return r;
}

} // namespace

// The strip takes the glyphs a face holds straight from it, without laying each character out as
// text: table, pixels and the remembered widths must be those of the laid-out characters. A few
// faces here (one lacking Cyrillic, so drawn through substitutes; underlined; cut); with
// LUMIRA_ALL_FONTS=1 every installed family at 5..40 points in every style.
TEST(FontStrip, FaceGlyphsEqualTheLaidOutCharacters)
{
    std::vector<BookFontStyle> fonts;
    auto add = [&](const QString& name, int size, bool bold, bool italic, bool underline) {
        BookFontStyle font;
        font.name = name;
        font.size = size;
        font.bold = bold;
        font.italic = italic;
        font.underline = underline;
        font.color = 0x203040;
        fonts.push_back(font);
    };
    if (qEnvironmentVariableIntValue("LUMIRA_ALL_FONTS") == 1) {
        for (const QString& family : QFontDatabase::families())
            for (int size = 5; size <= 40; ++size)
                for (int style = 0; style < 5; ++style) add(family, size, style & 1, style & 2, style == 4);
    } else {
        add(QStringLiteral("Tahoma"), 8, false, false, false);
        add(QStringLiteral("DejaVu Serif"), 11, true, true, false);
        add(QStringLiteral("DejaVu Sans Mono"), 23, false, false, false);
        add(QStringLiteral("DejaVu Sans"), 5, true, false, false);
        add(QStringLiteral("Standard Symbols PS"), 12, false, false, false);
        add(QStringLiteral("DejaVu Sans"), 14, false, true, true);
    }
    for (const BookFontStyle& font : fonts) {
        SCOPED_TRACE(font.name.toStdString() + " " + std::to_string(font.size) + (font.bold ? " bold" : "") +
                     (font.italic ? " italic" : "") + (font.underline ? " underlined" : ""));
        const int upperCut = font.size % 3;
        const int lowerCut = font.size % 2;
        const FontStripImage laidOut = LaidOutStrip(font, 0xE0F0FF, upperCut, lowerCut);
        const FontStripImage drawn = RenderFontStrip(font, 0xE0F0FF, upperCut, lowerCut);
        EXPECT_TRUE(drawn.table == laidOut.table);
        EXPECT_TRUE(drawn.strip == laidOut.strip);
        EXPECT_TRUE(GlyphAdvances(MakeQFont(font)) == GlyphAdvances(QFontMetrics(MakeQFont(font))));
    }
}

TEST(FontStrip, GrayscaleAntialiasingOnly)
{
    const FontStripImage r = RenderFontStrip(Font(16), kWhite, 0, 0);
    int shades = 0;
    for (int y = 0; y < r.strip.height(); ++y) {
        for (int x = 0; x < r.strip.width(); ++x) {
            const QRgb p = r.strip.pixel(x, y);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << "coloured fringe at " << x << "," << y;
            if (qRed(p) != 0 && qRed(p) != 255) ++shades;
        }
    }
    EXPECT_GT(shades, 0) << "no antialiasing at all";
}

// Run by DesktopSettingsChangeNothing in a child process under a changed environment: writes the
// files of two strips into the folder it is given.
TEST(FontStripChild, WritesTheStripFiles)
{
    const QString out = qEnvironmentVariable("LUMIRA_STRIP_OUT");
    if (out.isEmpty()) GTEST_SKIP() << "only run as a child of FontStrip.DesktopSettingsChangeNothing";
    BuildFontFiles(out.toStdString() + "/default", Font(8), kWhite, 0, 0);
    BookFontStyle serif;
    serif.name = QStringLiteral("DejaVu Serif");
    serif.size = 11;
    serif.bold = true;
    serif.color = 0x203040;
    BuildFontFiles(out.toStdString() + "/serif", serif, 0xE0F0FF, 1, 0);
}

TEST(FontStrip, DesktopSettingsChangeNothing)
{
    TempDir dir;
    // The user's font configuration asking for subpixel rendering and no hinting at all.
    dir.Write("subpixel.conf", R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="font">
    <edit name="rgba" mode="assign"><const>rgb</const></edit>
    <edit name="lcdfilter" mode="assign"><const>lcddefault</const></edit>
    <edit name="hinting" mode="assign"><bool>false</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintnone</const></edit>
  </match>
</fontconfig>
)");
    // And one that switches antialiasing off.
    dir.Write("aliased.conf", R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="font"><edit name="antialias" mode="assign"><bool>false</bool></edit></match>
</fontconfig>
)");
    const std::vector<std::pair<QString, QString>> settings = {
        {{}, {}},
        {QStringLiteral("QT_FONT_DPI"), QStringLiteral("192")},
        {QStringLiteral("QT_FONT_DPI"), QStringLiteral("120")},
        {QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2")},
        {QStringLiteral("FONTCONFIG_FILE"), QString::fromStdString((dir / "subpixel.conf").string())},
        {QStringLiteral("FONTCONFIG_FILE"), QString::fromStdString((dir / "aliased.conf").string())},
    };
    std::vector<std::string> baseline;
    for (size_t i = 0; i < settings.size(); ++i) {
        const auto& [name, value] = settings[i];
        SCOPED_TRACE((name + QLatin1Char('=') + value).toStdString());
        const fs::path out = dir / ("run" + std::to_string(i));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"QT_FONT_DPI", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                                     "QT_AUTO_SCREEN_SCALE_FACTOR", "FONTCONFIG_FILE"})
            env.remove(QString::fromLatin1(variable));
        if (!name.isEmpty()) env.insert(name, value);
        env.insert(QStringLiteral("LUMIRA_STRIP_OUT"), QString::fromStdString(out.string()));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=FontStripChild.*")});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        std::vector<std::string> files;
        for (const char* file : {"default/fonts/default.props", "default/fonts/default.png", "serif/fonts/default.props",
                                 "serif/fonts/default.png"})
            files.push_back(ReadFileBytes(out / file));
        if (baseline.empty()) baseline = files;
        for (size_t f = 0; f < files.size(); ++f) EXPECT_TRUE(files[f] == baseline[f]) << "file " << f << " differs";
    }
}

TEST(FontFiles, WrittenFilesAreTheTableAndTheStrip)
{
    TempDir work;
    const FontStripImage r = BuildFontFiles(work.Path() / "temp", Font(8), 0x336699, 1, 1);
    const std::string props = ReadFileBytes(work / "temp/fonts/default.props");
    EXPECT_EQ(props, GlyphTableFileBytes(r.table));
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(ReadFileBytes(work / "temp/fonts/default.png"), png));
    EXPECT_TRUE(SameRgb(png.image, r.strip));
    EXPECT_EQ(png.filters, std::vector<int>(size_t(r.strip.height()), 1));

    const PngcheckResult check = RunPngcheck((work / "temp/fonts/default.png").string());
    if (check.found) {
        EXPECT_EQ(check.exitCode, 0) << check.output;
    }
}

TEST(FontFiles, BackgroundChangeRewritesBothFilesWithTheSameGlyphs)
{
    TempDir work;
    const BookFontStyle font = Font(16);
    const FontStripImage white = BuildFontFiles(work.Path(), font, kWhite, 0, 0);
    const std::string whitePng = ReadFileBytes(work / "fonts/default.png");
    // Both files are written again: make the old ones recognisable first.
    WriteFileBytes(work / "fonts/default.props", "old");
    const FontStripImage yellow = BuildFontFiles(work.Path(), font, 0x00FFFF, 0, 0);
    EXPECT_EQ(ReadFileBytes(work / "fonts/default.props"), GlyphTableFileBytes(white.table));
    const std::string yellowPng = ReadFileBytes(work / "fonts/default.png");
    EXPECT_NE(yellowPng, whitePng);
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(yellowPng, png));
    EXPECT_TRUE(SameRgb(png.image, yellow.strip));

    // Black ink: a pixel is untouched background in one strip exactly where it is in the other,
    // and fully inked pixels are the same.
    ASSERT_EQ(white.strip.size(), yellow.strip.size());
    int inked = 0;
    for (int y = 0; y < white.strip.height(); ++y) {
        for (int x = 0; x < white.strip.width(); ++x) {
            const QRgb a = white.strip.pixel(x, y) & 0xFFFFFF, b = yellow.strip.pixel(x, y) & 0xFFFFFF;
            ASSERT_EQ(a == 0xFFFFFF, b == 0xFFFF00) << x << "," << y;
            ASSERT_EQ(a == 0, b == 0) << x << "," << y;
            inked += a == 0;
        }
    }
    EXPECT_GT(inked, 0);
}

TEST(FontFiles, UnwritableFontsFolderRaisesTheFileError)
{
    TempDir work;
    // A file where the folder should be: the folder cannot be made, and the first file fails.
    work.Write("temp/fonts", "not a folder");
    try {
        BuildFontFiles(work / "temp", Font(8), kWhite, 0, 0);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), CannotCreateText(work / "temp/fonts/default.props", ENOTDIR));
    }
    EXPECT_EQ(work.Read("temp/fonts"), "not a folder");
}

TEST(FontFiles, FailedStripFileLeavesTheNewTableOnly)
{
    TempDir work;
    work.Write("fonts/default.png", "old png");
    fs::permissions(work / "fonts/default.png", fs::perms::owner_read);  // read-only
    try {
        BuildFontFiles(work.Path(), Font(8), kWhite, 0, 0);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), CannotCreateText(work / "fonts/default.png", EACCES));
    }
    EXPECT_EQ(ReadFileBytes(work / "fonts/default.props").size(), 514u);
    EXPECT_EQ(work.Read("fonts/default.png"), "old png");
}

// Cuts and sizes far outside anything a phone shows are refused with a message before the strip
// is allocated: no overflow in the height and no allocation failure.
TEST(FontStrip, ExtremeCutsAndSizesAreRefusedWithAMessage)
{
    const int min = std::numeric_limits<int>::min();
    const int max = std::numeric_limits<int>::max();
    for (const auto& [size, upper, lower] : {std::tuple{8, min, 0}, std::tuple{8, 0, min}, std::tuple{8, min, min},
                                             std::tuple{8, -100000, 0}, std::tuple{10000, 0, 0}, std::tuple{8, max, max}}) {
        EXPECT_THROW(RenderFontStrip(Font(size), kWhite, upper, lower), AppError)
            << size << " " << upper << " " << lower;
    }
    // Negative cuts within reason still add rows.
    EXPECT_EQ(RenderFontStrip(Font(8), kWhite, -3, 0).strip.height(), RenderFontStrip(Font(8), kWhite, 0, 0).strip.height() + 3);
}

} // namespace lumira
