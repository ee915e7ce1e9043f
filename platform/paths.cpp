#include "platform/paths.h"

#include "platform/utf8.h"

#include <QCoreApplication>
#include <QDir>

namespace lumira {

namespace {

// A byte that is not part of valid UTF-8 travels in a QString as the unpaired code 0xDC00 + byte.
constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < kEscapeBase + 0x80 || c > kEscapeBase + 0xFF) return false;
    return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
}

} // namespace

std::filesystem::path ToFsPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    // Escaped bytes (FromNativeName) become the bytes they stand for again.
    std::string bytes;
    bytes.reserve(static_cast<size_t>(path.size()));
    qsizetype run = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsEscapedByte(path, i)) continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8().toStdString();
        if (i < path.size()) bytes += static_cast<char>(path[i].unicode() - kEscapeBase);
        run = i + 1;
    }
    return std::filesystem::path(bytes);
#endif
}

QString FromNativeName(std::string_view bytes)
{
    QString text;
    size_t run = 0;
    for (size_t i = 0; i <= bytes.size();) {
        const size_t length = i < bytes.size() ? Utf8SequenceLength(bytes, i) : 0;
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(i - run));
        if (i == bytes.size()) break;
        text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    return text;
}

QString FromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return FromNativeName(path.native());
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

} // namespace lumira
