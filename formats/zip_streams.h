#pragma once
// minizip's file access through the program's own file layer: archives are named by a
// std::filesystem::path (passed to minizip as a pointer to it), so any name the system takes,
// in any encoding, opens; reads go through a 64 KiB stdio buffer, and a new archive is written
// through a 1 MiB buffer of its own in which minizip's returns to a header cost nothing. An archive to read
// may instead be a file the program already holds open.
#include <minizip/ioapi.h>

namespace lumira {

// The callbacks for zipOpen2_64 and unzOpen2_64; the "file name" given there must point to a
// std::filesystem::path that outlives the open archive.
zlib_filefunc64_def PathStreams();

// The same callbacks reading an archive already open: the "file name" given to unzOpen2_64 must
// point to a TextFile (platform/files.h) that outlives the open archive. Each open of it reads
// from its own position, so several archives can read one file at once; writing is refused.
zlib_filefunc64_def OpenFileStreams();

} // namespace lumira
