#pragma once
// Paths between Qt (QString) and the plain C++ code (std::filesystem::path).
#include <QString>
#include <filesystem>
#include <string_view>

namespace lumira {

// A file name is read as what it is: on systems whose names are bytes, a byte that is not part of
// valid UTF-8 is kept in the QString as the unpaired code 0xDC00 + byte (FromNativeName), and
// ToFsPath turns it back into that byte, so such a name still opens the file it names.
std::filesystem::path ToFsPath(const QString& path);
QString FromFsPath(const std::filesystem::path& path);
QString FromNativeName(std::string_view bytes);

// A folder as the windows hold it: native separators, ending in the separator.
QString FolderText(const std::filesystem::path& folder);

// The folder of the running executable, ending in the native separator.
QString ExecutableDir();

// The folder part of a path: up to and including its last separator ("" when it has none).
QString FolderPart(const QString& path);
// What follows the last separator (or colon) of a path.
QString FileNamePart(const QString& path);

} // namespace lumira
