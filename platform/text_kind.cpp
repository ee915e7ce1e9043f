#include "platform/text_kind.h"

#include "platform/errors.h"
#include "platform/language.h"
#include "platform/text_encoding.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace lumira {

namespace {

struct Signature {
    size_t offset;
    std::string_view bytes;
    const char* kind;
};

// Beginnings that only files of these kinds have. A ZIP archive is not here: one that holds a
// book is read as that book, and one that holds none is refused by the book reader.
constexpr Signature kSignatures[] = {
    {0, "%PDF-", QT_TRANSLATE_NOOP("TextKind", "документ PDF")},
    {60, "BOOKMOBI", QT_TRANSLATE_NOOP("TextKind", "книга MOBI")},
    {60, "TEXtREAd", QT_TRANSLATE_NOOP("TextKind", "книга Palm (PDB)")},
    {60, "PNRdPPrs", QT_TRANSLATE_NOOP("TextKind", "книга Palm (PDB)")},
    {60, "DataPlkr", QT_TRANSLATE_NOOP("TextKind", "книга Palm (PDB)")},
    {0, "AT&TFORM", QT_TRANSLATE_NOOP("TextKind", "документ DjVu")},
    {0, "ITSF", QT_TRANSLATE_NOOP("TextKind", "справка CHM")},
    {0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", QT_TRANSLATE_NOOP("TextKind", "документ Microsoft Office")},
    {0, "\x89PNG\r\n\x1A\n", QT_TRANSLATE_NOOP("TextKind", "изображение PNG")},
    {0, "\xFF\xD8\xFF", QT_TRANSLATE_NOOP("TextKind", "изображение JPEG")},
    {0, "GIF87a", QT_TRANSLATE_NOOP("TextKind", "изображение GIF")},
    {0, "GIF89a", QT_TRANSLATE_NOOP("TextKind", "изображение GIF")},
    {0, std::string_view("II*\0", 4), QT_TRANSLATE_NOOP("TextKind", "изображение TIFF")},
    {0, std::string_view("MM\0*", 4), QT_TRANSLATE_NOOP("TextKind", "изображение TIFF")},
    {0, "Rar!\x1A\x07", QT_TRANSLATE_NOOP("TextKind", "архив RAR")},
    {0, "7z\xBC\xAF\x27\x1C", QT_TRANSLATE_NOOP("TextKind", "архив 7-Zip")},
    {0, "\x1F\x8B", QT_TRANSLATE_NOOP("TextKind", "сжатый файл gzip")},
    {0, std::string_view("\xFD" "7zXZ\0", 6), QT_TRANSLATE_NOOP("TextKind", "сжатый файл xz")},
    {0, "\x28\xB5\x2F\xFD", QT_TRANSLATE_NOOP("TextKind", "сжатый файл zstd")},
    {0, "\x7F" "ELF", QT_TRANSLATE_NOOP("TextKind", "программа")},
};

// A RIFF file of this form type (at offset 8).
constexpr std::string_view kWebP = "WEBP";
// bzip2: "BZh", the block size digit, then the block's magic number.
constexpr std::string_view kBzip2Block = "1AY&SY";

// Control characters that texts carry: tab, line feed, vertical tab, form feed, carriage
// return, the end-of-file mark of old systems and the escape of terminal colours. Zero is
// judged apart: a stray one is damage, not a sign of binary data.
bool TextControl(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x1B;
}

bool BinaryControl(char32_t c)
{
    return c != 0 && ((c < 0x20 && !TextControl(c)) || c == 0x7F);
}

// Beyond this share of the characters other than zero (one in twenty), binary controls mark
// binary data: random bytes have one in ten, texts next to none.
constexpr size_t kControlShareDivisor = 20;
constexpr size_t kFewestTellingControls = 4;

std::optional<QString> Kind(const char* kind)
{
    return QCoreApplication::translate("TextKind", kind);
}

} // namespace

std::optional<QString> NotTextKind(std::string_view head)
{
    for (const Signature& s : kSignatures)
        if (head.size() >= s.offset + s.bytes.size() && head.substr(s.offset, s.bytes.size()) == s.bytes) return Kind(s.kind);
    if (head.starts_with("RIFF") && head.substr(8, 4) == kWebP) return Kind(QT_TRANSLATE_NOOP("TextKind", "изображение WebP"));
    if (head.starts_with("BZh") && head.size() >= 10 && head[3] >= '1' && head[3] <= '9' && head.substr(4, 6) == kBzip2Block)
        return Kind(QT_TRANSLATE_NOOP("TextKind", "сжатый файл bzip2"));

    size_t characters = 0, zeros = 0, controls = 0;
    const auto count = [&](char32_t c) {
        ++characters;
        zeros += c == 0;
        controls += BinaryControl(c);
    };
    std::optional<ByteOrder> order;
    if (head.starts_with("\xFF\xFE")) order = ByteOrder::Little;
    else if (head.starts_with("\xFE\xFF")) order = ByteOrder::Big;
    else order = Utf16OrderWithoutMark(head);
    if (order) {
        QStringDecoder decoder(*order == ByteOrder::Big ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        for (const QChar c : QString(decoder.decode(QByteArrayView(head.data(), static_cast<qsizetype>(head.size())))))
            count(c.unicode());
    } else {
        for (const char c : head) count(static_cast<unsigned char>(c));
    }
    // Nothing but zero bytes (a file never written, or wiped) holds no text.
    if (characters > 0 && zeros == characters) return Kind(QT_TRANSLATE_NOOP("TextKind", "одни нулевые байты"));
    if (controls >= kFewestTellingControls && controls * kControlShareDivisor > characters - zeros)
        return Kind(QT_TRANSLATE_NOOP("TextKind", "двоичные данные"));
    return std::nullopt;
}

void RefuseNonText(const TextFile& file)
{
    InFile in(file);
    std::string head(kDetectionLimit, '\0');
    head.resize(in.Read(head.data(), head.size()));
    if (const std::optional<QString> kind = NotTextKind(head))
        throw AppError(QCoreApplication::translate("TextKind", "Файл %1 — не текст (%2): книгу из него не сделать.")
                           .arg(QString::fromStdString(PathText(file.Path())), *kind)
                           .toStdString());
}

} // namespace lumira
