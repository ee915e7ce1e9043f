// Paging through random texts on random screens: every line fits, nothing but blanks is lost or
// repeated between lines and pages, and paging forward always comes to an end.
#include "platform/line_list.h"
#include "preview/page_layout.h"
#include "test_widths.h"

#include <gtest/gtest.h>

#include <random>

namespace lumira {

namespace {

// Characters the random texts are made of: letters of both alphabets and cases, digits, the
// break characters except "-" (so every "-" in a line is a hyphen the layout added), other
// symbols, a tab and a control character.
const std::string& Alphabet()
{
    static const std::string alphabet = Cp("aeijouybcdfgklmnpqrstvwxzAEOJYBKMаеиоуюяёбвгджзйклмнпрстфхцчшщъыьэАЕОЯЁБВГЛМНЩ0123456789"
                                           " !.,;?+=)}]\\/:>([{\"'*_«»…—") +
                                        "\t\x01";
    return alphabet;
}

std::string RandomText(std::mt19937& rng)
{
    const std::string& alphabet = Alphabet();
    std::uniform_int_distribution<int> lineCount(0, 12);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> wordLength(1, 25);
    std::vector<std::string> lines;
    const int count = lineCount(rng);
    for (int i = 0; i < count; ++i) {
        std::string line;
        const int k = kind(rng);
        if (k == 0) {
            lines.push_back(line);  // an empty line
            continue;
        }
        if (k == 1) line.append(static_cast<size_t>(wordLength(rng) % 6), ' ');  // indented
        const int words = wordLength(rng) / 3 + 1;
        for (int w = 0; w < words; ++w) {
            const int length = wordLength(rng);
            for (int c = 0; c < length; ++c) line.push_back(alphabet[pick(rng)]);
            line.append(static_cast<size_t>(1 + (kind(rng) == 0)), ' ');
        }
        if (kind(rng) < 3) line.pop_back();
        lines.push_back(line);
    }
    return JoinLines(lines);
}

CharWidthTable RandomWidths(std::mt19937& rng)
{
    std::uniform_int_distribution<int> width(1, 12);
    std::array<int, 256> table{};
    for (auto& w : table) w = width(rng);
    return CharWidthTable::ForLayout([&](unsigned char c) { return table[c]; });
}

// What no rule may drop: every character but blanks, CRs and LFs (hyphens are only added).
std::string Kept(std::string_view text)
{
    std::string kept;
    for (char c : text)
        if (c != ' ' && c != '\r' && c != '\n' && c != '-') kept.push_back(c);
    return kept;
}

TEST(PageProperties, RandomTextsPageThroughWithoutLossAndEveryLineFits)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> screenWidth(1, 160);
    std::uniform_int_distribution<int> linesPerPage(1, 9);
    std::uniform_int_distribution<int> coin(0, 1);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(rng);
        const CharWidthTable widths = coin(rng) ? RandomWidths(rng) : ProportionalWidths();
        const int W = screenWidth(rng);
        const bool sysline = coin(rng) == 1;
        const PageGeometry geometry{W, linesPerPage(rng) * 10 + (sysline ? 6 : 0) + coin(rng) * 7, 10, sysline, 1};
        SCOPED_TRACE(::testing::Message() << "round " << round << ", W " << W);

        std::string shown;
        std::int32_t start = 1;
        int pages = 0;
        for (;;) {
            const PageLayout page = LayoutPage(text, widths, geometry, start);
            ASSERT_GT(page.linesPerPage, 0);
            ASSERT_LE(static_cast<int>(page.lines.size()), page.linesPerPage);
            for (const std::string& line : page.lines) {
                const int width = widths.TextWidth(line);
                const bool hyphen = !line.empty() && line.back() == '-';
                const bool alone = DrawnText(line).size() == 1;
                if (!alone) {
                    ASSERT_LE(width - (hyphen ? widths('-') : 0), W) << '"' << line << '"';
                }
                shown += line;
            }
            ASSERT_GT(page.nextPageStart, start) << "paging forward stood still";
            ASSERT_TRUE(page.downEnabled.has_value());
            ++pages;
            ASSERT_LE(pages, static_cast<int>(text.size()) + 2);
            if (!*page.downEnabled) {
                // Only the blank of the final line break may be left for a page nobody reaches.
                EXPECT_GE(page.nextPageStart, static_cast<std::int32_t>(text.size()));
                break;
            }
            start = page.nextPageStart;
        }
        ASSERT_EQ(Kept(shown), Kept(text));
    }
}

TEST(PageProperties, SteppingBackAlwaysLandsInsideTheTextAndNeverMovesForward)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> lines(0, 30);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(rng);
        const CharWidthTable measured = CharWidthTable::Measured(ProportionalWidth);
        std::uniform_int_distribution<std::int32_t> start(1, static_cast<std::int32_t>(text.size()) + 40);
        const std::int32_t from = start(rng);
        const int count = lines(rng);
        const StepBackResult back = StepBackLines(text, measured, 1 + round % 150, from, count);
        ASSERT_GE(back.pageStart, 1);
        ASSERT_LE(back.pageStart, std::max<std::int32_t>(from, 1));
        if (count > 0 && from > static_cast<std::int32_t>(text.size()) + 1) {
            ASSERT_LE(back.pageStart, static_cast<std::int32_t>(text.size()) + 1);
        }
    }
}

} // namespace

} // namespace lumira
