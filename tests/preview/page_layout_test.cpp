// Laying out pages: reading the text, paragraphs and blanks, overflow, page geometry, the
// "next page" button, and the backward page estimate.
#include "preview/page_layout.h"
#include "test_widths.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

using Lines = std::vector<std::string>;

PageGeometry Screen(int width, int height = 1000, int lineHeight = 10, bool sysline = false, int syslineIndex = 1)
{
    return PageGeometry{width, height, lineHeight, sysline, syslineIndex};
}

PageLayout Layout(std::string_view text, const CharWidthTable& widths, int width, std::int32_t start = 1,
                  int height = 1000)
{
    return LayoutPage(text, widths, Screen(width, height), start);
}

// ---- Reading characters ----

TEST(PreviewCharAt, GivesTheByteACrAsABlankAndZeroOutsideTheText)
{
    const std::string text = "a\r\n";
    DownButtonState down;
    EXPECT_EQ(PreviewCharAt(text, 0, down), 0);
    EXPECT_EQ(PreviewCharAt(text, -5, down), 0);
    EXPECT_FALSE(down.has_value());  // positions 0 and below leave the button alone
    EXPECT_EQ(PreviewCharAt(text, 4, down), 0);
    EXPECT_EQ(down, false);
    EXPECT_EQ(PreviewCharAt(text, 2, down), ' ');
    EXPECT_EQ(down, true);
    EXPECT_EQ(PreviewCharAt(text, 0, down), 0);
    EXPECT_EQ(down, true);
    EXPECT_EQ(PreviewCharAt(text, 3, down), '\n');
    EXPECT_EQ(PreviewCharAt(text, 1, down), 'a');
}

// ---- Paragraphs, line breaks and blanks (both width tables, a wide screen) ----

class WideScreen : public ::testing::TestWithParam<bool> {
protected:
    CharWidthTable widths = GetParam() ? ProportionalWidths() : FixedWidths();
    PageLayout Lay(std::string_view text) { return Layout(text, widths, 10000); }
};

TEST_P(WideScreen, ALineBreakInsideAParagraphBecomesTwoBlanks)
{
    const PageLayout page = Lay("A\r\nB\r\n");
    EXPECT_EQ(page.lines, (Lines{"A  B  "}));
    EXPECT_EQ(page.downEnabled, false);
    EXPECT_EQ(page.nextPageStart, 8);  // the text's length + 2
}

TEST_P(WideScreen, AnEmptyLineIndentsTheNextParagraph)
{
    EXPECT_EQ(Lay("A\r\n\r\nB\r\n").lines, (Lines{"A ", "  B  "}));
    // Two empty lines: the first shows as a line holding one blank.
    EXPECT_EQ(Lay("A\r\n\r\n\r\nB\r\n").lines, (Lines{"A ", " ", "  B  "}));
}

TEST_P(WideScreen, IndentationKeepsAtMostThreeBlanksAndInnerBlanksCollapse)
{
    EXPECT_EQ(Lay("one\r\n     two\r\n").lines, (Lines{"one ", "   two  "}));
    // A page starts as a paragraph does.
    EXPECT_EQ(Lay("     two   three \r\n").lines, (Lines{"   two three  "}));
    // Blanks after a single line break collapse with the CR's blank; the LF's stays.
    EXPECT_EQ(Lay("a  \r\nb\r\n").lines, (Lines{"a  b  "}));
}

TEST_P(WideScreen, ControlCharactersStayInTheLineButTakeNoRoomAndAreNotDrawn)
{
    const PageLayout page = Lay("a\tb\x01" "c\r\n");
    EXPECT_EQ(page.lines, (Lines{"a\tb\x01" "c  "}));
    EXPECT_EQ(DrawnText(page.lines[0]), "abc  ");
}

INSTANTIATE_TEST_SUITE_P(Widths, WideScreen, ::testing::Bool(),
                         [](const auto& instance) { return instance.param ? "Proportional" : "Fixed"; });

// ---- Overflow (every character 6 wide) ----

TEST(PageLayout, ATabTakesNoRoomWhenLinesAreFilled)
{
    // Four characters fit in 24 pixels; the tab does not count.
    const PageLayout withTab = Layout("ab\tcd efgh\r\n", FixedWidths(), 24);
    const PageLayout without = Layout("abcd efgh\r\n", FixedWidths(), 24);
    ASSERT_EQ(withTab.lines.size(), without.lines.size());
    EXPECT_EQ(withTab.lines[0], "ab\tcd");
    for (size_t i = 0; i < withTab.lines.size(); ++i) EXPECT_EQ(DrawnText(withTab.lines[i]), without.lines[i]);
}

TEST(PageLayout, OverflowAtALineBreakDropsTheBlankAndTheNextLineStartsWithOne)
{
    // Overflow at the CR: "aaa" fills 20 pixels, the CR's blank does not fit.
    EXPECT_EQ(Layout("aaa\r\nbb\r\n", FixedWidths(), 20).lines, (Lines{"aaa", " bb", " "}));
    // Overflow at the blank made from the LF: the LF is read again and begins the next line.
    EXPECT_EQ(Layout("aaa\r\nbb\r\n", FixedWidths(), 26).lines, (Lines{"aaa ", " bb ", " "}));
}

TEST(PageLayout, OverflowingWordsAreHyphenatedAndOverflowingLinesJustified)
{
    // Five letters fit in 35 pixels.
    EXPECT_EQ(Layout(Cp("молоко\r\n"), FixedWidths(), 35).lines, (Lines{Cp("мо-"), Cp("локо "), " "}));
    EXPECT_EQ(Layout(Cp("сестра\r\n"), FixedWidths(), 35).lines, (Lines{Cp("сес-"), Cp("тра  ")}));
    // An overflowing line is justified, a line closed by a paragraph end is not.
    EXPECT_EQ(Layout("aa b cccc\r\n\r\ndd e\r\n", FixedWidths(), 48).lines,
              (Lines{"aa     b", "cccc ", "  dd e  "}));
}

TEST(PageLayout, TheNextPageStartsWhereTheNextLineWouldRead)
{
    const std::string text = "aaa\r\n\r\nbbb\r\n\r\nccc\r\n";
    const PageLayout first = LayoutPage(text, FixedWidths(), Screen(100, 20, 10), 1);
    EXPECT_EQ(first.linesPerPage, 2);
    EXPECT_EQ(first.lines, (Lines{"aaa ", "  bbb "}));
    EXPECT_EQ(first.downEnabled, true);
    EXPECT_EQ(first.nextPageStart, 13);  // the CR of the empty line before "ccc"
    const PageLayout second = LayoutPage(text, FixedWidths(), Screen(100, 20, 10), first.nextPageStart);
    EXPECT_EQ(second.lines, (Lines{"  ccc  "}));
    EXPECT_EQ(second.nextPageStart, static_cast<std::int32_t>(text.size()) + 2);
    EXPECT_EQ(second.downEnabled, false);
}

TEST(PageLayout, APageStartPastTheEndShowsOneEmptyLine)
{
    const PageLayout page = Layout("ab\r\n", FixedWidths(), 100, 40);
    EXPECT_EQ(page.lines, (Lines{""}));
    EXPECT_EQ(page.nextPageStart, 41);
    EXPECT_EQ(page.downEnabled, false);
}

// ---- Geometry ----

TEST(PageLayout, LinesPerPageAndTheBandFollowTheSystemLine)
{
    const std::string text = "x\r\n";
    auto lay = [&](int lineHeight, bool sysline, int index) {
        return LayoutPage(text, FixedWidths(), Screen(176, 220, lineHeight, sysline, index), 1);
    };
    PageLayout p = lay(13, true, 1);
    EXPECT_EQ(p.linesPerPage, 16);
    EXPECT_EQ(p.bandY, 220 - 6);
    EXPECT_EQ(p.LineY(0), 0);
    EXPECT_EQ(p.LineY(2), 26);
    p = lay(13, true, 0);
    EXPECT_EQ(p.bandY, 0);
    EXPECT_EQ(p.LineY(0), 6);
    EXPECT_EQ(p.LineY(1), 19);
    p = lay(13, false, 0);
    EXPECT_EQ(p.linesPerPage, 16);
    EXPECT_FALSE(p.bandY.has_value());
    EXPECT_EQ(p.LineY(0), 0);
    EXPECT_EQ(lay(11, true, 1).linesPerPage, 19);
    EXPECT_EQ(lay(11, false, 1).linesPerPage, 20);
    // Any index other than 0 puts the band at the bottom.
    EXPECT_EQ(lay(11, true, -1).bandY, 214);
    // A screen lower than the band holds no line.
    EXPECT_EQ(LayoutPage(text, FixedWidths(), Screen(176, 4, 11, true, 1), 1).linesPerPage, 0);
}

TEST(PageLayout, NoLineHeightOrNoBlankWidthGivesAnEmptyPage)
{
    const std::string text = "some text\r\n";
    const PageLayout noHeight = LayoutPage(text, FixedWidths(), Screen(100, 100, 0), 5);
    EXPECT_TRUE(noHeight.lines.empty());
    EXPECT_EQ(noHeight.linesPerPage, 0);
    EXPECT_EQ(noHeight.nextPageStart, 5);
    EXPECT_FALSE(noHeight.downEnabled.has_value());
    const CharWidthTable noBlank = CharWidthTable::ForLayout([](unsigned char c) { return c == ' ' ? 0 : 6; });
    const PageLayout page = LayoutPage(text, noBlank, Screen(100, 100, 10), 1);
    EXPECT_TRUE(page.lines.empty());
    EXPECT_EQ(page.nextPageStart, 1);
}

// ---- Lines that cannot be broken ----

TEST(PageLayout, ARunWithoutBreakPointIsCutAtTheLastCharacterThatFits)
{
    EXPECT_EQ(Layout("12345678901234\r\n", FixedWidths(), 30).lines, (Lines{"12345", "67890", "1234 ", " "}));
    EXPECT_EQ(Layout("*****_____\r\n", FixedWidths(), 24).lines, (Lines{"****", "*___", "__  "}));
}

TEST(PageLayout, ACharacterWiderThanTheScreenStandsAlone)
{
    // Every character is 6 wide on a 4-pixel screen.
    const PageLayout page = Layout("ab c\r\n", FixedWidths(), 4);
    EXPECT_EQ(page.lines, (Lines{"a", "b", "c", " ", ""}));  // the text's end closes an empty line
    EXPECT_EQ(page.downEnabled, false);
    // A blank wider than the screen: indentation blanks stand alone one by one, reading goes on.
    const CharWidthTable wideBlank = CharWidthTable::ForLayout([](unsigned char c) { return c == ' ' ? 8 : 6; });
    const PageLayout indented = Layout("  a\r\n", wideBlank, 6);
    EXPECT_EQ(indented.lines.front(), " ");
    EXPECT_EQ(indented.lines[1], " ");
    EXPECT_EQ(indented.lines[2], "a");
    EXPECT_EQ(indented.downEnabled, false);
}

TEST(PageLayout, ABlankFromALineBreakBeforeATooWideCharacterStillLetsReadingMoveOn)
{
    // "W" is 10 wide on a 12-pixel screen; the blank made from the LF fits alone, "W" after it
    // does not: the line keeps the blank, "W" begins the next.
    const CharWidthTable widths = CharWidthTable::ForLayout([](unsigned char c) { return c == 'W' ? 10 : 6; });
    const PageLayout page = Layout("ab\r\nW\r\n", widths, 12);
    ASSERT_EQ(page.downEnabled, false);
    bool alone = false;
    for (const auto& l : page.lines) alone = alone || l == "W";
    EXPECT_TRUE(alone);
}

// ---- The backward page estimate ----

TEST(StepBackLines, CountsALineAtEveryLf)
{
    // a1 a2 CR3 LF4 b5 b6 CR7 LF8 c9 c10 CR11 LF12 d13 d14 CR15 LF16
    const std::string text = "aa\r\nbb\r\ncc\r\ndd\r\n";
    const CharWidthTable w = CharWidthTable::Measured([](unsigned char) { return 6; });
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 1).pageStart, 12);  // starts on the LF
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 2).pageStart, 8);
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 3).pageStart, 4);
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 4).pageStart, 1);  // fewer lines before: back to 1
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 40).pageStart, 1);
    EXPECT_EQ(StepBackLines(text, w, 100, 13, 0).pageStart, 13);
    EXPECT_EQ(StepBackLines(text, w, 100, 1, 5).pageStart, 1);
    // A page begun on an LF followed by a letter starts with a blank.
    EXPECT_EQ(LayoutPage(text, FixedWidths(), Screen(100, 10, 10), 12).lines, (Lines{" dd  "}));
}

TEST(StepBackLines, CountsALineWheneverTheWidthSinceTheLastOneExceedsTheScreen)
{
    const std::string text = "abcdefghij\r\n";
    const CharWidthTable w = CharWidthTable::Measured([](unsigned char) { return 6; });
    // j i h g f are 30 pixels; "e" makes 36 > 30 and is where the line count runs out.
    EXPECT_EQ(StepBackLines(text, w, 30, 11, 1).pageStart, 5);
    EXPECT_EQ(StepBackLines(text, w, 30, 11, 2).pageStart, 1);
    // Control characters are measured as they are, not taken as 0.
    const std::string tabs = "ab\t\t\tcd\r\n";
    const CharWidthTable measured = CharWidthTable::Measured([](unsigned char c) { return c == '\t' ? 20 : 6; });
    EXPECT_EQ(StepBackLines(tabs, measured, 30, 8, 1).pageStart, 5);  // d, c and the tab at 5 make 32 > 30
    // The LF itself is measured too: a 40-pixel LF ends a line of its own at once.
    const CharWidthTable wideLf = CharWidthTable::Measured([](unsigned char c) { return c == '\n' ? 40 : 6; });
    EXPECT_EQ(StepBackLines(text, wideLf, 30, 13, 2).pageStart, 12);
}

TEST(StepBackLines, AStartPastTheEndOfAShorterTextScansFromItsEnd)
{
    const std::string text = "aa\r\nbb\r\n";  // 8 bytes
    const CharWidthTable w = CharWidthTable::Measured([](unsigned char) { return 6; });
    StepBackResult back = StepBackLines(text, w, 100, 500, 1);
    EXPECT_EQ(back.pageStart, 8);  // the final LF: the one line before the end
    EXPECT_EQ(back.downEnabled, true);
    back = StepBackLines(text, w, 100, 500, 2);
    EXPECT_EQ(back.pageStart, 4);
    EXPECT_EQ(StepBackLines(text, w, 100, 10, 3).pageStart, 1);
    // Just past the end the scan already starts inside the text.
    EXPECT_EQ(StepBackLines(text, w, 100, 9, 1).pageStart, 8);
}

} // namespace

} // namespace lumira
