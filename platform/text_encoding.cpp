#include "platform/text_encoding.h"

#include "platform/cp1251.h"
#include "platform/cp1251_fallback.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct EncodingName {
    TextEncoding encoding;
    const char* display;
    const char* key;
    const char* qtName;  // for QStringDecoder; null where not decoded through Qt
};

constexpr EncodingName kNames[] = {
    {TextEncoding::Auto, QT_TRANSLATE_NOOP("TextEncoding", "Авто"), "auto", nullptr},
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

// How unlikely one letter is to follow another in Russian text, in bits (0 = always, 15 = next to
// never), from letter-pair counts over a large body of Russian prose and interface text. Rows and
// columns: а..я, ё, then "no letter" (a blank, punctuation, digits, Latin letters). Capitals are
// folded to small letters first, so that a text in capitals scores as the same text in small
// letters would.
constexpr int kLetterSymbols = 34;
constexpr int kNoLetter = 33;
constexpr const char* kPairCost[kLetterSymbols] = {
    "b6565564945453c54538976588fffe7592",
    "3abc84da4f43b53b37b4c66cd553bcd8a6",
    "2f7c93fb4f5475385675f7ff99f3aee8a3",
    "498664ee3ea5642c38a4dadaeeebebcdc4",
    "2d6952794f63853656a5d9a99ff6bdb985",
    "9856576776544376343aa97787fffdbab2",
    "47cc32ee2e6c928ac8c6eeeebeeebcee87",
    "284c46bb5f78343d68d4ff9bffe5bfd5d4",
    "7556649555554486544c67667affff64c3",
    "cbab58fbaf72877b944dcda89ffcffcaf1",
    "2b8dd59b3fa4b72c5545eb5ebffdd9cee4",
    "37c9b36e3f78b53cf8b6bdf7fff63d5384",
    "375cc2ff4f995636e8e6dddecff4dcd493",
    "3da852e92f7cd43ee6567a99bff38f9695",
    "b435455575434575444ba9866afffbe8f3",
    "3fdff3fe4f86d8272884ec8ecff7aeb8f6",
    "2a66925b4f7a65397664a7bb7df5add7b4",
    "577a948f4f4477447525b7a88fd64ec4b4",
    "3a5ea3fb3f58953934b6bcf8fff63dcac3",
    "76763456a64545a4534c79b585fff94af3",
    "1eeae5ee3cc59a3d59746ceeeeeb9dede8",
    "5a6dc5dd4dca962c4797aaddcddcb9dcd1",
    "4b6bc2db1d6cdc67d9c6dbbdddd4ddcdd4",
    "3eded2ae2e58b37cba48eceb9eee8eee55",
    "3c8dd2dd1d46a46c6777dddcdddc8ddb65",
    "3dddd1dd2dddd9ddddd6dddddddd5ddd58",
    "aaaaa0aaaaaaaaaaaaaaaaaaaaaaaaa45a",
    "f64963a7f2654af5574ff3d77cfffdfbf2",
    "fabab9f3bf5f93acd56fbf8b6dffff68b1",
    "cb878cc9a73265c7661969ac5cccccccc7",
    "c7db8d7abb9a98ca783dcdc2d2dddb8dd1",
    "eb6b75b6fab966ea784ce78ae8fffc67f0",
    "bb897b88b98651bb462bb7bbbbbbbbbbb3",
    "654747954c476343535558868dfcf7b8f3",
};

int PairCost(int previous, int next)
{
    const char c = kPairCost[previous][next];
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

// The symbol of a Russian letter (either case), or kNoLetter.
int LetterSymbol(char16_t u)
{
    if (u >= 0x0430 && u <= 0x044F) return u - 0x0430;
    if (u >= 0x0410 && u <= 0x042F) return u - 0x0410;
    if (u == 0x0451 || u == 0x0401) return 32;
    return kNoLetter;
}

// Punctuation that Russian texts use beyond ASCII: quotes, dashes, the ellipsis, the number
// sign, the no-break space, the bullet.
bool TypographicMark(char16_t u)
{
    switch (u) {
    case 0x00AB: case 0x00BB: case 0x2014: case 0x2013: case 0x2026: case 0x2116: case 0x201E:
    case 0x201C: case 0x201D: case 0x2018: case 0x2019: case 0x00A0: case 0x2022:
        return true;
    default:
        return false;
    }
}

// How much a decoded text looks like Russian, in bits (higher is likelier): the cost of each
// letter after the one before it, whatever their case; typographic marks cost a little, any
// other character beyond ASCII (box drawing, symbols, letters of other alphabets) a lot.
long long RussianScore(const QString& text)
{
    long long cost = 0;
    int previous = kNoLetter;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        const int symbol = LetterSymbol(u);
        if (symbol != kNoLetter) {
            cost += PairCost(previous, symbol);
            previous = symbol;
            continue;
        }
        if (u >= 0x80) cost += TypographicMark(u) ? 4 : 12;
        if (previous != kNoLetter) cost += PairCost(previous, kNoLetter);
        previous = kNoLetter;
    }
    if (previous != kNoLetter) cost += PairCost(previous, kNoLetter);
    return -cost;
}

// Below this many bytes beyond ASCII a text tells too little to be taken for anything but cp1251.
constexpr size_t kFewestTellingBytes = 4;
// How much likelier (in bits) another reading must be than cp1251's to be chosen instead.
constexpr long long kWinningMargin = 6;

QString Decode(std::string_view bytes, TextEncoding e)
{
    QStringDecoder decoder(NameOf(e).qtName, QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The single-byte encoding whose reading of `head` looks most like Russian by its letter pairs,
// capitals counting as small letters. cp1251 unless another reading is clearly likelier: fewer
// than four bytes beyond ASCII, a tie or a narrow lead keep cp1251.
TextEncoding BestSingleByte(std::string_view head)
{
    const auto telling = std::count_if(head.begin(), head.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (static_cast<size_t>(telling) < kFewestTellingBytes) return TextEncoding::Cp1251;
    TextEncoding best = TextEncoding::Cp1251;
    long long bestScore = RussianScore(Decode(head, TextEncoding::Cp1251)) + kWinningMargin;
    for (TextEncoding e : {TextEncoding::Koi8r, TextEncoding::Cp866}) {
        const long long score = RussianScore(Decode(head, e));
        if (score > bestScore) {
            best = e;
            bestScore = score;
        }
    }
    return best;
}

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
    throw InvalidTextError(QCoreApplication::translate("TextEncoding", "Текст не читается как %1: неверная последовательность байтов в позиции %2.")
                       .arg(EncodingDisplayName(e))
                       .arg(bytePosition)
                       .toStdString());
}

// Writes code points as cp1251, one byte each, "?" for what cp1251 cannot hold, and keeps the
// count and the first of those with its line and column. Lines are counted over the bytes
// written only until the first replacement, and only when it comes or a piece ends: as every
// character is one byte, the bytes tell the position. The output pointer goes in and out by
// value, so that callers keep it in a register.
class Cp1251Sink {
public:
    explicit Cp1251Sink(ConversionReport& report) : report_(report) {}

    // A new piece of output starts at `start`; its first `counted` bytes were counted with the
    // piece before (a letter held back, which a mark at this piece's start may still change).
    void Begin(char* start, size_t counted = 0)
    {
        start_ = start;
        scanned_ = start + counted;
    }

    static char* Put(const std::int16_t* table, char32_t u, char* dst, Cp1251Sink& sink)
    {
        const int b = u < kCp1251ReverseSize ? table[u] : -1;
        if (b < 0) return sink.Missing(u, dst);
        *dst = static_cast<char>(b);
        return dst + 1;
    }

    // The piece ends at `end`.
    void End(const char* end)
    {
        if (report_.replaced == 0) Scan(end);
    }

    // Writes a decoded text (UTF-16 code units, pairs joined; a high surrogate at the end waits
    // for the next piece). `dst` must have room for three bytes per code unit, and one more.
    char* Append(const QString& text, char* dst)
    {
        const std::int16_t* const table = UnicodeToCp1251Table().data();
        const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t u = p[i];
            if (pendingHigh_) {
                if (u >= 0xDC00 && u <= 0xDFFF) u = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (u - 0xDC00);
                else dst = Put(table, pendingHigh_, dst, *this);  // a lone high surrogate, then this unit
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
            dst = Put(table, u, dst, *this);
        }
        return dst;
    }

private:
    // A character cp1251 lacks: its closest form, else "?".
    char* Missing(char32_t u, char* dst)
    {
        if (char* end = PutCp1251Form(u, start_, dst)) return end;
        return Replace(u, dst);
    }

    char* Replace(char32_t u, char* dst)
    {
        if (report_.replaced == 0) Scan(dst);
        report_.CountReplaced(u, lines_);
        *dst = '?';
        return dst + 1;
    }

    // Counts the lines and the column over the bytes written since the last count, up to `end`.
    void Scan(const char* end)
    {
        if (scanned_ >= end) return;
        lines_.Count(scanned_, end);
        scanned_ = end;
    }

    ConversionReport& report_;
    char* start_ = nullptr;
    const char* scanned_ = nullptr;
    LineCounter lines_;
    char32_t pendingHigh_ = 0;
};

// UTF-8 checked and decoded straight into cp1251; a character cut at a piece's end is finished
// by the next piece.
class Utf8Decoder {
public:
    explicit Utf8Decoder(Cp1251Sink& sink) : sink_(sink) {}

    // Converts a piece into `dst`, which must have room for one byte per byte of `bytes`, and
    // four more; returns the end of what was written. `bad` receives the 1-based position
    // (counted from the first piece on) of the first byte of a broken sequence, or 0.
    char* Feed(std::string_view bytes, char* dst, std::uint64_t& bad)
    {
        const std::int16_t* const table = UnicodeToCp1251Table().data();
        std::uint64_t base = position_;
        position_ += bytes.size();
        bad = 0;
        if (!carry_.Empty()) {
            size_t taken = 0;
            const Utf8Char read = carry_.Resume(bytes, taken);
            if (read.length == 0) {
                bad = carry_.Position();
                return dst;
            }
            if (read.length == kUtf8Cut) return dst;
            dst = Cp1251Sink::Put(table, read.code, dst, sink_);
            bytes.remove_prefix(taken);
            base += taken;
        }
        const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* const end = begin + bytes.size();
        const auto* p = begin;
        while (p < end) {
            p = Utf8RunToCp1251(p, end, dst, table);
            if (p == end) break;
            const Utf8Char read = ReadUtf8(p, end);
            if (read.length > 0) {
                dst = Cp1251Sink::Put(table, read.code, dst, sink_);
                p += read.length;
                continue;
            }
            const std::uint64_t at = base + static_cast<std::uint64_t>(p - begin) + 1;
            if (read.length == 0) {
                bad = at;
                break;
            }
            carry_.Hold(p, end, at);
            break;
        }
        return dst;
    }

    // At the end of the text: an unfinished sequence is broken unless the text was cut off.
    std::uint64_t Finish(bool truncated) const { return !carry_.Empty() && !truncated ? carry_.Position() : 0; }

private:
    Cp1251Sink& sink_;
    Utf8Carry carry_;
    std::uint64_t position_ = 0;
};

// One streaming conversion in a known encoding (never Auto).
class Converter {
public:
    Converter(TextEncoding e, ConversionReport& report)
        : encoding_(e), sink_(report), utf8_(sink_),
          decoder_(NameOf(e).qtName)
    {
        report.encoding = e;
    }

    // Converts the next piece of the text; the first piece may start with a byte-order mark.
    std::string Feed(std::string_view bytes)
    {
        if (first_) {
            first_ = false;
            const Bom bom = BomOf(bytes);
            if (encoding_ == TextEncoding::Utf8 && bom == Bom::Utf8) {
                bytes.remove_prefix(3);
                offset_ = 3;
            }
            if (encoding_ == TextEncoding::Utf16) {
                // Without a mark the zero bytes tell the order; when they do not, little-endian.
                const bool big = bom == Bom::Utf16Be ||
                                 (bom == Bom::None &&
                                  Utf16OrderWithoutMark(bytes.substr(0, kDetectionLimit)) == ByteOrder::Big);
                decoder_ = QStringDecoder(big ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
                if (bom != Bom::None) {
                    bytes.remove_prefix(2);
                    offset_ = 2;
                }
            }
        }
        if (encoding_ == TextEncoding::Cp1251) return std::string(bytes);
        std::string out;
        if (encoding_ == TextEncoding::Utf8) {
            out.resize(heldBack_.size() + bytes.size() + 4);
            char* const start = BeginPiece(out);
            std::uint64_t bad = 0;
            char* const dst = utf8_.Feed(bytes, start, bad);
            if (bad) ThrowInvalid(encoding_, bad + offset_);
            return EndPiece(out, dst);
        }
        const QString text = decoder_.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (encoding_ == TextEncoding::Utf16 && decoder_.hasError()) ThrowInvalid(encoding_, consumed_ + 1 + offset_);
        consumed_ += bytes.size();
        out.resize(heldBack_.size() + static_cast<size_t>(text.size()) * 3 + 1);
        char* const start = BeginPiece(out);
        return EndPiece(out, sink_.Append(text, start));
    }

    // The end of the text: a sequence left unfinished is an error unless the text was cut off.
    // Returns the last of the text, held back until now.
    std::string Finish(bool truncated)
    {
        if (encoding_ == TextEncoding::Utf8) {
            if (const auto bad = utf8_.Finish(truncated)) ThrowInvalid(encoding_, bad + offset_);
        }
        if (encoding_ == TextEncoding::Utf16 && !truncated && consumed_ % 2 != 0) ThrowInvalid(encoding_, consumed_ + offset_);
        return std::exchange(heldBack_, {});
    }

private:
    // A piece's output begins with the letter held back from the piece before, so that a
    // combining mark read first in this piece still joins with it (и + ̆ → й) and a text gives
    // the same cp1251 however it is cut into reads. Returns where the new output goes.
    char* BeginPiece(std::string& out)
    {
        std::memcpy(out.data(), heldBack_.data(), heldBack_.size());
        sink_.Begin(out.data(), heldBack_.size());
        return out.data() + heldBack_.size();
    }

    // The piece's output ends at `end`: all of it but its last byte, which is held back in turn.
    std::string EndPiece(std::string& out, char* end)
    {
        sink_.End(end);
        size_t size = static_cast<size_t>(end - out.data());
        heldBack_.assign(out.data() + size - (size > 0), size > 0);
        size -= size > 0;
        out.resize(size);
        return std::move(out);
    }

private:
    TextEncoding encoding_;
    Cp1251Sink sink_;
    Utf8Decoder utf8_;
    QStringDecoder decoder_;
    std::uint64_t consumed_ = 0;
    std::uint64_t offset_ = 0;
    bool first_ = true;
    std::string heldBack_;
};

std::string ReadHead(const TextFile& file, bool& truncated)
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
    return QCoreApplication::translate("TextEncoding", NameOf(encoding).display);
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

std::optional<ByteOrder> Utf16OrderWithoutMark(std::string_view head)
{
    const size_t units = head.size() / 2;
    // For each side of a unit (0: its first byte, 1: its second), how many of its bytes are zero
    // and how many could be the high byte of a Latin, Cyrillic or punctuation character.
    size_t zeros[2] = {0, 0};
    size_t plausible[2] = {0, 0};
    for (size_t i = 0; i < units * 2; ++i) {
        const auto b = static_cast<unsigned char>(head[i]);
        zeros[i % 2] += b == 0;
        plausible[i % 2] += b == 0 || b == 0x04 || b == 0x20 || b == 0x21;
    }
    for (const int high : {1, 0}) {
        const int low = 1 - high;
        // Blanks and punctuation come at least once in sixteen characters of any real text, and
        // nearly every high byte is one of those the text's scripts have.
        if (zeros[high] > zeros[low] && zeros[high] * 16 >= units && plausible[high] * 8 >= units * 7)
            return high == 1 ? ByteOrder::Little : ByteOrder::Big;
    }
    return std::nullopt;
}

TextEncoding DetectEncoding(std::string_view head, bool truncated)
{
    switch (BomOf(head)) {
    case Bom::Utf8: return TextEncoding::Utf8;
    case Bom::Utf16Le:
    case Bom::Utf16Be: return TextEncoding::Utf16;
    case Bom::None: break;
    }
    if (Utf16OrderWithoutMark(head)) return TextEncoding::Utf16;
    const Utf8Check check = CheckUtf8(head, truncated);
    if (check.valid) return check.multibyte ? TextEncoding::Utf8 : TextEncoding::Cp1251;
    return BestSingleByte(head);
}

TextEncoding DetectFileEncoding(const TextFile& file)
{
    bool truncated = false;
    const std::string head = ReadHead(file, truncated);
    return DetectEncoding(head, truncated);
}

TextEncoding ResolveEncoding(const TextFile& file, TextEncoding chosen)
{
    return chosen == TextEncoding::Auto ? DetectFileEncoding(file) : chosen;
}

QString ConversionReport::Summary() const
{
    if (replaced == 0) return {};
    return QCoreApplication::translate("TextEncoding", "Символов, которых нет в кодировке Windows-1251, заменено на «?»: %1 (первый — «%2», строка %3, позиция %4).")
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
        out += converter.Finish(truncated);
        r.bytesWritten = out.size();
        return out;
    };
    if (!automatic || encoding != TextEncoding::Utf8) return convert(encoding);
    try {
        return convert(encoding);
    } catch (const InvalidTextError&) {
        // As for a file: taken for UTF-8 by its beginning but broken further on.
        return convert(BestSingleByte(bytes.substr(0, kDetectionLimit)));
    }
}

ConversionReport ConvertFileToCp1251(const TextFile& source, TextEncoding encoding, const fs::path& target)
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
            const std::string last = converter.Finish(false);
            out.Write(last);
            report.bytesWritten += last.size();
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
    } catch (const InvalidTextError&) {
        // Taken for UTF-8 by its beginning but broken further on: read it as single-byte text.
        bool truncated = false;
        return convert(BestSingleByte(ReadHead(source, truncated)));
    }
}

} // namespace lumira
