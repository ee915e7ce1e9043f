#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// A byte that is not part of valid UTF-8 travels in a QString as the unpaired code 0xDC00 + byte.
constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < kEscapeBase + 0x80 || c > kEscapeBase + 0xFF) return false;
    return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
}

// Length of the valid UTF-8 sequence at `i`, or 0.
size_t Utf8SequenceAt(std::string_view bytes, size_t i)
{
    const auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = b(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) length = 3, low = 0xA0;
    else if (lead >= 0xE1 && lead <= 0xEC) length = 3;
    else if (lead == 0xED) length = 3, high = 0x9F;  // no surrogates
    else if (lead >= 0xEE && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) length = 4, low = 0x90;
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else if (lead == 0xF4) length = 4, high = 0x8F;  // nothing above U+10FFFF
    else return 0;
    if (i + length > bytes.size()) return 0;
    if (b(i + 1) < low || b(i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return length;
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
        const size_t length = i < bytes.size() ? Utf8SequenceAt(bytes, i) : 0;
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
