// Dictionary hyphenation: where the dictionaries put soft hyphens, that the layout splits words
// only there, and titles and empty screen lines from a book's converter.
#include "book/hyphenated_text.h"
#include "formats/text_layout.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "formats/hyphenator.h"
#include "formats/word_bytes.h"
#include "formats/word_memo.h"
#include "preview/page_layout.h"
#include "support/temp_dir.h"
#include "test_widths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace lumira {

namespace {

const std::vector<std::filesystem::path> kDictionaries{"/usr/share/hyphen"};
const char kSoft = static_cast<char>(kSoftHyphen);

std::string Hyphenated(std::string_view text)
{
    Hyphenator hyphenator(kDictionaries);
    std::string out;
    hyphenator.Hyphenate(text, out);
    return out;
}

std::string WithoutSoftHyphens(std::string text)
{
    RemoveSoftHyphens(text);
    return text;
}

// The words of the program's own sample texts, Russian and English prose.
std::vector<std::string> SampleWords()
{
    std::vector<std::string> words;
    for (const char* name : {"sample", "sample.en"}) {
        std::ifstream in(SourceDir() / "data" / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        std::string word;
        for (const char c : bytes.str() + " ") {
            if (IsLetter(static_cast<unsigned char>(c))) {
                word += c;
            } else {
                if (word.size() > 1) words.push_back(word);
                word.clear();
            }
        }
    }
    return words;
}

} // namespace

TEST(Hyphenator, PointsComeFromTheDictionaryOfTheWordsOwnLetters)
{
    EXPECT_EQ(Hyphenated(Cp("телефоне")), Cp("теле") + kSoft + Cp("фоне"));
    EXPECT_EQ(Hyphenated("warning"), "warn" + std::string(1, kSoft) + "ing");
    // The splits the vowel rule got wrong are no dictionary points.
    for (const char* word : {"побольше", "грязь", "спросил", "отступа", "Текст", "строки"}) {
        SCOPED_TRACE(word);
        const std::string out = Hyphenated(Cp(word));
        for (const char* wrong : {"побол\xC2\xAD", "гря\xC2\xAD", "сп\xC2\xAD", "отс\xC2\xAD", "Те\xC2\xAD", "ст\xC2\xAD"})
            EXPECT_EQ(out.find(Cp(wrong)), std::string::npos) << wrong;
    }
    // Case is kept; at least two letters stay on each side.
    const std::string upper = Hyphenated(Cp("ДОСТОПРИМЕЧАТЕЛЬНОСТЬ"));
    EXPECT_EQ(WithoutSoftHyphens(upper), Cp("ДОСТОПРИМЕЧАТЕЛЬНОСТЬ"));
    EXPECT_NE(upper.find(kSoft), std::string::npos);
    EXPECT_GE(upper.find(kSoft), 2u);
    EXPECT_LE(upper.rfind(kSoft), upper.size() - 3);
    // Left as they are: words with digits, mixed alphabets, the text's own soft hyphens, short
    // words, and everything that is no letter (the text's own hyphens included).
    for (const std::string& kept : {Cp("переосвидетельствование2"), Cp("teлефон"), Cp("пе") + kSoft + Cp("реосвидетельствование"),
                                    Cp("дом"), Cp("1234567890 — «» ... - -- ,;")})
        EXPECT_EQ(Hyphenated(kept), kept);
}

TEST(Hyphenator, ReadsInAnyPiecesGiveTheSameTextAndAMissingDictionaryIsTold)
{
    std::string text;
    for (const std::string& w : SampleWords()) text += w + (w.size() % 7 == 0 ? "\r\n" : " ");
    const std::string whole = Hyphenated(text);
    EXPECT_EQ(WithoutSoftHyphens(whole), text);

    // A source that hands out its bytes a few at a time, cutting words anywhere.
    struct Trickle {
        std::string_view text;
        std::mt19937 rng{7};
        size_t Read(void* buffer, size_t count)
        {
            const size_t n = std::min({count, text.size(), size_t(std::uniform_int_distribution<int>(1, 9)(rng))});
            std::memcpy(buffer, text.data(), n);
            text.remove_prefix(n);
            return n;
        }
    } source{text};
    Hyphenator hyphenator(kDictionaries);
    HyphenatedText<Trickle> stream(source, hyphenator);
    std::string streamed;
    char buffer[13];
    while (const size_t n = stream.Read(buffer, sizeof buffer)) streamed.append(buffer, n);
    EXPECT_EQ(streamed, whole);

    Hyphenator nowhere({"/nonexistent"});
    std::string out;
    nowhere.Hyphenate("123 --", out);  // no word needs a dictionary
    EXPECT_EQ(out, "123 --");
    try {
        nowhere.Hyphenate(Cp("слово"), out);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("hyph_ru_RU.dic"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("hyphen-ru"), std::string::npos) << e.what();
    }
}

// Random words of both languages on random screens: every word split at a line's end is split
// at one of its dictionary points, the hyphen fits the screen, and no text is lost.
TEST(Hyphenator, EverySplitTheLayoutMakesIsADictionaryPoint)
{
    const std::vector<std::string> words = SampleWords();
    Hyphenator hyphenator(kDictionaries);
    std::mt19937 rng(29);
    int splits = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string plain = "   ";
        std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
        for (int i = 0; i < 300; ++i) plain += words[pick(rng)] + (i % 40 == 39 ? "\r\n   " : " ");
        plain += "\r\n";
        std::string text;
        hyphenator.Hyphenate(plain, text);
        const CharWidthTable widths = round % 2 ? ProportionalWidths() : FixedWidths(5 + round % 4);
        PageGeometry geometry{std::uniform_int_distribution<int>(60, 240)(rng), 400, 12, false, 1, Hyphenation::SoftHyphens};
        std::string shown;
        std::int32_t start = 1;
        for (int page = 0; page < 1000; ++page) {
            const PageLayout laid = LayoutPage(text, widths, geometry, start);
            for (size_t n = 0; n < laid.lines.size(); ++n) {
                const std::string& line = laid.lines[n];
                if (!line.empty() && line.back() == '-') {
                    ++splits;
                    EXPECT_LE(widths.TextWidth(line.substr(0, line.find_last_not_of(' ') + 1)), geometry.width) << line;
                    // The word's part on this line and its rest are joined by a soft hyphen in the text.
                    const std::string head = line.substr(line.find_last_of(' ') + 1, std::string::npos);
                    const std::string tailLine = n + 1 < laid.lines.size() ? laid.lines[n + 1] : std::string();
                    std::string tail = tailLine.substr(0, tailLine.find(' '));
                    if (!tail.empty() && tail.back() == '-') tail.pop_back();  // split again
                    if (!tail.empty()) {
                        EXPECT_NE(text.find(head.substr(0, head.size() - 1) + kSoft + tail.substr(0, tail.find(kSoft))),
                                  std::string::npos)
                            << head << " | " << tail;
                    }
                    shown += WithoutSoftHyphens(line.substr(0, line.size() - 1));
                } else {
                    shown += WithoutSoftHyphens(line) + " ";
                }
            }
            if (!laid.downEnabled.value_or(false) || laid.nextPageStart == start) break;
            start = laid.nextPageStart;
        }
        std::string expected = plain;
        std::erase(expected, ' ');
        std::erase(expected, '\r');
        std::erase(expected, '\n');
        std::erase(shown, ' ');
        EXPECT_EQ(shown, expected);
    }
    EXPECT_GT(splits, 500);
}

// A book's title of two lines, a section break and an empty line, as the converters write them,
// on a narrow screen: every title line on its own screen line and never justified, an empty screen
// line around the title (none at the top of the page), the section break an empty screen line.
TEST(TitleMarks, TitlesStandApartAndEmptyLinesShowAsEmptyScreenLines)
{
    StringSink sink;
    LayoutWriter writer(sink);
    writer.Text("Текст до главы.");
    writer.EndParagraph();
    writer.BlankLine();
    writer.Text("Авторский коллектив");
    writer.EndTitleLine();
    writer.Text("Тестовый FB2");
    writer.EndTitleLine();
    writer.BlankLine();
    writer.Text("Эпиграф. Текст.");
    writer.EndParagraph();
    writer.Text("* * *");
    writer.EndParagraph();
    writer.Text("Ударения.");
    writer.EndParagraph();
    const std::string text = Cp(sink.text);
    EXPECT_EQ(text, Cp("   Текст до главы.\r\n\x02\r\n\x01" "Авторский коллектив\r\n\x01Тестовый FB2\r\n\x02\r\n"
                       "   Эпиграф. Текст.\r\n\x02\r\n   Ударения.\r\n"));

    PageGeometry geometry{126, 400, 10, false, 1, Hyphenation::Simple};
    const CharWidthTable widths = FixedWidths(6);  // 21 characters a line
    const PageLayout page = LayoutPage(text, widths, geometry, 1);
    std::vector<std::string> drawn;
    for (const std::string& line : page.lines) drawn.push_back(DrawnText(line));
    const std::vector<std::string> expected{Cp("   Текст до главы. "), "", Cp("Авторский коллектив "), Cp("Тестовый FB2 "), "",
                                            Cp("   Эпиграф. Текст. "), "", Cp("   Ударения.  ")};
    EXPECT_EQ(drawn, expected);
    // Title lines stand centred by their text, the line break's blank aside; the rest at the edge.
    EXPECT_EQ(page.lineX, (std::vector<int>{0, 0, (126 - 19 * 6) / 2, (126 - 12 * 6) / 2, 0, 0, 0, 0}));

    // A long title is broken, not justified (and with the dictionary rule, a word without soft
    // hyphens moves whole); the title at a page's top has no empty line above it.
    geometry.hyphenation = Hyphenation::SoftHyphens;
    const std::string marked = Cp("\x01Очень длинное название главы книги\r\n\x02\r\n   Текст.\r\n");
    const PageLayout titled = LayoutPage(marked, widths, geometry, 1);
    ASSERT_GE(titled.lines.size(), 3u);
    EXPECT_EQ(DrawnText(titled.lines[0]), Cp("Очень длинное"));
    EXPECT_EQ(DrawnText(titled.lines[1]), Cp("название главы книги "));
    EXPECT_EQ(titled.lineX[0], (126 - 13 * 6) / 2);
    EXPECT_EQ(titled.lineX[1], (126 - 20 * 6) / 2);  // the wrapped line is centred too
    const std::string twoTitles = Cp("   Абзац.\r\n\x02\r\n\x01Глава\r\n");
    const std::int32_t spacerAt = static_cast<std::int32_t>(twoTitles.find('\x02')) + 1;
    const PageLayout atTop = LayoutPage(twoTitles, widths, geometry, spacerAt);
    ASSERT_FALSE(atTop.lines.empty());
    EXPECT_EQ(DrawnText(atTop.lines[0]), Cp("Глава "));
}

} // namespace lumira

namespace lumira {

// The book's language chooses the dictionary of its script when one is found, beside the
// system's: here made-up ones whose points no real dictionary has.
TEST(Hyphenator, TheBooksLanguageChoosesItsScriptsDictionaryElseTheLettersDo)
{
    TempDir dir;
    dir.Write("hyph_de_DE.dic", "UTF-8\na1i\n");          // "ra-inbow", never an English point
    dir.Write("hyph_uk_UA.dic", "UTF-8\nк1о\n");          // "шк-ола"
    std::vector<std::filesystem::path> folders{dir.Path()};
    folders.insert(folders.end(), kDictionaries.begin(), kDictionaries.end());
    const std::string text = "rainbow " + Cp("школа телефоне");
    const auto split = [&](std::string_view language) {
        Hyphenator hyphenator(folders, language);
        std::string out;
        hyphenator.Hyphenate(text, out);
        return std::make_pair(out, hyphenator.DictionaryNames());
    };
    const std::string soft(1, kSoft);
    const auto [byLetters, defaults] = split("");
    EXPECT_EQ(defaults, "hyph_ru_RU.dic, hyph_en_US.dic");
    EXPECT_EQ(byLetters.find("ra" + soft), std::string::npos);
    EXPECT_NE(byLetters.find(Cp("теле") + soft), std::string::npos);
    const size_t latinEnd = byLetters.find(' ');

    // German, by a region the folders lack and in any case: the German file; Russian words stay Russian.
    for (const char* german : {"de", "DE-at", "de_CH"}) {
        SCOPED_TRACE(german);
        const auto [out, names] = split(german);
        EXPECT_EQ(names, "hyph_ru_RU.dic, hyph_de_DE.dic");
        EXPECT_EQ(out.substr(0, 8), "ra" + soft + "inbow");
        EXPECT_EQ(out.substr(8), byLetters.substr(latinEnd));
    }
    // Ukrainian: Cyrillic words by its file, Latin ones by English.
    const auto [ukrainian, ukNames] = split("uk-UA");
    EXPECT_EQ(ukNames, "hyph_uk_UA.dic, hyph_en_US.dic");
    EXPECT_EQ(ukrainian, byLetters.substr(0, latinEnd) + Cp(" шк") + soft + Cp("ола телефоне"));
    // The defaults' own languages, one without a file, and tags that are no language: as by letters.
    for (const char* same : {"ru", "ru-RU", "en", "en-GB", "fr", "x", "12", "../de", ""}) {
        SCOPED_TRACE(same);
        EXPECT_EQ(split(same).first, byLetters);
    }
}

} // namespace lumira


namespace lumira {

// The memo of worked-out words against a plain map: random words of every length up to the
// longest kept (many sharing a beginning), found exactly as added through every growth, words
// too long not kept, and everything forgotten at the limit.
TEST(WordMemo, FindsExactlyWhatWasAdded)
{
    std::mt19937 random(29);
    WordMemo memo;
    std::map<std::string, std::string> reference;
    const size_t limit = 20000;
    for (int i = 0; i < 15000; ++i) {
        std::string word(1 + random() % WordMemo::kLongestWord, 'a');
        for (char& c : word) c = static_cast<char>('a' + random() % (i % 3 == 0 ? 2 : 26));
        const std::uint64_t hash = WordMemo::Hash(word);
        const std::string_view found = memo.Find(word, hash);
        ASSERT_EQ(found.data() != nullptr, reference.count(word) == 1) << i;
        if (found.data()) {
            ASSERT_EQ(found, reference[word]);
            continue;
        }
        std::string result = word;
        result.insert(random() % (word.size() + 1), std::string(random() % 3, kSoft));
        memo.Add(word, hash, result, limit);
        reference[word] = result;
    }
    for (const auto& [word, result] : reference) ASSERT_EQ(memo.Find(word, WordMemo::Hash(word)), result);
    const std::string tooLong(WordMemo::kLongestWord + 1, 'x');
    memo.Add(tooLong, WordMemo::Hash(tooLong), tooLong, limit);
    EXPECT_EQ(memo.Find(tooLong, WordMemo::Hash(tooLong)).data(), nullptr);
    // At the limit the memo starts afresh.
    memo.Add("last", WordMemo::Hash("last"), "la\xADst", reference.size());
    EXPECT_EQ(memo.Find("last", WordMemo::Hash("last")), "la\xADst");
    EXPECT_EQ(memo.Find(reference.begin()->first, WordMemo::Hash(reference.begin()->first)).data(), nullptr);
}

// The table of short words against a plain map: words of every length it keeps, many differing
// only in their last bytes or in their length, found with exactly the points added through every
// growth and while the front table's slots are taken over by others; at the limit all is
// forgotten, the front table too.
TEST(ShortWordPoints, FindsExactlyThePointsAdded)
{
    std::mt19937 random(29);
    ShortWordPoints table;
    std::map<std::string, std::uint16_t> reference;
    const size_t limit = 30000;
    for (int i = 0; i < 40000; ++i) {
        std::string word(1 + random() % ShortWordPoints::kLongestWord, 'a');
        for (char& c : word) c = static_cast<char>(i % 2 ? 'a' + random() % 2 : 0xC0 + random() % 64);
        const ShortWordPoints::Key key = ShortWordPoints::KeyOf(word);
        std::uint16_t points = 0;
        const bool found = table.Find(key, points);
        ASSERT_EQ(found, reference.count(word) == 1) << i;
        if (found) {
            ASSERT_EQ(points, reference[word]) << i;
            continue;
        }
        points = static_cast<std::uint16_t>(random());
        table.Add(key, points, limit);
        reference[word] = points;
    }
    for (const auto& [word, points] : reference) {
        std::uint16_t found = 0;
        ASSERT_TRUE(table.Find(ShortWordPoints::KeyOf(word), found));
        ASSERT_EQ(found, points);
    }
    table.Add(ShortWordPoints::KeyOf("last"), 2, reference.size());
    std::uint16_t found = 0;
    EXPECT_TRUE(table.Find(ShortWordPoints::KeyOf("last"), found));
    EXPECT_EQ(found, 2);
    EXPECT_FALSE(table.Find(ShortWordPoints::KeyOf(reference.begin()->first), found));
}

// Where words lie, against the byte rule: random bytes (every value, runs of word bytes and of
// others) at every length and starting place, every word of at least the length asked for found
// as the bytes say, one running to the text's end included; and short words keyed in place as
// on their own.
TEST(WordBytes, FindsEveryWordAsItsBytesSay)
{
    std::mt19937 random(5);
    WordBytes finder;
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 300, ' ');
        for (char& c : text) c = static_cast<char>(random() % 4 ? random() % 256 : 'a');
        const std::string_view part = std::string_view(text).substr(text.empty() ? 0 : random() % text.size());
        const size_t shortest = 1 + random() % 5;
        const auto found = finder.Find(part, shortest);
        std::vector<std::pair<size_t, size_t>> expected;
        for (size_t i = 0; i < part.size();) {
            if (!IsWordByte(static_cast<unsigned char>(part[i]))) {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < part.size() && IsWordByte(static_cast<unsigned char>(part[i]))) ++i;
            if (i - start >= shortest) expected.emplace_back(start, i);
        }
        ASSERT_EQ(found.size(), expected.size()) << round;
        for (size_t w = 0; w < found.size(); ++w) {
            ASSERT_EQ(found[w].start, expected[w].first) << round;
            ASSERT_EQ(found[w].end, expected[w].second) << round;
            const size_t length = found[w].end - found[w].start;
            if (length > ShortWordPoints::kLongestWord || found[w].start + ShortWordPoints::kLongestWord > part.size()) continue;
            const auto inPlace = ShortWordPoints::KeyAt(part.data() + found[w].start, length);
            const auto alone = ShortWordPoints::KeyOf(part.substr(found[w].start, length));
            ASSERT_TRUE(inPlace.low == alone.low && inPlace.high == alone.high && inPlace.hash == alone.hash) << round;
        }
    }
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_EQ(IsWordByte(b), IsLetter(b) || (b >= '0' && b <= '9') || b == kSoftHyphen) << c;
    }
}

// A long text of a few thousand distinct words, each repeated many times, in both cases, among
// short words, long ones and words with digits, comes out as if each word had been hyphenated on
// its own by a hyphenator that had seen nothing before: what the memos give back is each word's own.
TEST(Hyphenator, RepeatedWordsGetTheirOwnPoints)
{
    std::mt19937 random(7);
    const std::string russianVowels = Cp("аеиоуыэюяё");
    std::vector<std::string> words;
    std::map<std::string, std::string> alone;
    while (words.size() < 3000) {
        const bool latin = words.size() % 3 == 0;
        std::string word;
        const size_t length = 1 + random() % (words.size() % 10 == 0 ? 30 : 14);
        for (size_t k = 0; k < length; ++k) {
            const bool vowel = random() % 3 == 0;
            if (latin) word += vowel ? "aeiou"[random() % 5] : static_cast<char>('b' + random() % 24);
            else word += vowel ? russianVowels[random() % russianVowels.size()] : static_cast<char>(0xE0 + random() % 32);
        }
        const auto first = static_cast<unsigned char>(word[0]);
        if (words.size() % 4 == 1 && (first >= 0xE0 || (first >= 'a' && first <= 'z'))) {
            // Capitalised, and now and then in small letters too: the one form's points serve the other.
            if (words.size() % 8 == 1 && alone.emplace(word, Hyphenated(word)).second) words.push_back(word);
            word[0] = static_cast<char>(first - 32);
        }
        if (words.size() % 50 == 7) word += "2";
        if (alone.emplace(word, Hyphenated(word)).second) words.push_back(word);
    }
    const std::string separators[] = {" ", ", ", "\r\n", " - ", "\xAB", "\xBB "};
    std::string text;
    std::string expected;
    std::uniform_real_distribution<double> uniform(0, 1);
    for (int i = 0; i < 200000; ++i) {
        // The first words far more often than the last, as in a book.
        const double u = uniform(random);
        const std::string& word = words[static_cast<size_t>(u * u * u * static_cast<double>(words.size()))];
        const std::string& separator = separators[random() % 6];
        text += word + separator;
        expected += alone[word] + separator;
    }
    Hyphenator hyphenator(kDictionaries);
    std::string out;
    for (size_t at = 0; at < text.size();) {
        std::string_view block = std::string_view(text).substr(at, 65536);
        // Whole words to each call, as the stream hands them over.
        if (at + block.size() < text.size()) block.remove_suffix(Hyphenator::OpenTail(block));
        hyphenator.Hyphenate(block, out);
        at += block.size();
    }
    EXPECT_EQ(out, expected);
    // And all at once, as the preview hands a whole text over.
    EXPECT_EQ(Hyphenated(text), expected);
    // And where the text stands: with room enough for its points, with room for some of them
    // (the rest goes the usual way), and with too little room to try.
    for (const size_t room : {text.size() / 2, Hyphenator::kInPlaceRoom, Hyphenator::kInPlaceRoom - 1}) {
        std::string inPlace;
        inPlace.reserve(text.size() + room);
        inPlace = text;
        Hyphenator(kDictionaries).HyphenateInPlace(inPlace);
        EXPECT_EQ(inPlace, expected) << room;
    }
    ASSERT_GT(expected.size() - text.size(), Hyphenator::kInPlaceRoom);  // the room does run out
    // Short texts of every length around the blocks the text is copied in, ending in a word or not.
    for (size_t length = 0; length < 400; ++length) {
        std::string small;
        std::string smallExpected;
        while (small.size() < length) {
            const std::string& word = words[random() % words.size()];
            const std::string& separator = separators[random() % 6];
            small += word;
            smallExpected += alone[word];
            if (small.size() >= length && length % 2) break;
            small += separator;
            smallExpected += separator;
        }
        EXPECT_EQ(Hyphenated(small), smallExpected) << length;
    }
}

} // namespace lumira

namespace lumira {

// Dictionaries are kept for the process once loaded, but a file changed on disk is read anew; a
// missing one fails the streamed text at its first read, and the stream then closes cleanly.
TEST(Hyphenator, AChangedDictionaryIsReadAgainAndAMissingOneFailsTheStream)
{
    TempDir dir;
    const auto split = [&] {
        Hyphenator hyphenator({dir.Path()});
        std::string out;
        hyphenator.Hyphenate(Cp("школа"), out);
        return out;
    };
    dir.Write("hyph_ru_RU.dic", "UTF-8\nк1о\n");
    EXPECT_EQ(split(), Cp("шк") + "\xAD" + Cp("ола"));
    EXPECT_EQ(split(), Cp("шк") + "\xAD" + Cp("ола"));
    dir.Write("hyph_ru_RU.dic", "UTF-8\nо1л\nя1я\n");
    EXPECT_EQ(split(), Cp("шко") + "\xAD" + Cp("ла"));

    struct Endless {
        std::string word = Cp("слово ");
        size_t Read(void* buffer, size_t count)
        {
            const size_t n = std::min(count, word.size());
            std::memcpy(buffer, word.data(), n);
            return n;
        }
    } source;
    Hyphenator nowhere({"/nonexistent"});
    HyphenatedText<Endless> stream(source, nowhere);
    char buffer[64];
    EXPECT_THROW(stream.Read(buffer, sizeof buffer), AppError);
}

} // namespace lumira
