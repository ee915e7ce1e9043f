#include "platform/cp1251_fallback.h"

#include "platform/cp1251.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace lumira {

namespace {

// One character's form, packed: up to three bytes, their count, and whether it was worked out
// and found at all.
constexpr std::uint32_t kKnown = 1u << 30;
constexpr std::uint32_t kFound = 1u << 31;
constexpr int kSizeShift = 24;
constexpr std::size_t kMaxForm = 3;

size_t Utf8Length(char32_t u)
{
    return u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
}

bool IsMark(UChar32 c)
{
    const auto type = static_cast<UCharCategory>(u_charType(c));
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK;
}

// The library's objects: the normalisers are safe on any thread, the transliterator is used
// under the lock.
class FormMaker {
public:
    FormMaker()
    {
        UErrorCode status = U_ZERO_ERROR;
        nfkd_ = icu::Normalizer2::getNFKDInstance(status);
        nfc_ = icu::Normalizer2::getNFCInstance(status);
        if (U_FAILURE(status)) nfkd_ = nfc_ = nullptr;
        status = U_ZERO_ERROR;
        latinAscii_.reset(icu::Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status)) latinAscii_.reset();
    }

    // The packed form of `u`, worked out now.
    std::uint32_t Make(char32_t u)
    {
        if (!nfkd_) return kKnown;
        UErrorCode status = U_ZERO_ERROR;
        // Compatibility decomposition, marks dropped, composed again: é → e, ﬁ → fi, Ａ → A.
        icu::UnicodeString decomposed = nfkd_->normalize(icu::UnicodeString(static_cast<UChar32>(u)), status);
        icu::UnicodeString bare;
        for (int32_t i = 0; i < decomposed.length(); i = decomposed.moveIndex32(i, 1)) {
            const UChar32 c = decomposed.char32At(i);
            if (!IsMark(c)) bare.append(c);
        }
        icu::UnicodeString composed = nfc_->normalize(bare, status);
        if (U_FAILURE(status)) return kKnown;
        std::string bytes;
        if (!Fits(composed, bytes)) {
            // Letters and marks with no decomposition of their own: ß, ø, ‐, ′, quotes, spaces.
            std::lock_guard<std::mutex> lock(translitMutex_);
            if (!latinAscii_) return kKnown;
            latinAscii_->transliterate(composed);
            if (!Fits(composed, bytes)) return kKnown;
        }
        if (bytes.size() > std::min(kMaxForm, Utf8Length(u))) return kKnown;
        std::uint32_t packed = kKnown | kFound | static_cast<std::uint32_t>(bytes.size()) << kSizeShift;
        for (size_t i = 0; i < bytes.size(); ++i) packed |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        return packed;
    }

    // The one cp1251 letter `previous` followed by the mark `u` composes into, or -1.
    int Join(unsigned char previous, char32_t u) const
    {
        if (!nfc_) return -1;
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeString pair(static_cast<UChar32>(Cp1251ToUnicode(previous)));
        pair.append(static_cast<UChar32>(u));
        const icu::UnicodeString joined = nfc_->normalize(pair, status);
        if (U_FAILURE(status) || joined.countChar32() != 1) return -1;
        return UnicodeToCp1251(static_cast<char32_t>(joined.char32At(0)));
    }

private:
    // True when every character of `text` is in cp1251; `bytes` then holds them.
    static bool Fits(const icu::UnicodeString& text, std::string& bytes)
    {
        bytes.clear();
        for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
            const int b = UnicodeToCp1251(static_cast<char32_t>(text.char32At(i)));
            if (b < 0) return false;
            bytes += static_cast<char>(b);
        }
        return true;
    }

    const icu::Normalizer2* nfkd_ = nullptr;
    const icu::Normalizer2* nfc_ = nullptr;
    std::unique_ptr<icu::Transliterator> latinAscii_;
    std::mutex translitMutex_;
};

FormMaker& Maker()
{
    static FormMaker maker;
    return maker;
}

// The forms worked out so far: the Basic Multilingual Plane in a table read without a lock, the
// rare characters beyond it in a map.
std::array<std::atomic<std::uint32_t>, 0x10000>& BasicForms()
{
    static std::array<std::atomic<std::uint32_t>, 0x10000> forms{};
    return forms;
}

std::uint32_t FormOf(char32_t u)
{
    if (u < 0x10000) {
        std::atomic<std::uint32_t>& slot = BasicForms()[u];
        std::uint32_t packed = slot.load(std::memory_order_relaxed);
        if (!(packed & kKnown)) {
            packed = Maker().Make(u);
            slot.store(packed, std::memory_order_relaxed);
        }
        return packed;
    }
    static std::mutex mutex;
    static std::unordered_map<char32_t, std::uint32_t> others;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = others.find(u); it != others.end()) return it->second;
    }
    const std::uint32_t packed = Maker().Make(u);
    std::lock_guard<std::mutex> lock(mutex);
    others.emplace(u, packed);
    return packed;
}

} // namespace

char* PutCp1251Form(char32_t u, char* start, char* dst)
{
    if (u > 0x10FFFF) return nullptr;
    if (IsMark(static_cast<UChar32>(u))) {
        if (dst > start) {
            const int joined = Maker().Join(static_cast<unsigned char>(dst[-1]), u);
            if (joined >= 0) dst[-1] = static_cast<char>(joined);
        }
        return dst;
    }
    const std::uint32_t packed = FormOf(u);
    if (!(packed & kFound)) return nullptr;
    const size_t size = (packed >> kSizeShift) & 3u;
    for (size_t i = 0; i < size; ++i) *dst++ = static_cast<char>((packed >> (8 * i)) & 0xFFu);
    return dst;
}

} // namespace lumira
