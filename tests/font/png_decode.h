#pragma once
// An independent reader for the PNG files we write: it walks the chunks (checking every CRC),
// inflates the joined image data and undoes the scanline filters, so tests can compare a
// written file with the picture it came from.
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace lumira {

struct PngChunk {
    std::string type;
    std::string data;
    bool crcOk = false;
};

struct DecodedPng {
    std::vector<PngChunk> chunks;
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colorType = 0, compression = -1, filterMethod = -1, interlace = -1;
    std::string stream;      // the IDAT data joined: one zlib stream
    std::string scanlines;   // the stream inflated: filter byte and samples of every row
    std::vector<int> filters;  // each row's filter byte
    QImage image;            // RGB32, filters undone
};

// Fills in what it can; every failure is a GoogleTest failure (use ASSERT_NO_FATAL_FAILURE).
void DecodePng(const std::string& file, DecodedPng& out);

// True when both images have the same size and the same red, green and blue everywhere.
bool SameRgb(const QImage& a, const QImage& b);

// The pngcheck program's verdict on a file, or nothing when it is not installed.
struct PngcheckResult {
    bool found = false;
    int exitCode = -1;
    std::string output;
};
PngcheckResult RunPngcheck(const std::string& path);

} // namespace lumira
