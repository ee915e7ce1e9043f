// Drawing pages from glyph cells.
#include "preview/page_painter.h"

#include "platform/colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>

bool GlyphStyle::operator==(const GlyphStyle& other) const
{
    if (font != other.font || ink != other.ink || background != other.background || upperCut != other.upperCut ||
        lineHeight != other.lineHeight)
        return false;
    for (int c = 0; c < 256; ++c)
        if (widths(static_cast<unsigned char>(c)) != other.widths(static_cast<unsigned char>(c))) return false;
    return true;
}

GlyphCells::GlyphCells(const GlyphStyle& style) : style_(style)
{
    Draw(PlaceCells());
}

GlyphCells::GlyphCells(const GlyphStyle& style, const QImage& drawn) : style_(style)
{
    const int total = PlaceCells();
    if (total > 0 && drawn.size() == QSize(total, style_.lineHeight) && drawn.format() == QImage::Format_RGB32)
        atlas_ = drawn;
    else
        Draw(total);
}

int GlyphCells::PlaceCells()
{
    int total = 0;
    for (int c = 32; c < 256; ++c) {
        offset_[static_cast<size_t>(c)] = total;
        total += style_.widths(static_cast<unsigned char>(c));
    }
    return total;
}

void GlyphCells::Draw(int total)
{
    if (total <= 0 || style_.lineHeight <= 0) return;
    atlas_ = QImage(total, style_.lineHeight, QImage::Format_RGB32);
    if (atlas_.isNull()) throw std::bad_alloc();
    atlas_.fill(style_.background);
    QPainter painter(&atlas_);
    painter.setFont(style_.font);
    painter.setPen(style_.ink);
    const int baseline = QFontMetrics(style_.font).ascent() - style_.upperCut;
    for (int c = 32; c < 256; ++c) {
        const int w = style_.widths(static_cast<unsigned char>(c));
        if (w <= 0) continue;
        const QRect cell(offset_[static_cast<size_t>(c)], 0, w, style_.lineHeight);
        painter.setClipRect(cell);
        painter.drawText(QPoint(cell.x(), baseline),
                         QString(QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(c))))));
    }
}

void GlyphCells::DrawLine(QPainter& painter, int x, int y, std::string_view line) const
{
    if (atlas_.isNull()) return;
    const int height = style_.lineHeight;
    for (char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32) continue;
        const int w = style_.widths(c);
        if (w <= 0) continue;
        painter.drawImage(QPoint(x, y), atlas_, QRect(offset_[c], 0, w, height));
        x += w;
    }
}

const GlyphCells& GlyphCellCache::For(const GlyphStyle& style, const QImage* drawn)
{
    if (!cells_ || !(cells_->Style() == style))
        cells_ = drawn ? std::make_unique<GlyphCells>(style, *drawn) : std::make_unique<GlyphCells>(style);
    return *cells_;
}

void PaintSysline(QImage& surface, int bandY, const QImage& picture)
{
    QPainter painter(&surface);
    painter.fillRect(QRect(0, bandY, surface.width(), kSyslineHeight), ColorValueToQColor(kSyslineColor));
    // Copied as it is, opaque: a picture with an alpha channel does not blend with the band.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, bandY), picture.convertToFormat(QImage::Format_RGB32));
}

void PaintLines(QImage& surface, const PageLayout& page, const GlyphCells& cells)
{
    if (page.lines.empty()) return;
    QPainter painter(&surface);
    const int height = cells.Style().lineHeight;
    for (size_t n = 0; n < page.lines.size(); ++n) {
        const int y = page.LineY(static_cast<int>(n));
        const QRect strip(0, y, surface.width(), height);
        painter.setClipRect(strip);
        painter.fillRect(strip, cells.Style().background);
        cells.DrawLine(painter, 0, y, page.lines[n]);
    }
}

QImage LoadSyslinePicture(const std::filesystem::path& path)
{
    const std::string bytes = ReadFileBytes(path);
    // Qt's own bitmap reader, asked for by name: left to look for a reader, Qt would first load
    // every image plugin to ask whether it reads bitmaps (none does).
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    const QImage picture = reader.read();
    if (picture.isNull()) throw AppError("Bitmap image is not valid: " + PathText(path));
    return picture;
}
