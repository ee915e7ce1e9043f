// Soft hyphens at the dictionary's points of a cp1251 text's words.
#include "formats/hyphenator.h"

#include "formats/compiled_dictionary.h"
#include "formats/pattern_machine.h"
#include "formats/word_bytes.h"
#include "platform/files.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/language.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <utility>
#include <hyphen.h>

namespace lumira {

namespace {

namespace fs = std::filesystem;

// The scripts words are told by, each with the dictionary that splits it unless the book's
// language chooses another.
enum Language { kRussian = 0, kEnglish = 1, kNone = -1 };

constexpr const char* kDictionaryFile[2] = {"hyph_ru_RU.dic", "hyph_en_US.dic"};
constexpr const char* kDictionaryPackage[2] = {"hyphen-ru", "hyphen-en-us"};
constexpr std::string_view kDefaultLanguage[2] = {"ru", "en"};
// Languages written in Cyrillic letters; every other one is taken as written in Latin letters.
constexpr std::string_view kCyrillicLanguages[] = {"ru", "uk", "be", "bg", "mk", "sr", "kk", "ky", "tg", "mn"};
// Letters that stay on each side of a point, at least.
constexpr int kMinLetters = 2;
// Words remembered with their points; past this the memory is emptied and filled anew.
constexpr size_t kMaxKnownWords = 1 << 20;
// Distinct words a text has had split by libhyphen before the dictionaries' own walk is made
// (a few milliseconds) and takes over.
constexpr size_t kWordsBeforeMachine = 500;
// A long text is hyphenated this many bytes at a time (and to the end of the word there).
constexpr size_t kStretch = 64 * 1024;
// The text between points is copied this many bytes at least, past its end where it is shorter.
constexpr size_t kCopyOverrun = 32;

bool IsCyrillic(unsigned char c)
{
    return c >= 192 || c == 168 || c == 184;
}

// The language that splits the word, or kNone for a word left as it is.
int LanguageOf(std::string_view word)
{
    bool cyrillic = false;
    bool latin = false;
    for (const char b : word) {
        const auto c = static_cast<unsigned char>(b);
        if (!IsLetter(c)) return kNone;  // a digit or a soft hyphen of its own
        if (IsCyrillic(c)) cyrillic = true;
        else latin = true;
    }
    if (cyrillic == latin) return kNone;
    return cyrillic ? kRussian : kEnglish;
}

bool IsAsciiLetters(std::string_view s)
{
    return !s.empty() && s.size() <= 8 &&
           std::all_of(s.begin(), s.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

// The first of `names` found as a file in `folders`.
std::string FirstFound(const std::vector<fs::path>& folders, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        for (const fs::path& folder : folders) {
            std::error_code ec;
            if (fs::is_regular_file(folder / name, ec)) return name;
        }
    return {};
}

// The dictionary file for `language` (a tag such as "de", "en-GB", "uk_UA"), and the script its
// words are written in; nothing when the folders hold none for it.
std::optional<std::pair<int, std::string>> DictionaryOfLanguage(const std::vector<fs::path>& folders, std::string_view tag)
{
    const size_t cut = tag.find_first_of("-_");
    const std::string primary = Lower(tag.substr(0, cut));
    if (!IsAsciiLetters(primary)) return std::nullopt;
    std::string region;
    if (cut != std::string_view::npos) {
        const std::string_view rest = tag.substr(cut + 1);
        region = std::string(rest.substr(0, rest.find_first_of("-_")));
        if (!IsAsciiLetters(region)) region.clear();
        for (char& c : region) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const int script = std::find(std::begin(kCyrillicLanguages), std::end(kCyrillicLanguages), primary) != std::end(kCyrillicLanguages)
                           ? kRussian
                           : kEnglish;
    std::vector<std::string> names;
    if (!region.empty()) names.push_back("hyph_" + primary + "_" + region + ".dic");
    if (primary == kDefaultLanguage[script]) names.push_back(kDictionaryFile[script]);
    names.push_back("hyph_" + primary + ".dic");
    // Any other of the language's dictionaries, in the order of their names.
    std::vector<std::string> others;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() > primary.size() + 9 && name.rfind("hyph_" + primary + "_", 0) == 0 && name.ends_with(".dic"))
                others.push_back(name);
        }
    }
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    std::string found = FirstFound(folders, names);
    if (found.empty()) return std::nullopt;
    return std::make_pair(script, std::move(found));
}

} // namespace

struct Hyphenator::Dictionary {
    HyphenDict* dict = nullptr;
    std::unique_ptr<CompiledDictionary> compiled;  // holds `dict` when it was read in compiled form
    // `dict` walked without libhyphen where it can be: made for the first text long enough to
    // pay for making it, not for the few words of a first page.
    mutable std::once_flag machineMade;
    mutable std::unique_ptr<PatternMachine> machine;
    const PatternMachine& Machine() const
    {
        std::call_once(machineMade, [this] { machine = std::make_unique<PatternMachine>(*dict); });
        return *machine;
    }
    bool utf8 = false;
    // Each cp1251 byte in the dictionary's own encoding (empty where it has none).
    std::array<std::string, 256> encoded;
    // Each cp1251 byte in small letters as the one byte the dictionary spells it with; 0 where
    // it takes more bytes or has none.
    std::array<char, 256> lowerByte{};
    ~Dictionary()
    {
        if (dict && !compiled) hnj_hyphen_free(dict);
    }
};

Hyphenator::Hyphenator(std::vector<fs::path> folders, std::string_view bookLanguage)
    : folders_(std::move(folders)), language_(bookLanguage)
{
    files_[kRussian] = kDictionaryFile[kRussian];
    files_[kEnglish] = kDictionaryFile[kEnglish];
    if (const auto chosen = DictionaryOfLanguage(folders_, language_)) files_[chosen->first] = chosen->second;
}

std::string Hyphenator::DictionaryNames() const
{
    return files_[kRussian] + ", " + files_[kEnglish];
}

Hyphenator::~Hyphenator() = default;

namespace {

// A dictionary file loaded once for the process, known by its path, time and size, so that one
// changed on disk is loaded anew.
struct LoadedFile {
    std::string path;
    fs::file_time_type time;
    std::uintmax_t size = 0;
    bool operator<(const LoadedFile& o) const { return std::tie(path, time, size) < std::tie(o.path, o.time, o.size); }
};

std::mutex& CompiledFolderMutex()
{
    static std::mutex mutex;
    return mutex;
}

fs::path& CompiledFolder()
{
    static fs::path folder;
    return folder;
}

// The dictionary of `file` as kept in the compiled folder, else parsed (and then kept there).
void LoadDictionaryFile(const LoadedFile& file, bool known, HyphenDict*& dict, std::unique_ptr<CompiledDictionary>& compiled)
{
    fs::path folder;
    {
        std::lock_guard lock(CompiledFolderMutex());
        folder = CompiledFolder();
    }
    const DictionarySource source{file.path, file.size, static_cast<std::int64_t>(file.time.time_since_epoch().count())};
    const fs::path keptFile = known && !folder.empty() ? CompiledDictionaryFile(folder, source) : fs::path();
    if (!keptFile.empty() && (compiled = CompiledDictionary::Read(keptFile, source))) {
        dict = compiled->Dict();
        return;
    }
    dict = hnj_hyphen_load(file.path.c_str());
    if (!dict || keptFile.empty()) return;
    try {
        const std::string bytes = CompileDictionary(*dict, source);
        // Only the folder itself is made: its parent gone (a program folder removed meanwhile)
        // is no place to make again.
        std::error_code ec;
        fs::create_directory(folder, ec);
        if (!bytes.empty() && fs::is_directory(folder, ec)) WriteFileAtomically(keptFile, bytes);
    } catch (...) {
        // Not kept: the next process parses the patterns again.
    }
}

} // namespace

void Hyphenator::KeepCompiledDictionariesIn(const fs::path& folder)
{
    std::lock_guard lock(CompiledFolderMutex());
    CompiledFolder() = folder;
}

const Hyphenator::Dictionary& Hyphenator::Load(int language)
{
    std::shared_ptr<const Dictionary>& slot = dictionaries_[language];
    if (slot) return *slot;
    static std::mutex cacheMutex;
    static std::map<LoadedFile, std::shared_ptr<const Dictionary>> cache;
    auto loaded = std::make_shared<Dictionary>();
    fs::path tried;
    for (const fs::path& folder : folders_) {
        const fs::path path = folder / files_[language];
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        tried = path;
        std::error_code timeError;
        std::error_code sizeError;
        const LoadedFile key{path.string(), fs::last_write_time(path, timeError), fs::file_size(path, sizeError)};
        const bool known = !timeError && !sizeError;  // else loaded for this text alone
        std::lock_guard lock(cacheMutex);
        if (const auto found = cache.find(key); known && found != cache.end()) {
            slot = found->second;
            return *slot;
        }
        LoadDictionaryFile(key, known, loaded->dict, loaded->compiled);
        if (loaded->dict) {
            Prepare(*loaded);
            if (known) cache[key] = loaded;
            break;
        }
    }
    if (!loaded->dict) {
        const QString file = QString::fromStdString(tried.empty() ? files_[language] : PathText(tried));
        throw AppError(QString::fromStdString(Translate("Hyphenator", "Словарь переносов %1 не найден или не читается. "
                                                                      "Установите пакет %2 или выберите переносы «простые»."))
                           .arg(file, QString::fromLatin1(kDictionaryPackage[language]))
                           .toStdString());
    }
    slot = std::move(loaded);
    return *slot;
}

void Hyphenator::LoadDictionaries()
{
    for (const int language : {kRussian, kEnglish}) {
        try {
            Load(language);
        } catch (const AppError&) {
            // Reported where a word first needs it.
        }
    }
}

void Hyphenator::Prepare(Dictionary& loaded)
{
    loaded.utf8 = loaded.dict->utf8 != 0;
    if (loaded.utf8) {
        for (int c = 1; c < 256; ++c)
            loaded.encoded[static_cast<size_t>(c)] = Cp1251ToUtf8(std::string(1, static_cast<char>(c)));
    } else {
        // A single-byte dictionary: each of its bytes read as a character, and that character's cp1251 byte.
        QStringDecoder decoder(loaded.dict->cset, QStringDecoder::Flag::Stateless);
        for (int b = 1; decoder.isValid() && b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString ch = decoder.decode(QByteArrayView(&byte, 1));
            if (ch.size() != 1) continue;
            const int code = UnicodeToCp1251(ch.front().unicode());
            if (code > 0 && loaded.encoded[static_cast<size_t>(code)].empty())
                loaded.encoded[static_cast<size_t>(code)] = std::string(1, byte);
        }
    }
    for (int b = 1; b < 256; ++b) {
        const std::string& bytes = loaded.encoded[Cp1251Lower(static_cast<unsigned char>(b))];
        if (bytes.size() == 1) loaded.lowerByte[static_cast<size_t>(b)] = bytes[0];
    }
}

bool Hyphenator::FindPoints(std::string_view word, int language)
{
    if (language == kNone || word.size() < 2 * kMinLetters) return false;
    const Dictionary& dictionary = Load(language);
    // Most words are spelt a byte for a byte; the rest by each byte's spelling.
    encoded_.resize(word.size());
    bool byteForByte = true;
    for (size_t i = 0; i < word.size(); ++i) {
        encoded_[i] = dictionary.lowerByte[static_cast<unsigned char>(word[i])];
        byteForByte = byteForByte && encoded_[i] != 0;
    }
    if (!byteForByte) {
        encoded_.clear();
        for (const char b : word) {
            const std::string& bytes = dictionary.encoded[Cp1251Lower(static_cast<unsigned char>(b))];
            if (bytes.empty() || (!dictionary.utf8 && bytes.size() != 1)) return false;
            encoded_ += bytes;
        }
    }
    if (++wordsWorkedOut_ > kWordsBeforeMachine && dictionary.Machine().Hyphens(encoded_, kMinLetters, hyphens_))
        return true;
    hyphens_.assign(encoded_.size() + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const int failed = hnj_hyphen_hyphenate3(dictionary.dict, encoded_.data(), static_cast<int>(encoded_.size()),
                                             hyphens_.data(), nullptr, &rep, &pos, &cut, kMinLetters, kMinLetters,
                                             kMinLetters, kMinLetters);
    if (rep) {
        for (int i = 0; i < static_cast<int>(encoded_.size()); ++i) std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
    return failed == 0;
}

bool Hyphenator::PointAfter(size_t i, size_t length) const
{
    // hyphens_[i] odd: a point after the word's character i (for a UTF-8 dictionary the vector
    // counts characters, as libhyphen gives it for one).
    return i + 1 >= kMinLetters && length - i - 1 >= kMinLetters && (hyphens_[i] & 1);
}

void Hyphenator::PointsOf(std::string_view word, std::string& out)
{
    if (!FindPoints(word, LanguageOf(word))) {
        out.append(word);
        return;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        out += word[i];
        if (PointAfter(i, word.size())) out += static_cast<char>(kSoftHyphen);
    }
}

std::uint16_t Hyphenator::ShortPointsOf(std::string_view word)
{
    std::uint16_t points = 0;
    if (FindPoints(word, LanguageOf(word)))
        for (size_t i = 0; i < word.size(); ++i)
            if (PointAfter(i, word.size())) points = static_cast<std::uint16_t>(points | 1u << i);
    return points;
}

std::uint16_t Hyphenator::NewShortWordPoints(std::string_view word, const ShortWordPoints::Key& key)
{
    std::uint16_t points = 0;
    // The dictionary sees words in small letters, so a capitalised word (or one in capitals) has
    // the points of its small-letter form, which the text most likely holds too.
    char lower[ShortWordPoints::kLongestWord];
    bool capitals = false;
    for (size_t i = 0; i < word.size(); ++i) {
        lower[i] = static_cast<char>(Cp1251Lower(static_cast<unsigned char>(word[i])));
        capitals = capitals || lower[i] != word[i];
    }
    if (capitals) {
        const std::string_view small(lower, word.size());
        const ShortWordPoints::Key smallKey = ShortWordPoints::KeyOf(small);
        if (!shortWords_.Find(smallKey, points)) {
            points = ShortPointsOf(small);
            shortWords_.Add(smallKey, points, kMaxKnownWords);
        }
    } else {
        points = ShortPointsOf(word);
    }
    shortWords_.Add(key, points, kMaxKnownWords);
    return points;
}

std::string_view Hyphenator::LongWordWithPoints(std::string_view word)
{
    const bool remembered = word.size() <= WordMemo::kLongestWord;
    const std::uint64_t hash = remembered ? WordMemo::Hash(word) : 0;
    if (remembered)
        if (const std::string_view known = known_.Find(word, hash); known.data()) return known;
    points_.clear();
    PointsOf(word, points_);
    if (remembered) known_.Add(word, hash, points_, kMaxKnownWords);
    return points_;
}

size_t Hyphenator::StretchEnd(std::string_view text)
{
    size_t end = std::min(text.size(), kStretch);
    while (end < text.size() && IsWordByte(static_cast<unsigned char>(text[end]))) ++end;
    return end;
}

void Hyphenator::Hyphenate(std::string_view text, std::string& out)
{
    // A long text goes a stretch of whole words at a time, so that the room each stretch is
    // written in stays within the cache and the output grows by little more than the text.
    if (text.size() > kStretch) out.reserve(out.size() + text.size() + text.size() / 4 + 2 * kStretch);
    while (!text.empty()) {
        const size_t end = StretchEnd(text);
        out += HyphenateStretch(text.substr(0, end));
        text.remove_prefix(end);
    }
}

std::string_view Hyphenator::Hyphenate(std::string_view text)
{
    if (StretchEnd(text) == text.size()) return HyphenateStretch(text);
    whole_.clear();
    Hyphenate(text, whole_);
    return whole_;
}

void Hyphenator::HyphenateInPlace(std::string& text)
{
    const size_t size = text.size();
    const size_t spare = text.capacity() - size;
    if (spare < kInPlaceRoom) {
        std::string out;
        Hyphenate(text, out);
        text = std::move(out);
        return;
    }
    // The text is moved to the end of its room and hyphenated from there to the room's start, a
    // stretch at a time by way of a small buffer, while what is written stays behind what is
    // still to be read.
    text.resize(text.capacity());
    char* const room = text.data();
    std::memmove(room + spare, room, size);
    std::string_view rest(room + spare, size);
    size_t written = 0;
    while (!rest.empty()) {
        const size_t end = StretchEnd(rest);
        const std::string_view stretch = HyphenateStretch(rest.substr(0, end));
        rest.remove_prefix(end);
        if (written + stretch.size() > static_cast<size_t>(rest.data() - room)) {
            // More points than the room holds: the rest is taken out and goes the usual way.
            std::string unread(rest);
            text.resize(written);
            text += stretch;
            Hyphenate(unread, text);
            return;
        }
        std::memcpy(room + written, stretch.data(), stretch.size());
        written += stretch.size();
    }
    text.resize(written);
}

std::string_view Hyphenator::HyphenateStretch(std::string_view text)
{
    const char* const src = text.data();
    const size_t n = text.size();
    // First every word's points, as bits over the text: bit i % 64 of points_[i / 64] puts a
    // soft hyphen after byte i. Words too short to split need nothing; the rest are taken a
    // batch at a time, the memo's slots of the batch's short words fetched meanwhile, so that
    // the memory is read for many words at once rather than word by word.
    const size_t blocks = (n + 63) / 64;
    pointBits_.assign(blocks + 1, 0);  // one more for a word's points running past the last
    std::uint64_t* const bits = pointBits_.data();
    const auto mark = [bits](size_t start, std::uint64_t points) {
        const size_t shift = start % 64;
        bits[start / 64] |= points << shift;
        bits[start / 64 + 1] |= (points >> 1) >> (63 - shift);
    };
    const std::span<const WordSpan> words = wordBytes_.Find(text, 2 * kMinLetters);
    constexpr size_t kBatch = 32;
    ShortWordPoints::Key keys[kBatch];
    for (size_t first = 0; first < words.size(); first += kBatch) {
        const size_t count = std::min(kBatch, words.size() - first);
        const WordSpan* const batch = words.data() + first;
        for (size_t w = 0; w < count; ++w) {
            const size_t length = batch[w].end - batch[w].start;
            if (length > ShortWordPoints::kLongestWord) continue;
            // Sixteen bytes can be read from the word's start but at the text's very end.
            keys[w] = batch[w].start + ShortWordPoints::kLongestWord <= n
                          ? ShortWordPoints::KeyAt(src + batch[w].start, length)
                          : ShortWordPoints::KeyOf(text.substr(batch[w].start, length));
            shortWords_.Prefetch(keys[w]);
        }
        for (size_t w = 0; w < count; ++w) {
            const std::string_view word = text.substr(batch[w].start, batch[w].end - batch[w].start);
            if (word.size() <= ShortWordPoints::kLongestWord) {
                // Each distinct word is worked out once; its repeats are looked up.
                std::uint16_t points = 0;
                if (!shortWords_.Find(keys[w], points)) points = NewShortWordPoints(word, keys[w]);
                mark(batch[w].start, points);
                continue;
            }
            // A word given points holds no soft hyphen of its own: each in the result is a point.
            const std::string_view result = LongWordWithPoints(word);
            if (result.size() == word.size()) continue;
            for (size_t r = 0, i = batch[w].start; r < result.size(); ++r) {
                if (static_cast<unsigned char>(result[r]) == kSoftHyphen) mark(i - 1, 1);
                else ++i;
            }
        }
    }

    // Then the text goes out as it came with a soft hyphen after each marked byte: a block of
    // 64 bytes at a time, in steps from point to point. A step copies 32 bytes whatever its
    // length (the bytes past its end are written over by the next one), so most steps take no
    // branch. A word's points at most double it (one after each of its letters but the first and
    // the last two), so the room holds twice the text and the copies' overrun.
    const size_t needed = 2 * n + 2 * kCopyOverrun;
    if (needed > roomSize_) {
        roomSize_ = std::max(needed, 2 * kStretch + 2 * kCopyOverrun);
        room_ = std::make_unique_for_overwrite<char[]>(roomSize_);
    }
    char* dst = room_.get();
    const auto copy = [](char* to, const char* from, size_t length) {
        std::memcpy(to, from, kCopyOverrun);
        if (length > kCopyOverrun) std::memcpy(to + kCopyOverrun, from + kCopyOverrun, length - kCopyOverrun);
    };
    for (size_t block = 0; block < blocks; ++block) {
        const char* const from = src + block * 64;
        const size_t length = std::min<size_t>(64, n - block * 64);
        // The copies read past the block: near the text's end, only as far as it goes.
        const bool wild = block * 64 + 128 <= n;
        size_t done = 0;
        for (std::uint64_t points = bits[block]; points != 0; points &= points - 1) {
            const size_t after = static_cast<size_t>(std::countr_zero(points)) + 1;
            if (wild) copy(dst, from + done, after - done);
            else std::memcpy(dst, from + done, after - done);
            dst += after - done;
            *dst++ = static_cast<char>(kSoftHyphen);
            done = after;
        }
        if (wild) {
            std::memcpy(dst, from + done, 64);
        } else {
            std::memcpy(dst, from + done, length - done);
        }
        dst += length - done;
    }
    return {room_.get(), static_cast<size_t>(dst - room_.get())};
}

size_t Hyphenator::OpenTail(std::string_view text)
{
    size_t k = text.size();
    while (k > 0 && IsWordByte(static_cast<unsigned char>(text[k - 1]))) --k;
    return text.size() - k;
}

std::future<void> LoadDictionariesMeanwhile(std::vector<fs::path> folders)
{
    return std::async(std::launch::async, [folders = std::move(folders)] { Hyphenator(folders).LoadDictionaries(); });
}

void RemoveSoftHyphens(std::string& text)
{
    std::erase(text, static_cast<char>(kSoftHyphen));
}

} // namespace lumira
