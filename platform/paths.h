#pragma once
// Paths between Qt (QString) and the plain C++ code (std::filesystem::path).
#include <QString>
#include <filesystem>

std::filesystem::path ToFsPath(const QString& path);
QString FromFsPath(const std::filesystem::path& path);

// The folder of the running executable, ending in the native separator.
QString ExecutableDir();

// The folder part of a path: up to and including its last separator ("" when it has none).
QString FolderPart(const QString& path);
// What follows the last separator (or colon) of a path.
QString FileNamePart(const QString& path);
