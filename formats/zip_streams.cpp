#include "formats/zip_streams.h"

#include "platform/files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>
#include <filesystem>
#include <new>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// The `opaque` of OpenFileStreams: its streams are OpenStream objects, not stdio files.
char openFileMark;

bool OverOpenFile(voidpf opaque)
{
    return opaque == &openFileMark;
}

// A reader of a file already open, with a position of its own. minizip reads the archive's
// headers a few bytes at a time: those come from a window of the file held in memory.
struct OpenStream {
    static constexpr size_t kWindow = 1 << 16;

    TextFile file;
    std::uint64_t position = 0;
    bool failed = false;
    std::vector<char> window;
    std::uint64_t windowAt = 0;

    size_t Read(void* buffer, size_t count)
    {
        char* out = static_cast<char*>(buffer);
        if (position >= windowAt && position - windowAt <= window.size() && count <= window.size() - (position - windowAt)) {
            std::memcpy(out, window.data() + (position - windowAt), count);
            position += count;
            return count;
        }
        if (count >= kWindow) {
            const size_t n = file.ReadAt(position, out, count);
            position += n;
            return n;
        }
        window.resize(kWindow);
        window.resize(file.ReadAt(position, window.data(), kWindow));
        windowAt = position;
        const size_t n = std::min(count, window.size());
        std::memcpy(out, window.data(), n);
        position += n;
        return n;
    }
};

OpenStream* AsOpen(voidpf stream)
{
    return static_cast<OpenStream*>(stream);
}

// A file opened by name. An archive being written goes through a buffer of its own rather than
// stdio's: minizip goes back to each entry's header once the entry is written, to fill in its
// sizes and CRC, and stdio would write its buffer out at every such move, two small writes and
// seeks an entry. The header lies within the buffer as a rule, so it is filled in there.
struct PathStream {
    static constexpr std::size_t kBuffer = 1 << 20;

    std::FILE* file = nullptr;
    bool writing = false;
    bool failed = false;
    std::vector<char> held;       // bytes from `heldAt` on, not yet written to the file
    std::uint64_t heldAt = 0;
    std::uint64_t position = 0;   // where the next write goes
    std::uint64_t end = 0;        // the file's size as written so far

    bool Flush()
    {
        if (held.empty() || failed) return !failed;
        if (!SeekFileStream(file, static_cast<std::int64_t>(heldAt)) || std::fwrite(held.data(), 1, held.size(), file) != held.size())
            failed = true;
        heldAt += held.size();
        held.clear();
        return !failed;
    }

    std::size_t Write(const void* data, std::size_t size)
    {
        if (failed) return 0;
        // Held bytes cover [heldAt, heldAt + held.size()); the write must start within or just after
        // them and fit in the buffer, or they go out first.
        if (position < heldAt || position > heldAt + held.size() || position - heldAt + size > kBuffer) {
            if (!Flush()) return 0;
            heldAt = position;
        }
        if (size > kBuffer) {
            if (!SeekFileStream(file, static_cast<std::int64_t>(position)) || std::fwrite(data, 1, size, file) != size) {
                failed = true;
                return 0;
            }
            heldAt = position + size;
        } else {
            const std::size_t at = static_cast<std::size_t>(position - heldAt);
            if (held.capacity() < kBuffer) held.reserve(kBuffer);
            if (at + size > held.size()) held.resize(at + size);
            std::memcpy(held.data() + at, data, size);
        }
        position += size;
        end = std::max(end, position);
        return size;
    }
};

PathStream* AsPath(voidpf stream)
{
    return static_cast<PathStream*>(stream);
}

std::FILE* AsFile(voidpf stream)
{
    return AsPath(stream)->file;
}

voidpf ZCALLBACK OpenPath(voidpf opaque, const void* filename, int mode)
{
    if (OverOpenFile(opaque)) {
        if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
        auto* stream = new (std::nothrow) OpenStream;  // minizip is C: nothing may be thrown through it
        if (!stream) return nullptr;
        stream->file = *static_cast<const TextFile*>(filename);
        return stream;
    }
    const auto& path = *static_cast<const fs::path*>(filename);
    const char* how = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
        how = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
        how = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
        how = "wb";
    if (!how) return nullptr;
    auto* stream = new (std::nothrow) PathStream;
    if (!stream) return nullptr;
    stream->file = OpenFileStream(path, how);
    if (!stream->file) {
        delete stream;
        return nullptr;
    }
    // A new archive is written through the stream's own buffer; anything else through stdio's.
    stream->writing = std::strcmp(how, "wb") == 0;
    std::setvbuf(stream->file, nullptr, stream->writing ? _IONBF : _IOFBF, stream->writing ? 0 : 1 << 16);
    return stream;
}

uLong ZCALLBACK ReadStream(voidpf opaque, voidpf stream, void* buf, uLong size)
{
    if (OverOpenFile(opaque)) {
        OpenStream& in = *AsOpen(stream);
        try {
            return static_cast<uLong>(in.Read(buf, size));
        } catch (...) {
            in.failed = true;
            return 0;
        }
    }
    if (AsPath(stream)->writing) return 0;
    return static_cast<uLong>(std::fread(buf, 1, size, AsFile(stream)));
}

uLong ZCALLBACK WriteStream(voidpf opaque, voidpf stream, const void* buf, uLong size)
{
    if (OverOpenFile(opaque)) return 0;
    PathStream& out = *AsPath(stream);
    if (out.writing) return static_cast<uLong>(out.Write(buf, size));
    return static_cast<uLong>(std::fwrite(buf, 1, size, out.file));
}

ZPOS64_T ZCALLBACK TellStream(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) return AsOpen(stream)->position;
    if (AsPath(stream)->writing) return AsPath(stream)->position;
#ifdef _WIN32
    const auto pos = _ftelli64(AsFile(stream));
#else
    const auto pos = ftello(AsFile(stream));
#endif
    return pos < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(pos);
}

long ZCALLBACK SeekStream(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin)
{
    if (OverOpenFile(opaque)) {
        OpenStream& in = *AsOpen(stream);
        std::uint64_t base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = in.position;
        else if (origin == ZLIB_FILEFUNC_SEEK_END) base = in.file.Size();
        else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
        in.position = base + offset;
        return 0;
    }
    if (AsPath(stream)->writing) {
        PathStream& out = *AsPath(stream);
        std::uint64_t base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = out.position;
        else if (origin == ZLIB_FILEFUNC_SEEK_END) base = out.end;
        else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
        out.position = base + offset;
        return 0;
    }
    int whence = SEEK_SET;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) whence = SEEK_CUR;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) whence = SEEK_END;
    else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
    return SeekFileStream(AsFile(stream), static_cast<std::int64_t>(offset), whence) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) {
        delete AsOpen(stream);
        return 0;
    }
    PathStream* path = AsPath(stream);
    bool ok = !path->writing || path->Flush();
    ok = std::fclose(path->file) == 0 && ok;
    delete path;
    return ok ? 0 : EOF;
}

int ZCALLBACK StreamError(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) return AsOpen(stream)->failed ? 1 : 0;
    return AsPath(stream)->failed || std::ferror(AsFile(stream)) ? 1 : 0;
}

} // namespace

zlib_filefunc64_def PathStreams()
{
    zlib_filefunc64_def def{};
    def.zopen64_file = OpenPath;
    def.zread_file = ReadStream;
    def.zwrite_file = WriteStream;
    def.ztell64_file = TellStream;
    def.zseek64_file = SeekStream;
    def.zclose_file = CloseStream;
    def.zerror_file = StreamError;
    def.opaque = nullptr;
    return def;
}

zlib_filefunc64_def OpenFileStreams()
{
    zlib_filefunc64_def def = PathStreams();
    def.opaque = &openFileMark;
    return def;
}

} // namespace lumira
