// Drawing pages from the glyph strip.
#include "preview/page_painter.h"

#include "font/qt_colors.h"
#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace lumira {

void PaintSysline(QImage& surface, int bandY, const QImage& picture)
{
    QPainter painter(&surface);
    painter.fillRect(QRect(0, bandY, surface.width(), kSyslineHeight), ColorValueToQColor(kSyslineColor));
    // Copied as it is, opaque: a picture with an alpha channel does not blend with the band.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, bandY), picture.convertToFormat(QImage::Format_RGB32));
}

void PaintLines(QImage& surface, const PageLayout& page, const QImage& strip, const GlyphTableBytes& table,
                const QColor& background)
{
    if (page.lines.empty()) return;
    QPainter painter(&surface);
    const int height = strip.height();
    for (size_t n = 0; n < page.lines.size(); ++n) {
        const int y = page.LineY(static_cast<int>(n));
        const QRect band(0, y, surface.width(), height);
        painter.setClipRect(band);
        painter.fillRect(band, background);
        if (strip.isNull()) continue;
        int x = n < page.lineX.size() ? page.lineX[n] : 0;
        for (char ch : page.lines[n]) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < kFirstStripCode) continue;
            const int w = GlyphCellWidth(table, strip.width(), c);
            if (w <= 0) continue;
            painter.drawImage(QPoint(x, y), strip, QRect(GlyphCellX(table, c), 0, w, height));
            x += w;
        }
    }
}

QImage LoadSyslinePicture(const std::filesystem::path& path)
{
    const std::string bytes = ReadFileBytes(path);
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // Read as a BMP alone first: letting Qt guess loads every image format plugin to ask it,
    // which costs the start-up several milliseconds. A picture that is no BMP still gets the
    // guess it always had.
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull() &&
        !picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "BMP"))
        throw AppError(FormatText(Translate("PagePainter", "Картинка «%1» повреждена: это не точечный рисунок BMP."), {PathText(path)}));
    return picture;
}

} // namespace lumira
