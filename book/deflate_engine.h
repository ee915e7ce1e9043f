#pragma once
// Raw Deflate of a whole buffer in one call, by either of two engines, and the CRC-32 the
// archive records for it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumira {

enum class DeflateEngine { Zlib, Libdeflate };

// The level the archive declares ("maximum compression" in its entries' flags).
inline constexpr int kArchiveLevel = 9;

// The libdeflate level that packs about as tightly as zlib at `declared`: libdeflate's scale is
// not zlib's. Its 8 and 9 cost about what zlib's 9 does for under 1 % less; its 7 packs book
// texts as tightly as zlib's 9 in about 0.6 of the time; below 7 books come out larger.
// 32767-byte pieces, one thread of a quiet 2-core machine (bench_book_build --engines), size
// against zlib 9 for libdeflate 6 / 7 / 9, and CPU time of libdeflate 7 against zlib 9:
//   prose 64 MiB (Russian message catalogues)   -0.07 / -0.28 / -0.91 %   0.49x
//   words 64 MiB (the sample's, at random)      -1.31 / -1.52 / -1.88 %   0.64x
//   English licences 16 MB                       -0.11 / -0.53 / -1.22 %   0.59x
//   package change logs 16 MB                    +0.06 / -0.33 / -0.96 %   0.64x
//   Russian manual pages 0.4 MB                  +0.30 / +0.06 / -0.56 %   0.60x
constexpr int LibdeflateLevelFor(int declared)
{
    return declared < 7 ? declared : 7;
}

// The engine the archive uses, chosen by measurement at the declared level (above): libdeflate,
// much faster and as small within 0.1 % on every text measured, mostly smaller. The entries keep zlib's "text"
// attribute (DeflateSeesText) and the declared level in their headers; files too large to be
// held whole still stream through zlib.
inline constexpr DeflateEngine kArchiveEngine = DeflateEngine::Libdeflate;

std::string_view DeflateEngineName(DeflateEngine engine);

// One compressor, reused for many buffers; not shared between threads.
class RawDeflater {
public:
    // `level` is on zlib's scale (libdeflate compresses at LibdeflateLevelFor(level)); zlib is
    // fed `feed` bytes at a time, as a writer streaming the file through it would.
    // `tightest` makes libdeflate compress at its slowest, tightest level (12) instead: for
    // archives packed once and kept, never for books.
    RawDeflater(DeflateEngine engine, int level, std::size_t feed = 256 * 1024, bool tightest = false);
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

// How an archive's entries are compressed, one interface for the package builder and the archive
// writer: the way books are made (kArchiveEngine, the entries spread over worker threads and
// handed back in order) or the plain way kept as the reference the first is checked against
// (zlib, every entry on the calling thread). Streams of either inflate to the same bytes with
// the same CRC and "text" attribute, and the archive around them is laid out the same; only the
// compressed bytes differ. A thread count alone means the first way on that many threads.
class ArchiveCompression {
public:
    // kArchiveEngine on `threads` threads (0: one per core).
    ArchiveCompression(unsigned threads = 0);
    static ArchiveCompression Reference();
    // libdeflate's tightest level on the calling thread: for the reader's template, packed once at
    // build time, where every byte counts against its size budget (about 2 % under the usual level).
    static ArchiveCompression Tightest();

    DeflateEngine Engine() const { return engine_; }
    // How many threads compress at once (1: all on the calling thread).
    unsigned Threads() const { return threads_; }
    // The calling thread's compressor of this way at the archive's level, fed `feed` bytes at a
    // time: made on the thread's first use and kept for its later entries.
    RawDeflater& ThreadDeflater(std::size_t feed) const;

private:
    ArchiveCompression(DeflateEngine engine, unsigned threads, bool tightest = false)
        : engine_(engine), threads_(threads), tightest_(tightest) {}

    DeflateEngine engine_;
    unsigned threads_;
    bool tightest_;
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
