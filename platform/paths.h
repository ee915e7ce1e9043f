#pragma once
// Paths between Qt (QString) and the plain C++ code (std::filesystem::path).
#include <QString>
#include <filesystem>

std::filesystem::path ToFsPath(const QString& path);
QString FromFsPath(const std::filesystem::path& path);

// A folder as the windows hold it: native separators, ending in the separator.
QString FolderText(const std::filesystem::path& folder);

// The folder of the running executable, ending in the native separator.
QString ExecutableDir();

// The folder part of a path: up to and including its last separator ("" when it has none).
QString FolderPart(const QString& path);
// What follows the last separator (or colon) of a path.
QString FileNamePart(const QString& path);
