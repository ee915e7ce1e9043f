// Chapters laid out apart on several threads and joined in order must give exactly what one
// writer gives for the whole text, whatever is pending at a chapter's border: an empty line, a
// note's mark, nothing at all; and the places named in them must land on the same lines.
#include "formats/text_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

namespace {

using Step = std::function<void(LayoutWriter&)>;

// A random script of what the readers do with a writer.
std::vector<Step> RandomScript(std::mt19937& random)
{
    static const char* const texts[] = {"слово", " два  слова ", "\n", "x\xC2\xA0y", "", " "};
    static const char* const marks[] = {"", "[1]", "*"};
    std::vector<Step> script;
    const int length = std::uniform_int_distribution<int>(0, 14)(random);
    for (int i = 0; i < length; ++i) {
        const char* text = texts[random() % std::size(texts)];
        const char* mark = marks[random() % std::size(marks)];
        switch (random() % 8) {
        case 0:
        case 1: script.push_back([text](LayoutWriter& w) { w.Text(text); }); break;
        case 2: script.push_back([](LayoutWriter& w) { w.EndParagraph(); }); break;
        case 3: script.push_back([](LayoutWriter& w) { w.EndTitleLine(); }); break;
        case 4: script.push_back([](LayoutWriter& w) { w.BlankLine(); }); break;
        case 5: script.push_back([text](LayoutWriter& w) { w.Title(text); }); break;
        case 6: script.push_back([mark](LayoutWriter& w) { w.SetMark(mark); }); break;
        default: script.push_back([name = "p" + std::to_string(random())](LayoutWriter& w) { w.Place(name); }); break;
        }
    }
    return script;
}

} // namespace

TEST(LayoutParts, ChaptersJoinedInOrderGiveWhatOneWriterGives)
{
    std::mt19937 random(18);
    for (int round = 0; round < 3000; ++round) {
        const int parts = std::uniform_int_distribution<int>(1, 4)(random);
        std::vector<std::vector<Step>> chapters;
        for (int i = 0; i < parts; ++i) chapters.push_back(RandomScript(random));

        StringSink whole;
        LayoutWriter one(whole);
        one.Text("Начало");  // a writer that has written already
        one.EndParagraph();
        for (const auto& chapter : chapters) {
            for (const Step& step : chapter) step(one);
            one.EndParagraph();  // a chapter ends its paragraph
        }
        one.BlankLine();
        one.Text("Конец");
        one.EndParagraph();

        StringSink joined;
        LayoutWriter target(joined);
        target.Text("Начало");
        target.EndParagraph();
        for (const auto& chapter : chapters) {
            LayoutWriter apart;
            for (const Step& step : chapter) step(apart);
            target.Join(apart.TakePart());
        }
        target.BlankLine();
        target.Text("Конец");
        target.EndParagraph();
        ASSERT_EQ(joined.text, whole.text) << "round " << round;
        // Places land on the same lines, each one holding text.
        ASSERT_EQ(target.Places(), one.Places()) << "round " << round;
        std::vector<std::string_view> lines;
        for (size_t at = 0; at < whole.text.size();) {
            const size_t end = whole.text.find("\r\n", at);
            lines.push_back(std::string_view(whole.text).substr(at, end - at));
            at = end + 2;
        }
        for (const auto& [name, line] : one.Places()) {
            ASSERT_LT(line, lines.size()) << name;
            EXPECT_NE(lines[line], "\x02") << "round " << round;
        }
    }
}

TEST(LayoutParts, RunningTextCollapsesWhiteSpaceWhateverItsPieces)
{
    // Pieces of running text: white space (collapsed to one blank, none at the ends), dropped
    // characters (soft hyphen, zero-width space, byte-order mark) and everything else, kept.
    struct Piece {
        const char* bytes;
        char kind;  // 's' white space, 'd' dropped, 'k' kept
    };
    const Piece pieces[] = {{"a", 'k'},       {"слово", 'k'},    {"abcdefghij", 'k'}, {"—", 'k'},
                            {"«", 'k'},       {"\x01", 'k'},     {"\xC3\xA9", 'k'},   {" ", 's'},
                            {"\t", 's'},      {"\n", 's'},       {"\r", 's'},         {"\xC2\xA0", 's'},
                            {"\xC2\xAD", 'd'}, {"\xE2\x80\x8B", 'd'}, {"\xEF\xBB\xBF", 'd'}};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        std::string expected;
        bool space = false;
        const int length = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < length; ++i) {
            const Piece& p = pieces[random() % std::size(pieces)];
            text += p.bytes;
            if (p.kind == 's') {
                space = !expected.empty();
            } else if (p.kind == 'k') {
                if (space) expected += ' ';
                space = false;
                expected += p.bytes;
            }
        }
        StringSink sink;
        LayoutWriter writer(sink);
        // Fed in pieces cut anywhere between characters' bytes would be: at piece borders.
        size_t at = 0;
        while (at < text.size()) {
            size_t cut = std::min(text.size(), at + 1 + random() % 24);
            while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
            writer.Text(std::string_view(text).substr(at, cut - at));
            at = cut;
        }
        writer.EndParagraph();
        ASSERT_EQ(sink.text, expected.empty() ? "" : "   " + expected + "\r\n") << "round " << round;
    }
}

} // namespace lumira
