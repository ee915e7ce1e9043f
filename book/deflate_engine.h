#pragma once
// Raw Deflate of a whole buffer in one call, by either of two engines, and the CRC-32 the
// archive records for it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumira {

enum class DeflateEngine { Zlib, Libdeflate };

// The engine the archive uses, chosen by measurement at the declared level 9 on 32767-byte
// pieces, CPU time on one thread of a quiet 2-core machine (bench_book_build --engines):
// - prose (Russian message catalogues joined, cp1251, 64 MiB): zlib 3.00 s, libdeflate 2.23 s,
//   25 % faster and 0.8 % smaller;
// - words drawn at random from the sample text: zlib 2.27-2.76 s, libdeflate 2.44-2.84 s, a tie
//   within the noise, 1.9 % smaller.
// Books are prose, so libdeflate it is. The entries keep zlib's "text" attribute (DeflateSeesText)
// and the declared level; files too large to be held whole still stream through zlib.
inline constexpr DeflateEngine kArchiveEngine = DeflateEngine::Libdeflate;

// The level the archive declares and compresses its entries at.
inline constexpr int kArchiveLevel = 9;

std::string_view DeflateEngineName(DeflateEngine engine);

// One compressor, reused for many buffers; not shared between threads.
class RawDeflater {
public:
    // zlib is fed `feed` bytes at a time, as a writer streaming the file through it would.
    RawDeflater(DeflateEngine engine, int level, std::size_t feed = 256 * 1024);
    ~RawDeflater();
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    // Replaces `out` with the raw Deflate stream (no header, no trailer) of `data`. Returns
    // whether zlib takes the data for text (see DeflateSeesText).
    bool Compress(const void* data, std::size_t size, std::vector<char>& out);

private:
    DeflateEngine engine_;
    int level_;
    std::size_t feed_;
    void* state_ = nullptr;  // the libdeflate compressor or the zlib stream
};

// What zlib's deflate at `level` (window 2^15, memory level 8) reports as the data type of
// `data` fed to it in pieces of `feed` bytes: true for text. Archives record it as the entry's
// "text" attribute. zlib judges by the literals of its first block: no byte 0-6, 14-25 or 28-31
// among them and at least one of 9, 10, 13 or 32-255. When the whole buffer has none of the
// former and begins with one of the latter (the first byte is always a literal) the answer is
// known without compressing; otherwise zlib is run until it has decided.
bool DeflateSeesText(const void* data, std::size_t size, int level, std::size_t feed);

std::uint32_t Crc32Of(const void* data, std::size_t size, std::uint32_t crc = 0);

} // namespace lumira
