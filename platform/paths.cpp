#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>

std::filesystem::path ToFsPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(path.toStdString());
#endif
}

QString FromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QString::fromStdString(path.native());
#endif
}

QString FolderText(const std::filesystem::path& folder)
{
    QString dir = QDir::toNativeSeparators(FromFsPath(folder));
    if (!dir.isEmpty() && !dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

QString ExecutableDir()
{
    QString dir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

static qsizetype LastSeparator(const QString& path, bool colonToo)
{
    qsizetype at = path.lastIndexOf(QDir::separator());
#ifdef _WIN32
    at = std::max(at, path.lastIndexOf(QLatin1Char('/')));
#endif
    if (colonToo) at = std::max(at, path.lastIndexOf(QLatin1Char(':')));
    return at;
}

QString FolderPart(const QString& path)
{
    const qsizetype at = LastSeparator(path, false);
    return at < 0 ? QString() : path.left(at + 1);
}

QString FileNamePart(const QString& path)
{
#ifdef _WIN32
    const qsizetype at = LastSeparator(path, true);
#else
    // A colon is an ordinary file-name character here.
    const qsizetype at = LastSeparator(path, false);
#endif
    return path.mid(at + 1);
}
