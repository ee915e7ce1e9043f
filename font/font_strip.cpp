#include "font/font_strip.h"

#include "font/book_qfont.h"
#include "font/png_writer.h"
#include "font/qt_colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace lumira {

int TextCellHeight(const QFontMetrics& metrics)
{
    return metrics.ascent() + metrics.descent();
}

int GlyphAdvance(const QFontMetrics& metrics, unsigned char cp1251Code)
{
    if (cp1251Code < kFirstStripCode) return 0;
    // The string form: it is laid out like text, so a character the font shows with no width
    // (the soft hyphen, for one) measures 0 here, as it does inside a line.
    return metrics.horizontalAdvance(QString(QChar(static_cast<char16_t>(Cp1251ToUnicode(cp1251Code)))));
}

std::array<int, 256> GlyphAdvances(const QFontMetrics& metrics)
{
    std::array<int, 256> widths{};
    for (int c = kFirstStripCode; c <= kLastStripCode; ++c) {
        widths[static_cast<size_t>(c)] = GlyphAdvance(metrics, static_cast<unsigned char>(c));
    }
    return widths;
}

namespace {

constexpr char16_t kSoftHyphen = 0x00AD;

// The strip's characters taken straight from the font's own face: each one's glyph and advance,
// with no text layout. Laying out one character at a time costs most of the strip's time (the
// shaper's setup for the face, then one layout per character), and for a face that holds every
// printable character of the strip it gives the same advances and pixels: so measured and
// compared for every installed family at 5..40 points, regular, bold, italic and bold italic.
// The layout still decides where it may do more: a character the face lacks is drawn from a
// substitute font, and an underline or a strike-out is drawn along the laid-out text; a font with
// either keeps the per-character layout. (The soft hyphen measures 0 as text, whatever the face.)
struct FaceGlyphs {
    QRawFont face;
    std::array<quint32, 256> glyphs{};
    std::array<int, 256> advances{};
};

std::optional<FaceGlyphs> FaceGlyphsOf(const QFont& font)
{
    if (font.underline() || font.strikeOut()) return std::nullopt;
    FaceGlyphs result{QRawFont::fromFont(font), {}, {}};
    if (!result.face.isValid()) return std::nullopt;
    const QFontMetrics metrics(font);
    for (int c = kFirstStripCode; c <= kLastStripCode; ++c) {
        const QChar ch(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(c))));
        if (ch.unicode() == kSoftHyphen) continue;
        const QList<quint32> glyphs = result.face.glyphIndexesForString(QString(ch));
        const quint32 glyph = glyphs.size() == 1 ? glyphs.front() : 0;
        if (glyph == 0 && ch.category() != QChar::Other_Control) return std::nullopt;
        result.glyphs[static_cast<size_t>(c)] = glyph;
        result.advances[static_cast<size_t>(c)] = metrics.horizontalAdvance(ch);
    }
    return result;
}

} // namespace

std::array<int, 256> GlyphAdvances(const QFont& font)
{
    struct Remembered {
        QString key;
        std::array<int, 256> widths;
    };
    // The window's thread and the one drawing the first strip both ask.
    static std::mutex guard;
    static std::vector<Remembered> remembered;
    const QString key = font.key();
    const std::lock_guard lock(guard);
    for (const auto& r : remembered)
        if (r.key == key) return r.widths;
    if (remembered.size() >= 8) remembered.erase(remembered.begin());
    const std::optional<FaceGlyphs> face = FaceGlyphsOf(font);
    remembered.push_back({key, face ? face->advances : GlyphAdvances(QFontMetrics(font))});
    return remembered.back().widths;
}

bool CutsFit(int textCellHeight, int upperCut, int lowerCut)
{
    return static_cast<long long>(upperCut) + lowerCut < textCellHeight;
}

FontStripImage RenderFontStrip(const BookFontStyle& font, ColorValue background, int upperCut, int lowerCut)
{
    return RenderFontStrip(MakeQFont(font), font.color, background, upperCut, lowerCut);
}

FontStripImage RenderFontStrip(const QFont& qfont, ColorValue color, ColorValue background, int upperCut, int lowerCut)
{
    const QFontMetrics metrics(qfont);
    const int cellHeight = TextCellHeight(metrics);
    if (!CutsFit(cellHeight, upperCut, lowerCut)) throw AppError(Translate("FontStrip", kCutSumMessage));

    FontStripImage result;
    result.table[0] = 0x00;
    result.table[1] = 0x01;

    // Negative cuts add rows; a strip taller than any phone screen is refused before it is allocated.
    const long long tall = static_cast<long long>(cellHeight) - upperCut - lowerCut;
    if (tall > kMaxStripHeight)
        throw AppError(FormatText(Translate("FontStrip", "Строка шрифта получается высотой %1 точек, больше %2: уменьшите шрифт или подрезку."),
                                  {std::to_string(tall), std::to_string(kMaxStripHeight)}));
    const int height = static_cast<int>(tall);
    // The glyph string's width as text is measured without shaping: the sum of its characters'
    // advances. (Measured as one shaped run, kerning and fractional positions make it narrower,
    // which would cut the last letters off every book; the reader takes the width of the last
    // code from the strip's width, so the two must agree.)
    const std::array<int, 256> advances = GlyphAdvances(qfont);
    long long summed = 0;
    for (int c = kFirstStripCode; c <= kLastStripCode; ++c) summed += advances[static_cast<size_t>(c)];
    if (summed > kMaxStripWidth)
        throw AppError(FormatText(Translate("FontStrip", "Строка шрифта получается шириной %1 точек, больше %2: уменьшите шрифт."),
                                  {std::to_string(summed), std::to_string(kMaxStripWidth)}));
    const int width = static_cast<int>(summed);

    const QColor backColor = ColorValueToQColor(background);
    if (width > 0) {
        result.strip = QImage(width, height, QImage::Format_RGB32);
        if (result.strip.isNull()) throw std::bad_alloc();
        result.strip.fill(backColor);
    }

    QPainter painter;
    if (!result.strip.isNull()) {
        painter.begin(&result.strip);
        painter.setFont(qfont);
        painter.setPen(ColorValueToQColor(color));
        painter.setBackgroundMode(Qt::TransparentMode);
    }
    const std::optional<FaceGlyphs> face = FaceGlyphsOf(qfont);
    QGlyphRun run;
    if (face) {
        run.setRawFont(face->face);
        run.setPositions({QPointF(0, 0)});
    }
    // The text cell's top lies at -upperCut, so its baseline at ascent - upperCut.
    const int baseline = metrics.ascent() - upperCut;
    int x = 0;
    for (int c = kFirstStripCode; c <= kLastStripCode; ++c) {
        const int gw = advances[static_cast<size_t>(c)];
        result.table[2 + 2 * c] = static_cast<std::uint8_t>(x & 0xFF);
        result.table[3 + 2 * c] = static_cast<std::uint8_t>((x >> 8) & 0xFF);
        if (gw > 0 && x < width && painter.isActive()) {
            // The cell: its own opaque background, and nothing of the character outside it.
            const QRect cell(x, 0, gw, height);
            painter.setClipRect(cell);
            painter.fillRect(cell, backColor);
            if (face) {
                run.setGlyphIndexes({face->glyphs[static_cast<size_t>(c)]});
                painter.drawGlyphRun(QPointF(x, baseline), run);
            } else {
                painter.drawText(QPoint(x, baseline), QString(QChar(static_cast<char16_t>(
                                                          Cp1251ToUnicode(static_cast<unsigned char>(c))))));
            }
        }
        x += gw;
    }
    if (painter.isActive()) painter.end();
    return result;
}

int GlyphCellX(const GlyphTableBytes& table, unsigned char code)
{
    return table[2 + 2 * code] | table[3 + 2 * code] << 8;
}

int GlyphCellWidth(const GlyphTableBytes& table, int stripWidth, unsigned char code)
{
    if (code < kFirstStripCode) return 0;
    const int end = code == kLastStripCode ? stripWidth : GlyphCellX(table, static_cast<unsigned char>(code + 1));
    return end - GlyphCellX(table, code);
}

std::string GlyphTableFileBytes(const GlyphTableBytes& table)
{
    return std::string(reinterpret_cast<const char*>(table.data()), table.size());
}

void WriteFontFiles(const std::filesystem::path& fontsFolder, const GlyphTableBytes& table, const QImage& strip)
{
    WriteFileBytes(fontsFolder / kGlyphTableFileName, GlyphTableFileBytes(table));
    WriteFileBytes(fontsFolder / kGlyphStripFileName, EncodePng(strip));
}

} // namespace lumira
