#include "png_decode.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <zlib.h>

namespace lumira {

namespace {

std::uint32_t BigEndian32(const std::string& s, size_t at)
{
    return std::uint32_t(std::uint8_t(s[at])) << 24 | std::uint32_t(std::uint8_t(s[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(s[at + 2])) << 8 | std::uint32_t(std::uint8_t(s[at + 3]));
}

int Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

} // namespace

void DecodePng(const std::string& file, DecodedPng& out)
{
    static const std::string signature("\x89PNG\r\n\x1a\n", 8);
    out = DecodedPng();
    ASSERT_GE(file.size(), 8u);
    ASSERT_EQ(file.substr(0, 8), signature);
    size_t at = 8;
    while (at < file.size()) {
        ASSERT_LE(at + 12, file.size()) << "truncated chunk";
        const std::uint32_t length = BigEndian32(file, at);
        ASSERT_LE(at + 12 + length, file.size()) << "chunk runs past the end";
        PngChunk chunk;
        chunk.type = file.substr(at + 4, 4);
        chunk.data = file.substr(at + 8, length);
        const auto* typeAndData = reinterpret_cast<const Bytef*>(file.data() + at + 4);
        chunk.crcOk = crc32(0, typeAndData, length + 4) == BigEndian32(file, at + 8 + length);
        out.chunks.push_back(chunk);
        at += 12 + length;
    }
    ASSERT_FALSE(out.chunks.empty());
    ASSERT_EQ(out.chunks.front().type, "IHDR");
    const std::string& ihdr = out.chunks.front().data;
    ASSERT_EQ(ihdr.size(), 13u);
    out.width = BigEndian32(ihdr, 0);
    out.height = BigEndian32(ihdr, 4);
    out.bitDepth = std::uint8_t(ihdr[8]);
    out.colorType = std::uint8_t(ihdr[9]);
    out.compression = std::uint8_t(ihdr[10]);
    out.filterMethod = std::uint8_t(ihdr[11]);
    out.interlace = std::uint8_t(ihdr[12]);
    ASSERT_EQ(out.bitDepth, 8);
    ASSERT_EQ(out.colorType, 2);
    for (const PngChunk& c : out.chunks) {
        if (c.type == "IDAT") out.stream += c.data;
    }

    const size_t rowBytes = 1 + 3 * size_t(out.width);
    out.scanlines.resize(rowBytes * out.height);
    z_stream zs{};
    ASSERT_EQ(inflateInit(&zs), Z_OK);
    zs.next_in = reinterpret_cast<Bytef*>(out.stream.data());
    zs.avail_in = uInt(out.stream.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.scanlines.data());
    zs.avail_out = uInt(out.scanlines.size());
    const int rc = inflate(&zs, Z_FINISH);
    const uLong produced = zs.total_out;
    const uInt leftIn = zs.avail_in;
    inflateEnd(&zs);
    ASSERT_EQ(rc, Z_STREAM_END) << "the image data is not one complete zlib stream of the expected size";
    ASSERT_EQ(produced, out.scanlines.size());
    ASSERT_EQ(leftIn, 0u) << "bytes after the zlib stream";

    out.image = QImage(int(out.width), int(out.height), QImage::Format_RGB32);
    std::vector<int> prior(3 * out.width, 0), row(3 * out.width);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const auto* line = reinterpret_cast<const std::uint8_t*>(out.scanlines.data() + rowBytes * y);
        const int filter = line[0];
        out.filters.push_back(filter);
        for (size_t i = 0; i < row.size(); ++i) {
            const int a = i >= 3 ? row[i - 3] : 0, b = prior[i], c = i >= 3 ? prior[i - 3] : 0;
            int predictor = 0;
            switch (filter) {
            case 0: predictor = 0; break;
            case 1: predictor = a; break;
            case 2: predictor = b; break;
            case 3: predictor = (a + b) / 2; break;
            case 4: predictor = Paeth(a, b, c); break;
            default: FAIL() << "unknown filter type " << filter; return;
            }
            row[i] = (line[1 + i] + predictor) & 0xFF;
        }
        auto* pixels = reinterpret_cast<QRgb*>(out.image.scanLine(int(y)));
        for (std::uint32_t x = 0; x < out.width; ++x) pixels[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        prior = row;
    }
}

bool SameRgb(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return false;
    const QImage ca = a.convertToFormat(QImage::Format_RGB32), cb = b.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < ca.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(ca.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(cb.constScanLine(y));
        for (int x = 0; x < ca.width(); ++x) {
            if ((ra[x] & 0xFFFFFF) != (rb[x] & 0xFFFFFF)) return false;
        }
    }
    return true;
}

PngcheckResult RunPngcheck(const std::string& path)
{
    PngcheckResult result;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pngcheck"));
    if (program.isEmpty()) return result;
    result.found = true;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("-v"), QString::fromStdString(path)});
    if (!process.waitForFinished(30000)) return result;
    result.exitCode = process.exitCode();
    result.output = process.readAll().toStdString();
    return result;
}

} // namespace lumira
