#pragma once
// The book's bitmap font: the characters 32..255 of a font drawn side by side into one strip
// image, and the 514-byte table of where each character's cell starts. The reader on the phone
// draws text from these two, and so does the desktop preview: it copies the strip's cells, measures
// characters the same way (GlyphAdvance) and uses the strip's height as its line height.
#include "platform/colors.h"
#include "platform/book_font_style.h"

#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>

namespace lumira {

inline constexpr int kFirstStripCode = 32;
inline constexpr int kLastStripCode = 255;
inline constexpr int kGlyphTableSize = 514;
// The tallest strip made (a line taller than any phone screen), and the widest one the table's
// 16-bit offsets can address.
inline constexpr int kMaxStripHeight = 1024;
inline constexpr int kMaxStripWidth = 65535;

// Header word 256 (little-endian 00 01), then one unsigned 16-bit little-endian entry per code
// 0..255: 0 for 0..31, the x of the character's cell in the strip (low 16 bits) for 32..255.
using GlyphTableBytes = std::array<std::uint8_t, kGlyphTableSize>;

// The names of the two files in the working folder's "fonts" folder.
inline constexpr const char* kGlyphTableFileName = "default.props";
inline constexpr const char* kGlyphStripFileName = "default.png";

// Shown when cut values would leave the strip without a row (UTF-8; translated in "FontStrip").
inline constexpr const char* kCutSumMessage = QT_TRANSLATE_NOOP("FontStrip", "Сумма подрезок должна быть меньше высоты шрифта.");

// The font's text-cell height: ascent plus descent.
int TextCellHeight(const QFontMetrics& metrics);

// The width of one character of the book's text: the advance of the one-character string, as
// laid out alone. 0 for codes below 32. The strip's cells have exactly these widths.
int GlyphAdvance(const QFontMetrics& metrics, unsigned char cp1251Code);
// The same for every code at once (index = cp1251 code).
std::array<int, 256> GlyphAdvances(const QFontMetrics& metrics);
// The same for a font, remembered for the last few fonts asked: the strip, the preview and the
// page dump ask for the same font's widths again and again, and each width is a text layout.
std::array<int, 256> GlyphAdvances(const QFont& font);

// True when a strip cut by these values keeps at least one row of a text cell this high.
bool CutsFit(int textCellHeight, int upperCut, int lowerCut);

struct FontStripImage {
    QImage strip;          // RGB32; height = text-cell height - cuts, width = the glyph string's advance
    GlyphTableBytes table{};
};

// Renders the strip and its table. Each character's cell is as wide as its GlyphAdvance and as
// high as the strip, laid from x = 0 at the summed widths; in it the character is drawn in the
// font's colour with its text cell's top at -upperCut on an opaque `background`, ink outside the
// cell cut off. The strip is as wide as all cells together: the glyph string measured without
// shaping, so every cell is whole and the width of code 255 is the strip's width minus its entry.
// Cuts that do not fit (CutsFit) are refused with kCutSumMessage as an AppError.
FontStripImage RenderFontStrip(const BookFontStyle& font, ColorValue background, int upperCut, int lowerCut);
// The same with the font already made (MakeQFont or BookQFontAsConfigured) and its colour.
FontStripImage RenderFontStrip(const QFont& qfont, ColorValue color, ColorValue background, int upperCut, int lowerCut);

// Where the cell of a code 32..255 starts in the strip, as the table holds it.
int GlyphCellX(const GlyphTableBytes& table, unsigned char code);
// How wide that cell is, as the reader takes it: up to the next code's cell, and for code 255 up
// to the strip's right edge (`stripWidth`).
int GlyphCellWidth(const GlyphTableBytes& table, int stripWidth, unsigned char code);

// The table bytes and the PNG of the strip, as the two files hold them.
std::string GlyphTableFileBytes(const GlyphTableBytes& table);

// Writes `fontsFolder`/default.props, then `fontsFolder`/default.png, each created or truncated.
// The file layer's error is raised on failure; after a failed default.props nothing more is written.
void WriteFontFiles(const std::filesystem::path& fontsFolder, const GlyphTableBytes& table, const QImage& strip);

} // namespace lumira
