#pragma once
// Our PNG encoder for the glyph strip. The layout is fixed so that every build of the same strip
// gives the same bytes: the signature; IHDR (8-bit truecolour R G B, no interlace); the image data
// as ONE zlib stream (deflate level 7, 32 KiB window, memory level 8, default strategy) of all
// scanlines, each one the filter byte 1 (Sub) followed by R G B per pixel, cut into IDAT chunks of
// exactly 65535 data bytes with the last one holding the rest; IEND. No other chunk is written.
#include <QImage>
#include <cstddef>
#include <string>

namespace lumira {

inline constexpr std::size_t kPngIdatChunkSize = 65535;
inline constexpr int kPngDeflateLevel = 7;

// The PNG file of `image` (any format; only red, green and blue are stored). An empty (null)
// image has no valid PNG; it and every other failure are refused with an AppError.
std::string EncodePng(const QImage& image);

} // namespace lumira
