#include "book/deflate_engine.h"

#include <libdeflate.h>
#include <zlib.h>

#include <new>
#include <stdexcept>

std::string_view DeflateEngineName(DeflateEngine engine)
{
    return engine == DeflateEngine::Zlib ? "zlib" : "libdeflate";
}

RawDeflater::RawDeflater(DeflateEngine engine, int level) : engine_(engine), level_(level)
{
    if (engine_ == DeflateEngine::Libdeflate) {
        state_ = libdeflate_alloc_compressor(level);
        if (!state_) throw std::bad_alloc();
    }
}

RawDeflater::~RawDeflater()
{
    if (state_) libdeflate_free_compressor(static_cast<libdeflate_compressor*>(state_));
}

void RawDeflater::Compress(const void* data, std::size_t size, std::vector<char>& out)
{
    if (engine_ == DeflateEngine::Libdeflate) {
        auto* c = static_cast<libdeflate_compressor*>(state_);
        out.resize(libdeflate_deflate_compress_bound(c, size));
        const std::size_t n = libdeflate_deflate_compress(c, data, size, out.data(), out.size());
        if (n == 0) throw std::runtime_error("deflate failed");
        out.resize(n);
        return;
    }
    // The same stream as a zlib deflate of the whole buffer: window 2^15, memory level 8.
    z_stream z{};
    if (deflateInit2(&z, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    out.resize(deflateBound(&z, static_cast<uLong>(size)));
    z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    const std::size_t n = z.total_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(n);
}

std::uint32_t Crc32Of(const void* data, std::size_t size, std::uint32_t crc)
{
    return libdeflate_crc32(crc, data, size);
}
