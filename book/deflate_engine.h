#pragma once
// Raw Deflate of a whole buffer in one call, by either of two engines, and the CRC-32 the
// archive records for it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class DeflateEngine { Zlib, Libdeflate };

// The engine the archive uses: libdeflate, measured faster than zlib at level 9 on book text
// while giving smaller output (bench/book prints both).
inline constexpr DeflateEngine kArchiveEngine = DeflateEngine::Libdeflate;

std::string_view DeflateEngineName(DeflateEngine engine);

// One compressor, reused for many buffers; not shared between threads.
class RawDeflater {
public:
    RawDeflater(DeflateEngine engine, int level);
    ~RawDeflater();
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    // Replaces `out` with the raw Deflate stream (no header, no trailer) of `data`.
    void Compress(const void* data, std::size_t size, std::vector<char>& out);

private:
    DeflateEngine engine_;
    int level_;
    void* state_ = nullptr;  // the libdeflate compressor
};

std::uint32_t Crc32Of(const void* data, std::size_t size, std::uint32_t crc = 0);
