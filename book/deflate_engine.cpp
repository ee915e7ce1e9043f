#include "book/deflate_engine.h"

#include "platform/ordered_work.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace lumira {

std::string_view DeflateEngineName(DeflateEngine engine)
{
    return engine == DeflateEngine::Zlib ? "zlib" : "libdeflate";
}

ArchiveCompression::ArchiveCompression(unsigned threads)
    : ArchiveCompression(kArchiveEngine, WorkerThreads(threads))
{
}

ArchiveCompression ArchiveCompression::Reference()
{
    return ArchiveCompression(DeflateEngine::Zlib, 1);
}

ArchiveCompression ArchiveCompression::Tightest()
{
    return ArchiveCompression(DeflateEngine::Libdeflate, 1, true);
}

RawDeflater& ArchiveCompression::ThreadDeflater(std::size_t feed) const
{
    // A few kinds at most (engine and feed): each thread keeps one compressor of each it used.
    struct Kept {
        DeflateEngine engine;
        std::size_t feed;
        bool tightest;
        std::unique_ptr<RawDeflater> deflater;
    };
    thread_local std::vector<Kept> kept;
    for (Kept& k : kept)
        if (k.engine == engine_ && k.feed == feed && k.tightest == tightest_) return *k.deflater;
    kept.push_back({engine_, feed, tightest_, std::make_unique<RawDeflater>(engine_, kArchiveLevel, feed, tightest_)});
    return *kept.back().deflater;
}

RawDeflater::RawDeflater(DeflateEngine engine, int level, std::size_t feed, bool tightest)
    : engine_(engine), level_(level), feed_(feed)
{
    if (engine_ == DeflateEngine::Libdeflate) {
        state_ = libdeflate_alloc_compressor(tightest ? 12 : LibdeflateLevelFor(level));
        if (!state_) throw std::bad_alloc();
    } else {
        // Window 2^15, memory level 8: what a streaming zip writer sets up.
        auto* z = new z_stream{};
        if (deflateInit2(z, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            delete z;
            throw std::bad_alloc();
        }
        state_ = z;
    }
}

RawDeflater::~RawDeflater()
{
    if (engine_ == DeflateEngine::Libdeflate) {
        libdeflate_free_compressor(static_cast<libdeflate_compressor*>(state_));
    } else {
        auto* z = static_cast<z_stream*>(state_);
        deflateEnd(z);
        delete z;
    }
}

bool RawDeflater::Compress(const void* data, std::size_t size, std::vector<char>& out)
{
    if (engine_ == DeflateEngine::Libdeflate) {
        auto* c = static_cast<libdeflate_compressor*>(state_);
        out.resize(libdeflate_deflate_compress_bound(c, size));
        const std::size_t n = libdeflate_deflate_compress(c, data, size, out.data(), out.size());
        if (n == 0) throw std::runtime_error("deflate failed");
        out.resize(n);
        return DeflateSeesText(data, size, level_, feed_);
    }
    // The input goes in as a streaming writer gives it, `feed_` bytes at a time, and the stream
    // is finished without more input: the same calls, so the same stream and the same judgement.
    auto* z = static_cast<z_stream*>(state_);
    if (deflateReset(z) != Z_OK) throw std::runtime_error("deflate failed");
    out.resize(deflateBound(z, static_cast<uLong>(size)) + 64);
    z->next_out = reinterpret_cast<Bytef*>(out.data());
    z->avail_out = static_cast<uInt>(out.size());
    const auto* bytes = static_cast<const Bytef*>(data);
    for (std::size_t at = 0; at < size; at += feed_) {
        z->next_in = const_cast<Bytef*>(bytes + at);
        z->avail_in = static_cast<uInt>(std::min(feed_, size - at));
        if (deflate(z, Z_NO_FLUSH) != Z_OK || z->avail_in != 0) throw std::runtime_error("deflate failed");
    }
    z->avail_in = 0;
    if (deflate(z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(z->total_out);
    return z->data_type == Z_TEXT;
}

namespace {

constexpr std::uint32_t kBlackBytes = 0xF3FFC07F;  // bit n: byte n < 32 makes a block binary

bool TextByte(unsigned char c)
{
    return c == 9 || c == 10 || c == 13 || c >= 32;
}

bool BlackByte(unsigned char c)
{
    return c < 32 && ((kBlackBytes >> c) & 1);
}

// Whether any of the 8 bytes is below 32 (exact as a yes or no; which byte is not told).
bool HasControlByte(std::uint64_t w)
{
    return ((w - 0x2020202020202020ULL) & ~w & 0x8080808080808080ULL) != 0;
}

// Whether the data holds a byte that makes zlib call a block binary. Text is mostly bytes of 32
// and above, so it is looked at 8 bytes at a time, byte by byte only where a control byte is.
bool HasBlackByte(const unsigned char* bytes, std::size_t size)
{
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, sizeof w);
        if (!HasControlByte(w)) continue;
        for (std::size_t j = i; j < i + 8; ++j)
            if (BlackByte(bytes[j])) return true;
    }
    for (; i < size; ++i)
        if (BlackByte(bytes[i])) return true;
    return false;
}

} // namespace

bool DeflateSeesText(const void* data, std::size_t size, int level, std::size_t feed)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size > 0 && TextByte(bytes[0]) && !HasBlackByte(bytes, size)) return true;
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    std::vector<unsigned char> sink(64 * 1024);
    std::size_t at = 0;
    bool finished = false;
    while (z.data_type == Z_UNKNOWN && !finished) {
        const std::size_t n = std::min(feed, size - at);
        z.next_in = const_cast<Bytef*>(bytes + at);
        z.avail_in = static_cast<uInt>(n);
        at += n;
        const int flush = at == size ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
            z.next_out = sink.data();
            z.avail_out = static_cast<uInt>(sink.size());
            rc = deflate(&z, flush);
        } while (z.data_type == Z_UNKNOWN && (z.avail_in > 0 || (flush == Z_FINISH && rc == Z_OK)));
        finished = flush == Z_FINISH;
    }
    const bool text = z.data_type == Z_TEXT;
    deflateEnd(&z);
    return text;
}

std::uint32_t Crc32Of(const void* data, std::size_t size, std::uint32_t crc)
{
    return libdeflate_crc32(crc, data, size);
}

} // namespace lumira
