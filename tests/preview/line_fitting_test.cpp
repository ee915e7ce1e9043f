// Character classes, justification and the shortening of overflowing lines.
#include "test_widths.h"

#include <gtest/gtest.h>

#include <set>

namespace lumira {

namespace {

std::set<int> Codes(std::string_view cp1251)
{
    std::set<int> codes;
    for (char c : cp1251) codes.insert(static_cast<unsigned char>(c));
    return codes;
}

TEST(CharacterClasses, VowelsAreExactlyTheFifteenLowerCaseOnes)
{
    const std::set<int> vowels = Codes(Cp("aeijouyёаеиоуюя"));
    ASSERT_EQ(vowels.size(), 15u);
    for (int c = 0; c < 256; ++c) EXPECT_EQ(IsVowel(static_cast<unsigned char>(c)), vowels.count(c) == 1) << c;
}

TEST(CharacterClasses, EveryOtherLetterIsAConsonantAndNothingElseIs)
{
    int consonants = 0;
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<unsigned char>(c);
        EXPECT_EQ(IsConsonant(ch), IsLetter(ch) && !IsVowel(ch)) << c;
        if (IsConsonant(ch)) ++consonants;
    }
    EXPECT_EQ(consonants, 118 - 15);
    // Capitals of vowels, й ъ ы ь э and the Latin consonants, including J and Y in upper case.
    for (unsigned char c : Cp("АЕЁОЯJYйъыьэbz")) EXPECT_TRUE(IsConsonant(c)) << int(c);
    for (unsigned char c : Cp("09_*«")) EXPECT_FALSE(IsConsonant(c)) << int(c);
}

TEST(CharacterClasses, BreakCharactersAreExactlyTheSixteen)
{
    const std::set<int> breaks = Codes(" !.,;?-+=)}]\\/:>");
    ASSERT_EQ(breaks.size(), 16u);
    for (int c = 0; c < 256; ++c) EXPECT_EQ(IsBreakChar(static_cast<unsigned char>(c)), breaks.count(c) == 1) << c;
}

TEST(CharWidthTable, ControlCharactersTakeNoRoomInTheLayoutButAreMeasuredDirectly)
{
    auto measure = [](unsigned char c) { return c == 'x' ? -4 : 7; };
    const CharWidthTable layout = CharWidthTable::ForLayout(measure);
    const CharWidthTable measured = CharWidthTable::Measured(measure);
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(layout(static_cast<unsigned char>(c)), 0);
        EXPECT_EQ(measured(static_cast<unsigned char>(c)), 7);
    }
    EXPECT_EQ(layout(' '), 7);
    EXPECT_EQ(layout.Blank(), 7);
    EXPECT_EQ(layout('x'), 0);  // a negative measure is no width
    EXPECT_EQ(layout.TextWidth("a\tb"), 14);
}

// ---- JustifyLine ----

std::string Justified(std::string line, int k)
{
    JustifyLine(line, k);
    return line;
}

TEST(JustifyLine, ExtraBlanksGoToTheRightmostGapsFirst)
{
    EXPECT_EQ(Justified("a b c", 3), "a  b   c");
    EXPECT_EQ(Justified("a b c d", 2), "a b  c  d");  // fewer blanks than gaps
    EXPECT_EQ(Justified("a b c", 4), "a   b   c");
    EXPECT_EQ(Justified("a b c", 1), "a b  c");
    // Each blank of a run counts by itself.
    EXPECT_EQ(Justified("a  b", 2), "a    b");
    EXPECT_EQ(Justified("a  b", 1), "a   b");
}

TEST(JustifyLine, LeadingAndTrailingBlanksNeverGrow)
{
    EXPECT_EQ(Justified("  a b ", 2), "  a   b ");
    EXPECT_EQ(Justified("   ab ", 5), "   ab ");
    EXPECT_EQ(Justified("ab ", 5), "ab ");
}

TEST(JustifyLine, LinesWithoutInnerBlanksAndNonPositiveCountsStayAsTheyAre)
{
    EXPECT_EQ(Justified("", 3), "");
    EXPECT_EQ(Justified("    ", 3), "    ");
    EXPECT_EQ(Justified("word", 3), "word");
    EXPECT_EQ(Justified("a b", 0), "a b");
    EXPECT_EQ(Justified("a b", -2), "a b");
}

// ---- FitLine ----

struct Fitted {
    std::string line;
    int g = 0;
    bool hyphenated = false;
};

class FitLineWidths : public ::testing::TestWithParam<bool> {
protected:
    CharWidthTable widths = GetParam() ? ProportionalWidths() : FixedWidths();
    Fitted Fit(std::string_view utf8)
    {
        Fitted f{Cp(utf8)};
        const std::string text = f.line;
        const int screen = widths.TextWidth(text.substr(0, text.size() - 1));
        const FitResult r = FitLine(f.line, widths.TextWidth(text), screen, widths);
        f.g = r.g;
        f.hyphenated = r.hyphenated;
        return f;
    }
};

TEST_P(FitLineWidths, HyphenatesAfterAVowelOrBetweenTwoConsonants)
{
    Fitted f = Fit("молоко");
    EXPECT_EQ(f.line, Cp("мо-"));
    EXPECT_EQ(f.g, 3);  // the next line begins with "локо"
    EXPECT_TRUE(f.hyphenated);

    f = Fit("сестра");
    EXPECT_EQ(f.line, Cp("сес-"));
    EXPECT_EQ(f.g, 2);  // "тра"

    // Capitals are never vowels: every pair is two consonants, and at least three letters move.
    f = Fit("МОЛОКО");
    EXPECT_EQ(f.line, Cp("МОЛ-"));
    EXPECT_EQ(f.g, 2);  // "ОКО"
}

TEST_P(FitLineWidths, BreaksAfterPunctuationKeepingIt)
{
    Fitted f = Fit("один,дв");
    EXPECT_EQ(f.line, Cp("один,"));
    EXPECT_EQ(f.g, 1);  // "два" begins the next line
    f = Fit("один,два");
    EXPECT_EQ(f.line, Cp("один,"));
    EXPECT_EQ(f.g, 2);

    // A comma right before the overflowing letter stays; the letter begins the next line.
    f = Fit("слово,x");
    EXPECT_EQ(f.line, Cp("слово,"));
    EXPECT_EQ(f.g, 0);
}

TEST_P(FitLineWidths, AFullStopOverflowingAfterAWordTakesTheWordAlong)
{
    Fitted f = Fit("aa мы.");
    EXPECT_EQ(f.line, "aa");
    EXPECT_EQ(f.g, 2);  // "мы." moves whole
    f = Fit("aa слово.");
    EXPECT_EQ(f.line.substr(0, 3), "aa ");
    EXPECT_EQ(f.line.substr(f.line.find_last_not_of(' ') + 1 - 4), Cp("сло-"));  // justified in between
    EXPECT_EQ(f.g, 2);  // "во."
}

TEST_P(FitLineWidths, TheBreakOfAPassIsTriedBeforeItsHyphenation)
{
    // In the pass that could split "a-bcd", the comma before "a" is found first.
    Fitted f = Fit("x,abcd");
    EXPECT_EQ(f.line, "x,");
    EXPECT_EQ(f.g, 3);
    // A split nearer the end beats a break further back.
    f = Fit("за,молоко");
    EXPECT_EQ(f.line, Cp("за,мо-"));
    EXPECT_EQ(f.g, 3);
}

TEST_P(FitLineWidths, SplitsOnlyBetweenLettersWithAtLeastThreeMoving)
{
    // Digits never hyphenate: with no break point the overflowing character alone goes.
    Fitted f = Fit("1234567890");
    EXPECT_EQ(f.line, "123456789");
    EXPECT_EQ(f.g, 0);
    EXPECT_FALSE(f.hyphenated);
    // A digit right after Y forbids the split there.
    f = Fit("мо1око");
    EXPECT_EQ(f.line, Cp("мо1ок"));
    EXPECT_EQ(f.g, 0);
    // "ab" + overflow: nothing could move three characters.
    f = Fit("abc");
    EXPECT_EQ(f.line, "ab");
    EXPECT_EQ(f.g, 0);
    // Asterisks and underscores are no break characters either.
    f = Fit("**__**__**");
    EXPECT_EQ(f.line, "**__**__*");
    EXPECT_EQ(f.g, 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, FitLineWidths, ::testing::Bool(),
                         [](const auto& instance) { return instance.param ? "Proportional" : "Fixed"; });

TEST(FitLine, ABlankBeforeTheOverflowingCharacterGoesWithItAndTheRestIsJustified)
{
    const CharWidthTable widths = FixedWidths(6);
    std::string line = "ab cd X";  // 42 wide on a 40-pixel screen
    const FitResult r = FitLine(line, 42, 40, widths);
    EXPECT_EQ(r.g, 1);
    EXPECT_EQ(r.width, 30);
    EXPECT_EQ(line, "ab  cd");  // (40 - 30) / 6 = 1 extra blank
}

TEST(FitLine, ABreakAtABlankDropsTheBlankAndJustifiesWhatStays)
{
    const CharWidthTable widths = FixedWidths(6);
    std::string line = "a b cdefg";  // the last "g" overflows 48 pixels; no split in "cdef"
    const FitResult r = FitLine(line, 54, 48, widths);
    EXPECT_EQ(r.g, 4);  // the next line begins 4 before the "g": at "c"
    EXPECT_EQ(r.width, 18);
    EXPECT_EQ(line, "a      b");  // (48 - 18) / 6 = 5 extra blanks, all in the one gap
}

TEST(FitLine, TheHyphenMayStickOutAndThenNothingIsJustified)
{
    // Letters 4 wide, the hyphen 20: "аб мо-" is 40 wide on a 35-pixel screen.
    const CharWidthTable widths = CharWidthTable::ForLayout([](unsigned char c) { return c == '-' ? 20 : 4; });
    std::string line = Cp("аб молоко");
    const FitResult r = FitLine(line, 36, 35, widths);
    EXPECT_EQ(line, Cp("аб мо-"));
    EXPECT_EQ(r.width, 40);
    EXPECT_EQ(r.g, 3);
    // With a narrow hyphen the room left is spread over the blank.
    const CharWidthTable narrow = CharWidthTable::ForLayout([](unsigned char) { return 4; });
    line = Cp("аб молоко");
    FitLine(line, 36, 35, narrow);
    EXPECT_EQ(line, Cp("аб   мо-"));  // 24 wide with the hyphen: (35 - 24) / 4 = 2 more blanks
}

TEST(FitLine, ASingleCharacterIsLeftStandingAlone)
{
    std::string line = "W";
    const FitResult r = FitLine(line, 12, 5, FixedWidths(12));
    EXPECT_EQ(line, "W");
    EXPECT_EQ(r.g, -1);
    // Two characters with no break between them: the second goes.
    line = "WW";
    EXPECT_EQ(FitLine(line, 24, 5, FixedWidths(12)).g, 0);
    EXPECT_EQ(line, "W");
}

} // namespace

} // namespace lumira
