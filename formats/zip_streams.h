#pragma once
// minizip's file access through the program's own file layer: archives are named by a
// std::filesystem::path (passed to minizip as a pointer to it), so any name the system takes,
// in any encoding, opens; reads and writes go through a 64 KiB stdio buffer.
#include <minizip/ioapi.h>

namespace lumira {

// The callbacks for zipOpen2_64 and unzOpen2_64; the "file name" given there must point to a
// std::filesystem::path that outlives the open archive.
zlib_filefunc64_def PathStreams();

} // namespace lumira
