#pragma once
// Dictionary hyphenation of cp1251 text: a soft hyphen (0xAD) is put at every point where the
// language's hyphenation dictionary lets a word be split, so that the page layout's soft-hyphen
// rule (Hyphenation::SoftHyphens) splits words only there, on the desktop and on the phone alike.
//
// A word is a run of letters, digits and soft hyphens. Its dictionary is told by its letters:
// Cyrillic (А..я, Ё, ё) words take the Russian one, Latin (A..Z, a..z) words the English one; a
// word mixing both, holding a digit, or already holding a soft hyphen of its own is left as it
// is, and so is every byte that is no letter (the text's own hyphens stay break points as they
// are). At least two letters stay on each side of a point. Dictionaries are libhyphen pattern
// files, hyph_ru_RU.dic and hyph_en_US.dic, looked up in the given folders in order and loaded
// when a word first needs one; a file once loaded is kept for the process's later texts (while
// it stays as it was on disk), so that each new text does not pay for reading it again; and
// with KeepCompiledDictionariesIn, each later process reads the parsed form instead.
//
// A book that names its language ("de", "uk-UA", "en-GB") has the words of that language's
// script split by that language's dictionary when one is found (hyph_de_DE.dic, hyph_uk_UA.dic,
// hyph_en_GB.dic, or any hyph_<language>*.dic); a language without one found, or none named,
// keeps the choice above.
#include "formats/word_bytes.h"
#include "formats/word_memo.h"

#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _HyphenDict;

namespace lumira {

class Hyphenator {
public:
    // `bookLanguage` is the language tag the book names; empty for a plain text.
    explicit Hyphenator(std::vector<std::filesystem::path> folders, std::string_view bookLanguage = {});
    ~Hyphenator();
    Hyphenator(const Hyphenator&) = delete;
    Hyphenator& operator=(const Hyphenator&) = delete;

    // Appends `text` to `out` with soft hyphens at its words' dictionary points. A word cut by the
    // end of `text` is hyphenated as it stands: see OpenTail. Throws AppError naming the
    // dictionary when a word needs one that cannot be found or read.
    void Hyphenate(std::string_view text, std::string& out);
    // The same, without a copy for a text of up to 64 KiB: what it returns stays valid until the
    // hyphenator's next call.
    std::string_view Hyphenate(std::string_view text);
    // Hyphenate for a whole text, written over it: the text's spare capacity (at least
    // kInPlaceRoom bytes) takes the soft hyphens, so no second copy of a long text is made.
    // Points beyond the spare room make it grow as any string does.
    void HyphenateInPlace(std::string& text);
    static constexpr size_t kInPlaceRoom = 256 * 1024;
    // How many bytes at the end of `text` may belong to a word that goes on after it.
    static size_t OpenTail(std::string_view text);
    // The dictionary files words are split by: Cyrillic words' first, then Latin words'.
    std::string DictionaryNames() const;
    const std::string& BookLanguage() const { return language_; }
    // Loads the dictionaries of both scripts into the process's store ahead of their first use
    // (the window does it on another thread while its controls are made). One that cannot be
    // loaded is left for its first use to report.
    void LoadDictionaries();
    // Keeps each dictionary's state machine in `folder` once it is parsed, and reads it from
    // there in later processes while the pattern file stays as it was (compiled_dictionary.h);
    // an empty path, the default, parses the patterns every time. Set before any dictionary is
    // loaded; a folder that cannot be written only costs the parse.
    static void KeepCompiledDictionariesIn(const std::filesystem::path& folder);

private:
    struct Dictionary;
    // Works the dictionary's points of `word` out into hyphens_; false when it gets none (a word
    // of no one script, too short, or with a letter its dictionary cannot spell).
    bool FindPoints(std::string_view word, int language);
    // Whether FindPoints put a point after byte `i` of a word `length` bytes long.
    bool PointAfter(size_t i, size_t length) const;
    // Appends `word` to `out` with soft hyphens at its points.
    void PointsOf(std::string_view word, std::string& out);
    // Hyphenate for a text of whole words at most a little over 64 KiB long: the text with its
    // points, valid until the next stretch.
    std::string_view HyphenateStretch(std::string_view text);
    // Where the stretch at the start of `text` ends: after 64 KiB, at the end of a word.
    static size_t StretchEnd(std::string_view text);
    // The points of a word, remembered for its repeats: of a short one not met before as bits
    // (see ShortWordPoints), of a longer one as the word with its soft hyphens in.
    std::uint16_t NewShortWordPoints(std::string_view word, const ShortWordPoints::Key& key);
    std::string_view LongWordWithPoints(std::string_view word);
    // The points of a word of at most ShortWordPoints::kLongestWord bytes, as ShortWordPoints keeps them.
    std::uint16_t ShortPointsOf(std::string_view word);
    const Dictionary& Load(int language);
    // Fills in how each cp1251 byte is spelt in a freshly loaded dictionary.
    static void Prepare(Dictionary& loaded);

    std::vector<std::filesystem::path> folders_;
    std::string language_;
    std::string files_[2];  // the dictionary file of each script, by the book's language
    std::shared_ptr<const Dictionary> dictionaries_[2];  // shared by every Hyphenator of the process
    ShortWordPoints shortWords_;  // short word as written -> its points
    WordMemo known_;  // longer word as written -> hyphenated
    WordBytes wordBytes_;
    std::vector<std::uint64_t> pointBits_;  // a stretch's points, a bit for each byte
    std::unique_ptr<char[]> room_;  // a stretch hyphenated, on its way out
    size_t roomSize_ = 0;
    std::string whole_;  // a longer text hyphenated, on its way out
    std::string points_;  // the word being worked out, with its points
    std::string encoded_;
    size_t wordsWorkedOut_ = 0;
    std::vector<char> hyphens_;
};

// Loads both scripts' dictionaries into the process's store on a thread of its own while the
// caller goes on (drawing glyphs, reading a text); the future waits for the thread when it goes.
std::future<void> LoadDictionariesMeanwhile(std::vector<std::filesystem::path> folders);

// Soft hyphens a book's converter kept from the book: taken out again for the vowel rule, so a
// book made with it is the book it always was.
void RemoveSoftHyphens(std::string& text);

} // namespace lumira
