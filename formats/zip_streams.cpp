#include "formats/zip_streams.h"

#include "platform/files.h"

#include <cstdio>
#include <filesystem>

namespace lumira {

namespace fs = std::filesystem;

namespace {

voidpf ZCALLBACK OpenPath(voidpf, const void* filename, int mode)
{
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

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buf, uLong size)
{
    return static_cast<uLong>(std::fread(buf, 1, size, static_cast<std::FILE*>(stream)));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buf, uLong size)
{
    return static_cast<uLong>(std::fwrite(buf, 1, size, static_cast<std::FILE*>(stream)));
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream)
{
#ifdef _WIN32
    const auto pos = _ftelli64(static_cast<std::FILE*>(stream));
#else
    const auto pos = ftello(static_cast<std::FILE*>(stream));
#endif
    return pos < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(pos);
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
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

int ZCALLBACK CloseStream(voidpf, voidpf stream)
{
    return std::fclose(static_cast<std::FILE*>(stream)) == 0 ? 0 : EOF;
}

int ZCALLBACK StreamError(voidpf, voidpf stream)
{
    return std::ferror(static_cast<std::FILE*>(stream));
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

} // namespace lumira
