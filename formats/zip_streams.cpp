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

std::FILE* AsFile(voidpf stream)
{
    return static_cast<std::FILE*>(stream);
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
    std::FILE* f = OpenFileStream(path, how);
    if (f) std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    return f;
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
    return static_cast<uLong>(std::fread(buf, 1, size, AsFile(stream)));
}

uLong ZCALLBACK WriteStream(voidpf opaque, voidpf stream, const void* buf, uLong size)
{
    if (OverOpenFile(opaque)) return 0;
    return static_cast<uLong>(std::fwrite(buf, 1, size, AsFile(stream)));
}

ZPOS64_T ZCALLBACK TellStream(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) return AsOpen(stream)->position;
#ifdef _WIN32
    const auto pos = _ftelli64(static_cast<std::FILE*>(stream));
#else
    const auto pos = ftello(static_cast<std::FILE*>(stream));
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
    int whence = SEEK_SET;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) whence = SEEK_CUR;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) whence = SEEK_END;
    else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
#ifdef _WIN32
    return _fseeki64(static_cast<std::FILE*>(stream), static_cast<__int64>(offset), whence) == 0 ? 0 : -1;
#else
    return fseeko(static_cast<std::FILE*>(stream), static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
#endif
}

int ZCALLBACK CloseStream(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) {
        delete AsOpen(stream);
        return 0;
    }
    return std::fclose(AsFile(stream)) == 0 ? 0 : EOF;
}

int ZCALLBACK StreamError(voidpf opaque, voidpf stream)
{
    if (OverOpenFile(opaque)) return AsOpen(stream)->failed ? 1 : 0;
    return std::ferror(AsFile(stream));
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
