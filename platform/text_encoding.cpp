#include "platform/text_encoding.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QStringDecoder>
#include <array>
#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct EncodingName {
    TextEncoding encoding;
    const char* display;
    const char* key;
    const char* qtName;  // for QStringDecoder; null where not decoded through Qt
};

constexpr EncodingName kNames[] = {
    {TextEncoding::Auto, "Авто", "auto", nullptr},
    {TextEncoding::Cp1251, "Windows-1251", "cp1251", "windows-1251"},
    {TextEncoding::Utf8, "UTF-8", "utf-8", "UTF-8"},
    {TextEncoding::Utf16, "UTF-16", "utf-16", "UTF-16"},
    {TextEncoding::Koi8r, "KOI8-R", "koi8-r", "KOI8-R"},
    {TextEncoding::Cp866, "CP866", "cp866", "IBM866"},
};

const EncodingName& NameOf(TextEncoding e)
{
    for (const auto& n : kNames)
        if (n.encoding == e) return n;
    return kNames[0];
}

// Relative frequency of the Russian lower-case letters а..я (per ten thousand letters), and ё.
constexpr int kLetterFrequency[32] = {
    801, 159, 454, 170, 298, 845, 94, 165, 735, 121, 349, 440, 321, 670, 1097, 281,
    473, 547, 626, 262, 26, 97, 48, 144, 73, 36, 4, 190, 174, 32, 64, 201,
};

// How much the non-ASCII characters of a decoded text look like Russian: common lower-case
// letters score most, capitals a little, anything else (box drawing, symbols) counts against.
long long RussianScore(const QString& text)
{
    long long score = 0;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) continue;
        if (u >= 0x0430 && u <= 0x044F) score += kLetterFrequency[u - 0x0430];
        else if (u == 0x0451) score += 4;
        else if (u >= 0x0410 && u <= 0x042F) score += kLetterFrequency[u - 0x0410] / 4;
        else if (u == 0x0401) score += 1;
        else score -= 300;
    }
    return score;
}

QString Decode(std::string_view bytes, TextEncoding e)
{
    QStringDecoder decoder(NameOf(e).qtName, QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The single-byte encoding whose reading of `head` looks most like Russian; cp1251 on a tie.
TextEncoding BestSingleByte(std::string_view head)
{
    TextEncoding best = TextEncoding::Cp1251;
    long long bestScore = RussianScore(Decode(head, TextEncoding::Cp1251));
    for (TextEncoding e : {TextEncoding::Koi8r, TextEncoding::Cp866}) {
        const long long score = RussianScore(Decode(head, e));
        if (score > bestScore) {
            best = e;
            bestScore = score;
        }
    }
    return best;
}

// Incremental UTF-8 check: strict (no overlong forms, no surrogates, nothing above U+10FFFF).
class Utf8Checker {
public:
    // Feeds bytes; returns the 1-based position of the first invalid byte seen so far, or 0.
    std::uint64_t Feed(std::string_view bytes)
    {
        for (unsigned char c : bytes) {
            ++position_;
            if (error_) continue;
            if (need_ == 0) {
                if (c < 0x80) continue;
                if (c >= 0xC2 && c <= 0xDF) { need_ = 1; min_ = 0x80; cp_ = c & 0x1F; }
                else if (c >= 0xE0 && c <= 0xEF) { need_ = 2; min_ = 0x800; cp_ = c & 0x0F; }
                else if (c >= 0xF0 && c <= 0xF4) { need_ = 3; min_ = 0x10000; cp_ = c & 0x07; }
                else error_ = position_;
                start_ = position_;
            } else {
                if ((c & 0xC0) != 0x80) { error_ = start_; continue; }
                cp_ = cp_ << 6 | (c & 0x3F);
                if (--need_ == 0) {
                    if (cp_ < min_ || cp_ > 0x10FFFF || (cp_ >= 0xD800 && cp_ <= 0xDFFF)) error_ = start_;
                    else sawMultibyte_ = true;
                }
            }
        }
        return error_;
    }
    // At the end of the text: an unfinished sequence is an error unless the text was cut off.
    std::uint64_t Finish(bool truncated) const
    {
        if (error_) return error_;
        return need_ != 0 && !truncated ? start_ : 0;
    }
    bool SawMultibyte() const { return sawMultibyte_; }

private:
    std::uint64_t position_ = 0;
    std::uint64_t error_ = 0;
    std::uint64_t start_ = 0;
    int need_ = 0;
    char32_t cp_ = 0;
    char32_t min_ = 0;
    bool sawMultibyte_ = false;
};

enum class Bom { None, Utf8, Utf16Le, Utf16Be };

Bom BomOf(std::string_view head)
{
    if (head.substr(0, 3) == "\xEF\xBB\xBF") return Bom::Utf8;
    if (head.substr(0, 2) == "\xFF\xFE") return Bom::Utf16Le;
    if (head.substr(0, 2) == "\xFE\xFF") return Bom::Utf16Be;
    return Bom::None;
}

[[noreturn]] void ThrowInvalid(TextEncoding e, std::uint64_t bytePosition)
{
    throw AppError(QStringLiteral("Текст не читается как %1: неверная последовательность байтов в позиции %2.")
                       .arg(EncodingDisplayName(e))
                       .arg(bytePosition)
                       .toStdString());
}

// Turns decoded text into cp1251, counting what cp1251 cannot hold, and keeping line and column.
class Cp1251Sink {
public:
    explicit Cp1251Sink(ConversionReport& report) : report_(report) {}

    void Append(const QString& text, std::string& out)
    {
        out.reserve(out.size() + static_cast<size_t>(text.size()));
        const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t u = p[i];
            if (pendingHigh_) {
                if (u >= 0xDC00 && u <= 0xDFFF) u = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (u - 0xDC00);
                pendingHigh_ = 0;
            } else if (u >= 0xD800 && u <= 0xDBFF) {
                if (i + 1 < n) {
                    const char32_t low = p[i + 1];
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                        ++i;
                    }
                } else {
                    pendingHigh_ = u;
                    continue;
                }
            }
            Put(u, out);
        }
    }

private:
    void Put(char32_t u, std::string& out)
    {
        ++column_;
        const int b = UnicodeToCp1251(u);
        if (b >= 0) {
            out += static_cast<char>(b);
        } else {
            out += '?';
            if (report_.replaced++ == 0) {
                report_.firstReplaced = u;
                report_.firstLine = line_;
                report_.firstColumn = column_;
            }
        }
        if (u == '\n' || (u == '\r')) {
            if (!(u == '\n' && lastWasCr_)) ++line_;
            column_ = 0;
        }
        lastWasCr_ = u == '\r';
    }

    ConversionReport& report_;
    std::uint64_t line_ = 1;
    std::uint64_t column_ = 0;
    bool lastWasCr_ = false;
    char32_t pendingHigh_ = 0;
};

// One streaming conversion in a known encoding (never Auto).
class Converter {
public:
    Converter(TextEncoding e, ConversionReport& report)
        : encoding_(e), sink_(report),
          decoder_(NameOf(e).qtName)
    {
        report.encoding = e;
    }

    // Converts the next piece of the text; the first piece may start with a byte-order mark.
    std::string Feed(std::string_view bytes)
    {
        std::string out;
        if (first_) {
            first_ = false;
            const Bom bom = BomOf(bytes);
            if (encoding_ == TextEncoding::Utf8 && bom == Bom::Utf8) {
                bytes.remove_prefix(3);
                offset_ = 3;
            }
            if (encoding_ == TextEncoding::Utf16) {
                // Without a mark the text is taken as little-endian.
                const bool big = bom == Bom::Utf16Be;
                decoder_ = QStringDecoder(big ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
                if (bom != Bom::None) {
                    bytes.remove_prefix(2);
                    offset_ = 2;
                }
            }
        }
        if (encoding_ == TextEncoding::Utf8) {
            if (const auto bad = checker_.Feed(bytes)) ThrowInvalid(encoding_, bad + offset_);
            sink_.Append(DecodeUtf8Whole(bytes), out);
            return out;
        }
        if (encoding_ == TextEncoding::Cp1251) {
            out.append(bytes);
            return out;
        }
        const QString text = decoder_.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (encoding_ == TextEncoding::Utf16 && decoder_.hasError()) ThrowInvalid(encoding_, consumed_ + 1 + offset_);
        consumed_ += bytes.size();
        sink_.Append(text, out);
        return out;
    }

    // The end of the text: whatever is still pending.
    // The end of the text: a sequence left unfinished is an error unless the text was cut off.
    void Finish(bool truncated)
    {
        if (encoding_ == TextEncoding::Utf8) {
            if (const auto bad = checker_.Finish(truncated)) ThrowInvalid(encoding_, bad + offset_);
        }
        if (encoding_ == TextEncoding::Utf16 && !truncated && consumed_ % 2 != 0) ThrowInvalid(encoding_, consumed_ + offset_);
    }

private:
    // Decodes the complete sequences of a piece; a sequence cut at the piece's end waits for the
    // next piece.
    QString DecodeUtf8Whole(std::string_view bytes)
    {
        std::string joined;
        if (!carry_.empty()) {
            joined = carry_ + std::string(bytes);
            carry_.clear();
            bytes = joined;
        }
        size_t keep = 0;
        for (size_t i = bytes.size(); i > 0 && i + 4 > bytes.size(); --i) {
            const auto c = static_cast<unsigned char>(bytes[i - 1]);
            if ((c & 0xC0) == 0x80) continue;
            if (c >= 0xC0) {
                const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                if (bytes.size() - (i - 1) < len) keep = bytes.size() - (i - 1);
            }
            break;
        }
        carry_ = std::string(bytes.substr(bytes.size() - keep));
        const std::string_view now = bytes.substr(0, bytes.size() - keep);
        return QString::fromUtf8(now.data(), static_cast<qsizetype>(now.size()));
    }

    TextEncoding encoding_;
    Cp1251Sink sink_;
    QStringDecoder decoder_;
    Utf8Checker checker_;
    std::string carry_;
    std::uint64_t consumed_ = 0;
    std::uint64_t offset_ = 0;
    bool first_ = true;
};

std::string ReadHead(const fs::path& file, bool& truncated)
{
    InFile in(file);
    std::string head(kDetectionLimit, '\0');
    head.resize(in.Read(head.data(), head.size()));
    truncated = head.size() == kDetectionLimit && in.Size() > kDetectionLimit;
    return head;
}

} // namespace

QString EncodingDisplayName(TextEncoding encoding)
{
    return QString::fromUtf8(NameOf(encoding).display);
}

const char* EncodingKey(TextEncoding encoding)
{
    return NameOf(encoding).key;
}

std::optional<TextEncoding> EncodingFromKey(std::string_view key)
{
    const QString wanted = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())).trimmed();
    for (const auto& n : kNames)
        if (wanted.compare(QLatin1String(n.key), Qt::CaseInsensitive) == 0) return n.encoding;
    if (wanted.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0) return TextEncoding::Utf8;
    if (wanted.compare(QLatin1String("windows-1251"), Qt::CaseInsensitive) == 0) return TextEncoding::Cp1251;
    return std::nullopt;
}

const std::array<TextEncoding, 6>& AllEncodings()
{
    static const std::array<TextEncoding, 6> all = {TextEncoding::Auto, TextEncoding::Cp1251, TextEncoding::Utf8,
                                                    TextEncoding::Utf16, TextEncoding::Koi8r, TextEncoding::Cp866};
    return all;
}

TextEncoding DetectEncoding(std::string_view head, bool truncated)
{
    switch (BomOf(head)) {
    case Bom::Utf8: return TextEncoding::Utf8;
    case Bom::Utf16Le:
    case Bom::Utf16Be: return TextEncoding::Utf16;
    case Bom::None: break;
    }
    Utf8Checker checker;
    if (checker.Feed(head) == 0 && checker.Finish(truncated) == 0)
        return checker.SawMultibyte() ? TextEncoding::Utf8 : TextEncoding::Cp1251;
    return BestSingleByte(head);
}

TextEncoding DetectFileEncoding(const fs::path& file)
{
    bool truncated = false;
    const std::string head = ReadHead(file, truncated);
    return DetectEncoding(head, truncated);
}

TextEncoding ResolveEncoding(const fs::path& file, TextEncoding chosen)
{
    return chosen == TextEncoding::Auto ? DetectFileEncoding(file) : chosen;
}

QString ConversionReport::Summary() const
{
    if (replaced == 0) return {};
    return QStringLiteral("Символов, которых нет в кодировке Windows-1251, заменено на «?»: %1 (первый — «%2», строка %3, позиция %4).")
        .arg(replaced)
        .arg(QString::fromUcs4(&firstReplaced, 1))
        .arg(firstLine)
        .arg(firstColumn);
}

std::string ConvertBytesToCp1251(std::string_view bytes, TextEncoding encoding, bool truncated, ConversionReport* report)
{
    ConversionReport local;
    ConversionReport& r = report ? *report : local;
    const bool automatic = encoding == TextEncoding::Auto;
    if (automatic) encoding = DetectEncoding(bytes.substr(0, kDetectionLimit), truncated || bytes.size() > kDetectionLimit);
    auto convert = [&](TextEncoding e) {
        r = ConversionReport{};
        Converter converter(e, r);
        std::string out = converter.Feed(bytes);
        converter.Finish(truncated);
        r.bytesWritten = out.size();
        return out;
    };
    if (!automatic || encoding != TextEncoding::Utf8) return convert(encoding);
    try {
        return convert(encoding);
    } catch (const AppError&) {
        // As for a file: taken for UTF-8 by its beginning but broken further on.
        return convert(BestSingleByte(bytes.substr(0, kDetectionLimit)));
    }
}

ConversionReport ConvertFileToCp1251(const fs::path& source, TextEncoding encoding, const fs::path& target)
{
    const bool automatic = encoding == TextEncoding::Auto;
    if (automatic) encoding = DetectFileEncoding(source);
    auto convert = [&](TextEncoding e) {
        ConversionReport report;
        try {
            InFile in(source);
            OutFile out(target);
            Converter converter(e, report);
            std::string buffer(64 * 1024, '\0');
            for (;;) {
                const size_t n = in.Read(buffer.data(), buffer.size());
                if (n == 0) break;
                const std::string piece = converter.Feed(std::string_view(buffer.data(), n));
                out.Write(piece);
                report.bytesWritten += piece.size();
            }
            converter.Finish(false);
            out.Close();
        } catch (...) {
            std::error_code ec;
            fs::remove(target, ec);
            throw;
        }
        return report;
    };
    if (!automatic || encoding != TextEncoding::Utf8) return convert(encoding);
    try {
        return convert(encoding);
    } catch (const AppError&) {
        // Taken for UTF-8 by its beginning but broken further on: read it as single-byte text.
        bool truncated = false;
        return convert(BestSingleByte(ReadHead(source, truncated)));
    }
}
