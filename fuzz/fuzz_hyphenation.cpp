// Dictionary hyphenation of any text: the whole text at once, the same text where it stands, read
// in blocks of any size, and by a hyphenator that has seen many texts before (its memory of words
// and the dictionaries' own walk at work) all come out alike, and put nothing in but soft
// hyphens; and the dictionaries' own walk splits any word of their letters as libhyphen does.
#include "book/hyphenated_text.h"
#include "formats/hyphenator.h"
#include "formats/pattern_machine.h"

#include <hyphen.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace lumira;

namespace {

const std::vector<std::filesystem::path> kFolders{"/usr/share/hyphen"};

void Check(bool ok)
{
    if (!ok) std::abort();
}

std::string Hyphenated(Hyphenator& hyphenator, std::string_view text)
{
    std::string out;
    hyphenator.Hyphenate(text, out);
    return out;
}

// A system dictionary with its walk and the letters of its patterns.
struct System {
    HyphenDict* dict;
    PatternMachine machine;
    std::vector<char> letters;
    explicit System(const char* file) : dict(hnj_hyphen_load(file)), machine(*dict)
    {
        std::set<char> bytes;
        for (const HyphenDict* level = dict; level; level = level->nextlevel)
            for (int s = 0; s < level->num_states; ++s)
                for (int t = 0; t < level->states[s].num_trans; ++t) {
                    const char c = level->states[s].trans[t].ch;
                    if (c != '\0' && (!dict->utf8 || static_cast<unsigned char>(c) < 0x80)) bytes.insert(c);
                }
        letters.assign(bytes.begin(), bytes.end());
    }
};

// The walk against libhyphen on a word spelt from `data` in the dictionary's letters.
void CheckWalk(System& system, const std::uint8_t* data, std::size_t size)
{
    std::string word;
    for (std::size_t i = 0; i < size && word.size() < 40; ++i) word += system.letters[data[i] % system.letters.size()];
    if (word.empty()) return;
    std::vector<char> walked;
    if (!system.machine.Hyphens(word, 2, walked)) return;
    std::vector<char> hyphens(word.size() + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    Check(hnj_hyphen_hyphenate3(system.dict, word.data(), static_cast<int>(word.size()), hyphens.data(), nullptr, &rep, &pos,
                                &cut, 2, 2, 2, 2) == 0);
    for (std::size_t i = 0; i < word.size(); ++i) Check((walked[i] & 1) == (hyphens[i] & 1));
    if (rep) {
        for (std::size_t i = 0; i < word.size(); ++i) std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    static System russian("/usr/share/hyphen/hyph_ru_RU.dic");
    static System english("/usr/share/hyphen/hyph_en_US.dic");
    CheckWalk(data[0] & 1 ? russian : english, data + 1, size - 1);

    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    Hyphenator fresh(kFolders);
    const std::string expected = Hyphenated(fresh, text);
    std::string plain(text);
    RemoveSoftHyphens(plain);
    std::string unmarked = expected;
    RemoveSoftHyphens(unmarked);
    Check(unmarked == plain);

    // One hyphenator for the whole run: past its first words, the walk and the memory answer.
    static Hyphenator seasoned(kFolders);
    Check(Hyphenated(seasoned, text) == expected);

    std::string inPlace;
    inPlace.reserve(text.size() + Hyphenator::kInPlaceRoom);
    inPlace = text;
    Hyphenator(kFolders).HyphenateInPlace(inPlace);
    Check(inPlace == expected);

    // Read in blocks whose sizes the input chooses.
    struct Blocks {
        std::string_view text;
        std::uint8_t step;
        size_t Read(void* buffer, size_t count)
        {
            const size_t n = std::min({count, text.size(), size_t{1} + step});
            std::memcpy(buffer, text.data(), n);
            text.remove_prefix(n);
            step = static_cast<std::uint8_t>(step * 7 + 3);
            return n;
        }
    } source{text, data[0]};
    Hyphenator streaming(kFolders);
    HyphenatedText<Blocks> stream(source, streaming);
    std::string streamed;
    char buffer[777];
    while (const size_t n = stream.Read(buffer, sizeof buffer)) streamed.append(buffer, n);
    Check(streamed == expected);
    return 0;
}
