#include "font/png_writer.h"

#include "platform/errors.h"
#include "platform/language.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

namespace lumira {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint8_t kFilterSub = 1;
// Scanlines are filtered into a buffer of about this size before it is handed to deflate.
constexpr std::size_t kBatchBytes = 256 * 1024;

void PutU32(std::string& out, std::uint32_t v)
{
    const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    out.append(bytes, 4);
}

// Length, type, data and the CRC-32 of type and data.
void AppendChunk(std::string& out, const char (&type)[5], const unsigned char* data, std::size_t size)
{
    PutU32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    if (size) out.append(reinterpret_cast<const char*>(data), size);
    const auto* crcData = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    PutU32(out, static_cast<std::uint32_t>(crc32_z(crc32(0L, Z_NULL, 0), crcData, size + 4)));
}

// One scanline: filter byte 1, then each sample minus the same sample of the pixel to its left.
void FilterRowSub(const QRgb* pixels, int width, std::uint8_t* out)
{
    *out++ = kFilterSub;
    std::uint8_t pr = 0, pg = 0, pb = 0;
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const auto r = static_cast<std::uint8_t>(p >> 16);
        const auto g = static_cast<std::uint8_t>(p >> 8);
        const auto b = static_cast<std::uint8_t>(p);
        out[0] = static_cast<std::uint8_t>(r - pr);
        out[1] = static_cast<std::uint8_t>(g - pg);
        out[2] = static_cast<std::uint8_t>(b - pb);
        out += 3;
        pr = r;
        pg = g;
        pb = b;
    }
}

[[noreturn]] void ThrowNoMemory()
{
    throw AppError(Translate("PngWriter", "Не хватает памяти, чтобы сжать картинку в PNG."));
}

[[noreturn]] void ThrowDeflateFailed()
{
    throw AppError(Translate("PngWriter", "Сжатие картинки в PNG не удалось (ошибка zlib)."));
}

// One zlib stream fed in pieces. The output buffer is sized once by deflateBound for the whole
// input, which holds because no flush happens before the end.
class Deflater {
public:
    explicit Deflater(std::size_t totalInput)
    {
        const int rc = deflateInit2(&zs_, kPngDeflateLevel, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        if (rc == Z_MEM_ERROR) ThrowNoMemory();
        if (rc != Z_OK) ThrowDeflateFailed();
        const uLong bound = deflateBound(&zs_, static_cast<uLong>(totalInput));
        if (totalInput > 0xFFFFFFFFu || bound > 0xFFFFFFFFu) {
            deflateEnd(&zs_);
            ThrowNoMemory();
        }
        out_.reset(new (std::nothrow) std::uint8_t[bound]);
        if (!out_) {
            deflateEnd(&zs_);
            ThrowNoMemory();
        }
        zs_.next_out = out_.get();
        zs_.avail_out = static_cast<uInt>(bound);
    }
    ~Deflater() { deflateEnd(&zs_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Feed(const std::uint8_t* data, std::size_t size, bool last)
    {
        zs_.next_in = const_cast<Bytef*>(data);
        zs_.avail_in = static_cast<uInt>(size);
        const int rc = deflate(&zs_, last ? Z_FINISH : Z_NO_FLUSH);
        if (last ? rc != Z_STREAM_END : (rc != Z_OK || zs_.avail_in != 0))
            ThrowDeflateFailed();
    }

    const std::uint8_t* Data() const { return out_.get(); }
    std::size_t Size() const { return zs_.total_out; }

private:
    z_stream zs_{};
    std::unique_ptr<std::uint8_t[]> out_;
};

} // namespace

std::string EncodePng(const QImage& source)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        throw AppError(Translate("PngWriter", "Картинка пуста: из неё не сделать PNG."));
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(width);

    Deflater deflater(rowBytes * static_cast<std::size_t>(height));
    const int rowsPerBatch = static_cast<int>(std::max<std::size_t>(1, kBatchBytes / rowBytes));
    std::vector<std::uint8_t> batch(rowBytes * static_cast<std::size_t>(std::min(rowsPerBatch, height)));
    for (int y = 0; y < height;) {
        const int rows = std::min(rowsPerBatch, height - y);
        for (int i = 0; i < rows; ++i) {
            FilterRowSub(reinterpret_cast<const QRgb*>(image.constScanLine(y + i)), width,
                         batch.data() + rowBytes * static_cast<std::size_t>(i));
        }
        y += rows;
        deflater.Feed(batch.data(), rowBytes * static_cast<std::size_t>(rows), y == height);
    }
    const std::uint8_t* stream = deflater.Data();
    const std::size_t streamSize = deflater.Size();

    const std::size_t chunks = (streamSize + kPngIdatChunkSize - 1) / kPngIdatChunkSize;
    std::string png;
    png.reserve(8 + 25 + streamSize + chunks * 12 + 12);
    png.append(reinterpret_cast<const char*>(kSignature), sizeof kSignature);

    unsigned char ihdr[13] = {};
    const auto put = [&ihdr](int at, std::uint32_t v) {
        ihdr[at] = static_cast<unsigned char>(v >> 24);
        ihdr[at + 1] = static_cast<unsigned char>(v >> 16);
        ihdr[at + 2] = static_cast<unsigned char>(v >> 8);
        ihdr[at + 3] = static_cast<unsigned char>(v);
    };
    put(0, static_cast<std::uint32_t>(width));
    put(4, static_cast<std::uint32_t>(height));
    ihdr[8] = 8;   // bit depth
    ihdr[9] = 2;   // colour type: truecolour
    ihdr[10] = 0;  // compression method
    ihdr[11] = 0;  // filter method
    ihdr[12] = 0;  // no interlace
    AppendChunk(png, "IHDR", ihdr, sizeof ihdr);

    for (std::size_t at = 0; at < streamSize; at += kPngIdatChunkSize) {
        AppendChunk(png, "IDAT", stream + at, std::min(kPngIdatChunkSize, streamSize - at));
    }
    AppendChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace lumira
