// Hyphenation dictionaries kept in parsed form: what is read back splits words exactly as the
// pattern file does, and a kept file that is damaged, truncated, foreign or made from another
// pattern file is refused, and replaced by the hyphenator.
#include "formats/compiled_dictionary.h"
#include "formats/hyphenator.h"
#include "formats/pattern_machine.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <hyphen.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <set>

namespace lumira {

namespace {

namespace fs = std::filesystem;

struct Parsed {
    HyphenDict* dict = nullptr;
    explicit Parsed(const fs::path& file) : dict(hnj_hyphen_load(file.string().c_str())) {}
    ~Parsed()
    {
        if (dict) hnj_hyphen_free(dict);
    }
};

DictionarySource SourceOf(const fs::path& file)
{
    return {file.string(), fs::file_size(file), static_cast<std::int64_t>(fs::last_write_time(file).time_since_epoch().count())};
}

// Everything libhyphen tells of a word: its points, and its non-standard splits.
std::string Points(HyphenDict* dict, const std::string& word)
{
    std::vector<char> hyphens(word.size() + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const int failed = hnj_hyphen_hyphenate3(dict, word.data(), static_cast<int>(word.size()), hyphens.data(), nullptr, &rep,
                                             &pos, &cut, 2, 2, 2, 2);
    std::string result = std::to_string(failed) + ":" + std::string(hyphens.data(), word.size());
    if (rep) {
        for (size_t i = 0; i < word.size(); ++i) {
            if (rep[i]) result += "|" + std::to_string(i) + "=" + rep[i] + "," + std::to_string(pos[i]) + "," + std::to_string(cut[i]);
            std::free(rep[i]);
        }
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
    return result;
}

// The bytes the patterns are made of (single bytes only for a UTF-8 dictionary, so that every
// word made of them is valid).
std::vector<char> Alphabet(const HyphenDict& dict)
{
    std::set<char> bytes;
    for (int s = 0; s < dict.num_states; ++s)
        for (int t = 0; t < dict.states[s].num_trans; ++t) {
            const char c = dict.states[s].trans[t].ch;
            if (c != '.' && (!dict.utf8 || static_cast<unsigned char>(c) < 0x80)) bytes.insert(c);
        }
    return {bytes.begin(), bytes.end()};
}

void ExpectSameSplits(const fs::path& dic, std::mt19937& random)
{
    SCOPED_TRACE(dic.string());
    Parsed parsed(dic);
    ASSERT_NE(parsed.dict, nullptr);
    const DictionarySource source = SourceOf(dic);
    TempDir dir;
    dir.Write("kept", CompileDictionary(*parsed.dict, source));
    const auto compiled = CompiledDictionary::Read(dir / "kept", source);
    ASSERT_NE(compiled, nullptr);
    const std::vector<char> letters = Alphabet(*parsed.dict);
    ASSERT_FALSE(letters.empty());
    for (int n = 0; n < 20000; ++n) {
        std::string word(std::uniform_int_distribution<size_t>(1, 16)(random), ' ');
        for (char& c : word) c = letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(random)];
        ASSERT_EQ(Points(compiled->Dict(), word), Points(parsed.dict, word)) << word;
    }
}

// A dictionary using what the system ones may not: a list of sequences never split, a second
// level for compound words, non-standard splits.
const char kFeatures[] =
    "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nNOHYPHEN ab,cd\nc1k/k=k,1,2\n1ba\na1b\n.ab1c\nd1d\n"
    "NEXTLEVEL\n1ca\nb1d\nabc1\n";

} // namespace

TEST(CompiledDictionary, SplitsEveryWordAsThePatternFileDoes)
{
    std::mt19937 random(20261210);
    TempDir dir;
    dir.Write("hyph_xx.dic", kFeatures);
    {
        Parsed parsed(dir / "hyph_xx.dic");
        ASSERT_NE(parsed.dict, nullptr);
        ASSERT_NE(parsed.dict->nextlevel, nullptr);
        bool nonStandard = false;
        for (const HyphenDict* level = parsed.dict; level; level = level->nextlevel)
            for (int s = 0; s < level->num_states; ++s) nonStandard = nonStandard || level->states[s].repl;
        EXPECT_TRUE(nonStandard);
    }
    ExpectSameSplits(dir / "hyph_xx.dic", random);
    for (const char* name : {"hyph_ru_RU.dic", "hyph_en_US.dic"}) ExpectSameSplits(fs::path("/usr/share/hyphen") / name, random);
}

// The pattern machine against libhyphen, on random words of each dictionary's own letters: where
// it answers, its points are libhyphen's (the made-up dictionary's compound level, replacement
// rule and sequences never split included); on the system dictionaries it answers nearly always.
TEST(PatternMachine, SplitsEveryWordItAnswersForAsLibhyphenDoes)
{
    std::mt19937 random(11);
    TempDir dir;
    dir.Write("hyph_xx.dic", kFeatures);
    for (const fs::path& dic : {dir / "hyph_xx.dic", fs::path("/usr/share/hyphen/hyph_ru_RU.dic"), fs::path("/usr/share/hyphen/hyph_en_US.dic")}) {
        SCOPED_TRACE(dic.string());
        Parsed parsed(dic);
        ASSERT_NE(parsed.dict, nullptr);
        const PatternMachine machine(*parsed.dict);
        // The letters of the patterns proper, and now and then one of the compound level's.
        const std::vector<char> joiners = Alphabet(*parsed.dict);
        std::vector<char> letters;
        for (const char c : Alphabet(parsed.dict->nextlevel ? *parsed.dict->nextlevel : *parsed.dict))
            if (std::find(joiners.begin(), joiners.end(), c) == joiners.end()) letters.push_back(c);
        if (letters.empty()) letters = joiners;  // the made-up dictionary's levels share their letters
        std::vector<char> hyphens;
        int answered = 0;
        const int words = 20000;
        for (int n = 0; n < words; ++n) {
            std::string word(std::uniform_int_distribution<size_t>(1, 20)(random), ' ');
            for (char& c : word) c = letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(random)];
            if (n % 50 == 0 && !joiners.empty()) word[random() % word.size()] = joiners[random() % joiners.size()];
            if (!machine.Hyphens(word, 2, hyphens)) continue;
            ++answered;
            // A point is an odd value; libhyphen leaves other values as they fall.
            std::string expected = Points(parsed.dict, word).substr(0, 2 + word.size());
            std::string points = "0:" + std::string(hyphens.data(), word.size());
            for (std::string* s : {&expected, &points})
                for (size_t i = 2; i < s->size(); ++i) (*s)[i] = ((*s)[i] & 1) ? '1' : '0';
            ASSERT_EQ(points, expected) << word;
        }
        if (dic.filename() != "hyph_xx.dic") EXPECT_GT(answered, words * 97 / 100);
        else EXPECT_GT(answered, 0);
    }
}

// A machine put together by hand, the one pattern "a1b": the walk finds its point wherever the
// pattern stands; a machine libhyphen never makes (a fallback to a longer string, a transition
// back to the first state) is refused, so that libhyphen answers instead of a walk that would
// read a row not yet worked out.
TEST(PatternMachine, WalksAHandMadeMachineAndRefusesOneLibhyphenNeverMakes)
{
    char match[] = "010";
    HyphenTrans fromFirst[] = {{'a', 1}};
    HyphenTrans fromA[] = {{'b', 2}};
    HyphenState states[] = {{nullptr, nullptr, 0, 0, -1, 1, fromFirst},
                            {nullptr, nullptr, 0, 0, 0, 1, fromA},
                            {match, nullptr, 0, 0, 0, 0, nullptr}};
    HyphenState compoundFirst{nullptr, nullptr, 0, 0, -1, 0, nullptr};
    HyphenDict patterns{};
    patterns.num_states = 3;
    patterns.states = states;
    HyphenDict compound{};
    compound.num_states = 1;
    compound.states = &compoundFirst;
    compound.nextlevel = &patterns;
    std::vector<char> hyphens;
    const auto points = [&](std::string_view word) {
        std::string marks;
        for (size_t i = 0; i < word.size(); ++i) marks += (hyphens[i] & 1) ? '1' : '0';
        return marks;
    };
    {
        const PatternMachine machine(compound);
        ASSERT_TRUE(machine.Hyphens("xxabxx", 2, hyphens));
        EXPECT_EQ(points("xxabxx"), "001000");
        ASSERT_TRUE(machine.Hyphens("aabab", 2, hyphens));  // a failed "aa" falls back and matches again
        EXPECT_EQ(points("aabab"), "01000");  // the second point leaves one letter on the right
        ASSERT_TRUE(machine.Hyphens("bbbb", 2, hyphens));
        EXPECT_EQ(points("bbbb"), "0000");
    }
    states[1].fallback_state = 2;  // "a" falling back to "ab"
    EXPECT_FALSE(PatternMachine(compound).Hyphens("xxabxx", 2, hyphens));
    states[1].fallback_state = 0;
    fromA[0].new_state = 0;  // "ab" leading back to the start
    EXPECT_FALSE(PatternMachine(compound).Hyphens("xxabxx", 2, hyphens));
}

TEST(CompiledDictionary, AnythingButTheFileMadeForThePatternsIsRefused)
{
    const fs::path dic = "/usr/share/hyphen/hyph_en_US.dic";
    Parsed parsed(dic);
    ASSERT_NE(parsed.dict, nullptr);
    const DictionarySource source = SourceOf(dic);
    const std::string good = CompileDictionary(*parsed.dict, source);
    TempDir dir;
    const auto readsBack = [&](const std::string& bytes, const DictionarySource& from) {
        dir.Write("kept", bytes);
        return CompiledDictionary::Read(dir / "kept", from) != nullptr;
    };
    ASSERT_TRUE(readsBack(good, source));
    EXPECT_FALSE(CompiledDictionary::Read(dir / "missing", source));

    // Made from another pattern file, or from this one before it changed.
    DictionarySource moved = source;
    moved.path += "x";
    DictionarySource grown = source;
    ++grown.size;
    DictionarySource touched = source;
    ++touched.time;
    EXPECT_FALSE(readsBack(good, moved));
    EXPECT_FALSE(readsBack(good, grown));
    EXPECT_FALSE(readsBack(good, touched));

    // Truncated anywhere, or lengthened; any byte changed (the header's too).
    std::mt19937 random(7);
    for (int n = 0; n < 100; ++n) {
        const size_t at = std::uniform_int_distribution<size_t>(0, good.size() - 1)(random);
        EXPECT_FALSE(readsBack(good.substr(0, at), source)) << "cut at " << at;
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << (n % 8)));
        EXPECT_FALSE(readsBack(damaged, source)) << "byte " << at;
    }
    EXPECT_FALSE(readsBack(good + '\0', source));
    EXPECT_FALSE(readsBack("", source));

    // A well-formed file of a machine that libhyphen's matcher would run off: each is checked
    // although its checksum holds.
    int inner = 1;
    while (inner < parsed.dict->num_states && parsed.dict->states[inner].num_trans == 0) ++inner;
    ASSERT_LT(inner, parsed.dict->num_states);
    HyphenState& state = parsed.dict->states[inner];
    const auto refusedWith = [&](auto change) {
        const HyphenState kept = state;
        const HyphenTrans keptTransition = state.trans[0];
        change();
        const bool refused = !readsBack(CompileDictionary(*parsed.dict, source), source);
        state = kept;
        state.trans[0] = keptTransition;
        return refused;
    };
    EXPECT_TRUE(refusedWith([&] { state.fallback_state = inner; }));  // its fallback walk would never end
    EXPECT_TRUE(refusedWith([&] { state.fallback_state = parsed.dict->num_states; }));
    EXPECT_TRUE(refusedWith([&] { state.trans[0].new_state = parsed.dict->num_states; }));
    EXPECT_TRUE(refusedWith([&] { state.trans[0].new_state = 0; }));  // not a tree
    char longMatch[] = "1111111111";
    EXPECT_TRUE(refusedWith([&] { state.match = longMatch; }));  // would mark before the word
    EXPECT_TRUE(readsBack(CompileDictionary(*parsed.dict, source), source));
}

TEST(CompiledDictionary, TheHyphenatorReplacesAKeptFileItCannotUse)
{
    TempDir dir;
    const fs::path patterns = dir / "patterns";
    fs::create_directories(patterns);
    fs::copy_file("/usr/share/hyphen/hyph_ru_RU.dic", patterns / "hyph_ru_RU.dic");
    const std::string text = "\xEF\xF0\xE5\xE4\xEF\xEE\xF7\xF2\xE5\xED\xE8\xE5 \xE3\xEE\xF1\xF3\xE4\xE0\xF0\xF1\xF2\xE2\xEE";
    std::string expected;
    Hyphenator({"/usr/share/hyphen"}).Hyphenate(text, expected);
    ASSERT_NE(expected.find('\xAD'), std::string::npos);

    Hyphenator::KeepCompiledDictionariesIn(dir / "kept");
    // Each round the pattern file's time changes, so that the process's store loads it anew.
    const auto round = [&](const std::function<void(const fs::path&)>& spoil) {
        const fs::path dic = patterns / "hyph_ru_RU.dic";
        const fs::path kept = CompiledDictionaryFile(dir / "kept", SourceOf(dic));
        if (fs::exists(kept)) spoil(kept);
        std::string out;
        Hyphenator({patterns}).Hyphenate(text, out);
        EXPECT_EQ(out, expected);
        EXPECT_NE(CompiledDictionary::Read(kept, SourceOf(dic)), nullptr);
        fs::last_write_time(dic, fs::last_write_time(dic) + std::chrono::seconds(1));
    };
    round([](const fs::path&) {});  // made
    round([](const fs::path&) {});  // made from the file as it was
    round([&](const fs::path& kept) { fs::resize_file(kept, fs::file_size(kept) / 2); });
    round([&](const fs::path& kept) { fs::resize_file(kept, 0); });
    Hyphenator::KeepCompiledDictionariesIn({});
}

} // namespace lumira
