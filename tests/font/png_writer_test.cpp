// The PNG encoder: the exact chunk layout, the compression parameters and a faithful picture.
#include "font/font_strip.h"
#include "font/png_writer.h"
#include "platform/errors.h"
#include "png_decode.h"

#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

namespace lumira {

namespace {

// A picture with flat runs, gradients and noise, so every filter path matters.
QImage TestPicture(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (x % 7 < 3) row[x] = qRgb(x & 0xFF, y & 0xFF, (x * y) & 0xFF);
            else if (x % 7 < 5) row[x] = qRgb(0xCC, 0xE4, 0xFF);
            else row[x] = qRgb(int(rng() & 0xFF), int(rng() & 0xFF), int(rng() & 0xFF));
        }
    }
    return image;
}

} // namespace

TEST(PngWriter, WritesTheFixedLayoutAndThePictureUnchanged)
{
    const QImage picture = TestPicture(123, 17, 1);
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(EncodePng(picture), png));

    ASSERT_EQ(png.chunks.size(), 3u);
    EXPECT_EQ(png.chunks[0].type, "IHDR");
    EXPECT_EQ(png.chunks[1].type, "IDAT");
    EXPECT_EQ(png.chunks[2].type, "IEND");
    EXPECT_TRUE(png.chunks[2].data.empty());
    for (const PngChunk& c : png.chunks) EXPECT_TRUE(c.crcOk) << c.type;
    EXPECT_EQ(png.width, 123u);
    EXPECT_EQ(png.height, 17u);
    EXPECT_EQ(png.compression, 0);
    EXPECT_EQ(png.filterMethod, 0);
    EXPECT_EQ(png.interlace, 0);
    // zlib header of a 32 KiB window at a level of 6 or more.
    ASSERT_GE(png.stream.size(), 2u);
    EXPECT_EQ(std::uint8_t(png.stream[0]), 0x78);
    EXPECT_EQ(std::uint8_t(png.stream[1]), 0xDA);
    EXPECT_EQ(png.filters, std::vector<int>(17, 1));
    EXPECT_TRUE(SameRgb(png.image, picture));

    // Another reader agrees, and other pixel formats give the same file.
    QImage byQt;
    ASSERT_TRUE(byQt.loadFromData(QByteArray::fromStdString(EncodePng(picture)), "PNG"));
    EXPECT_TRUE(SameRgb(byQt, picture));
    EXPECT_EQ(EncodePng(picture.convertToFormat(QImage::Format_RGB888)), EncodePng(picture));

    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(1, 2, 3));
    ASSERT_NO_FATAL_FAILURE(DecodePng(EncodePng(dot), png));
    EXPECT_TRUE(SameRgb(png.image, dot));
    EXPECT_THROW(EncodePng(QImage()), AppError);
}

TEST(PngWriter, StreamIsLevelSevenDeflateOfSubFilteredRows)
{
    // Large enough to be fed to deflate in several pieces; the result must still be the stream a
    // single level-7 compression of the same rows gives (window 15, memory level 8, default strategy).
    const QImage picture = TestPicture(700, 300, 2);
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(EncodePng(picture), png));
    std::string expected(compressBound(uLong(png.scanlines.size())), '\0');
    uLongf size = uLongf(expected.size());
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(expected.data()), &size,
                        reinterpret_cast<const Bytef*>(png.scanlines.data()), uLong(png.scanlines.size()), 7),
              Z_OK);
    expected.resize(size);
    EXPECT_TRUE(png.stream == expected);
}

TEST(PngWriter, CutsTheStreamIntoFullIdatChunks)
{
    // A large glyph strip: about 13,700 pixels wide, its stream needs three chunks.
    BookFontStyle font;
    font.size = 72;
    const QImage picture = RenderFontStrip(font, 0xFFFFFF, 0, 0).strip;
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(EncodePng(picture), png));
    std::vector<size_t> idat;
    for (const PngChunk& c : png.chunks) {
        EXPECT_TRUE(c.crcOk);
        if (c.type == "IDAT") idat.push_back(c.data.size());
    }
    ASSERT_GE(idat.size(), 3u);
    for (size_t i = 0; i + 1 < idat.size(); ++i) EXPECT_EQ(idat[i], kPngIdatChunkSize);
    EXPECT_GT(idat.back(), 0u);
    EXPECT_LE(idat.back(), kPngIdatChunkSize);
    // The IDAT chunks stand together between IHDR and IEND.
    EXPECT_EQ(png.chunks.size(), idat.size() + 2);
    EXPECT_EQ(png.chunks.back().type, "IEND");
    EXPECT_TRUE(SameRgb(png.image, picture));
}

TEST(PngWriter, ScanlinesOfATwoHundredPixelImage)
{
    const QImage picture = TestPicture(200, 9, 3);
    DecodedPng png;
    ASSERT_NO_FATAL_FAILURE(DecodePng(EncodePng(picture), png));
    ASSERT_EQ(png.scanlines.size(), 9u * 601u);
    for (int y = 0; y < 9; ++y) EXPECT_EQ(png.scanlines[size_t(y) * 601], '\x01');
    // The first pixel of a row is stored as is, the next ones as differences.
    EXPECT_EQ(std::uint8_t(png.scanlines[601 * 2 + 1]), qRed(picture.pixel(0, 2)));
    EXPECT_EQ(std::uint8_t(png.scanlines[601 * 2 + 4]), std::uint8_t(qRed(picture.pixel(1, 2)) - qRed(picture.pixel(0, 2))));
}

} // namespace lumira
