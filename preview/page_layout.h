#pragma once
// One page of a book laid out as the phone shows it, and the backward page estimate used to
// page back. Plain C++ over cp1251 bytes: the desktop preview draws the result, the command-line
// page dump prints it, and the reader on the phone must lay out the same lines.
//
// The text. The layout reads one cp1251 byte string in which every line of the text is followed
// by CR LF (13, 10), the last line included (JoinLines of a line list gives exactly that).
// Positions in it are 1-based: position p is text[p - 1]. The text never holds byte 0.
//
// Reading a character (PreviewCharAt): position p inside the text gives its byte, a CR coming
// back as a blank; any other position gives 0, "no character". Each read of a position above 0
// decides the "next page" button: on when the position lay inside the text, off when it lay past
// its end. Reads of positions 0 or below leave the button as it was.
//
// Laying out a page, starting at `pageStart` with "last taken character" P = LF:
//  - lines per page = (H - S) / LH truncated, S = 6 while the system line is shown, else 0;
//  - each line reads characters until it is closed by a paragraph end, by the end of the text,
//    or by overflowing the screen width W:
//      blank (or CR): while P is LF (paragraph start) the line takes up to 3 blanks of
//        indentation and P stays LF; otherwise a blank after a blank or at the line's start is
//        skipped, any other is appended;
//      LF: when the next character (read, not consumed) is a blank, CR or LF, the paragraph
//        ends: P = LF and the line closes, unjustified; otherwise the LF is appended as a blank;
//      end of the text: the line closes and the page ends with it;
//      anything else (control characters included, 0 wide): appended;
//    where appending c adds c to the line, its width to w, and sets P = c. P carries over from
//    one line to the next; only the page's start sets it to LF.
//  - overflow (w > W) right after a blank was taken (P is blank or LF): that blank goes, the line
//    is justified by (W - w) / B blanks (B = width of a blank) and reading resumes at that blank;
//    after any other character: FitLine (line_fitting.h), and reading resumes g positions before
//    the overflowing character.
//  - marks (line_fitting.h): at a paragraph start, kTitleMark drops the indentation, is appended,
//    and makes the rest of the text line a title: its LF always ends the paragraph, and its
//    screen lines stand at the left edge, never justified. kSpacerMark at a paragraph start takes the blank (CR) and LF after
//    it and gives a screen line holding only the mark, except as a page's first line, where it
//    gives nothing.
//    An LF followed by either mark ends a paragraph.
//  - progress: a line always consumes text. When the rules above would make the next line begin
//    where this one began (a character wider than the screen at a line's start, or a blank and
//    such a character), the line is cut at the last character that fits, and a single character
//    wider than the screen stands alone on its line; reading goes on after it.
//  - the page's next start is the reading position after the last line: after a line that ended
//    at the end of the text that is the text's length + 2.
//  - a line height or blank width of 0 or less leaves the page empty: no lines, no characters
//    read, the next start equal to `pageStart`.
#include "preview/line_fitting.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// Height of the phone's system-line band, in pixels.
inline constexpr int kSyslineHeight = 6;
// Fill colour of the band, as a colour value 0x00BBGGRR.
inline constexpr std::int32_t kSyslineColor = 0xFFE4CC;
// Longest indentation kept at a paragraph's start, in blanks.
inline constexpr int kMaxIndent = 3;

// The state of the "next page" button as character reads leave it: unset until a position
// above 0 has been read.
using DownButtonState = std::optional<bool>;

// The character at 1-based position `pos` of `text`: 0 outside the text, a blank for a CR, the
// byte otherwise. A read of a position above 0 sets `down` to whether it lay inside the text.
unsigned char PreviewCharAt(std::string_view text, std::int64_t pos, DownButtonState& down);

// The screen a page is laid out for.
struct PageGeometry {
    int width = 0;             // W, pixels
    int height = 0;            // H, pixels
    int lineHeight = 0;        // LH: the glyph strip's height
    bool showSysline = true;   // the band is shown
    int syslineIndex = 1;      // the system-line choice: 0 puts the band at the top, any other at the bottom
    Hyphenation hyphenation = Hyphenation::Simple;  // where words at a line's end may be split
};


struct PageLayout {
    // The lines as laid out, top to bottom: cp1251 bytes with indentation, inner and trailing
    // blanks, an appended hyphen and control characters (1..31) exactly as the line holds them.
    // Control characters take no room and are not drawn.
    std::vector<std::string> lines;
    // Where each line begins, in pixels from the left edge: 0, but a title's line stands centred,
    // (W - its width without trailing blanks) / 2 truncated, never left of the edge.
    std::vector<int> lineX;
    // The reading position after the last line: where the next page starts.
    std::int32_t nextPageStart = 0;
    // How many lines the screen holds: (H - S) / LH, never below 0 (0 when LH or the blank
    // width is 0 or less).
    std::int32_t linesPerPage = 0;
    // The "next page" button after the layout's reads (see PreviewCharAt); unset when nothing was
    // read, in which case the button keeps its state.
    DownButtonState downEnabled;
    // The y of line 0: 6 with the band at the top, else 0. Line n is drawn at n * lineHeight + top.
    int top = 0;
    // The band's top edge, unset while the band is hidden: 0 at the top, H - 6 at the bottom.
    std::optional<int> bandY;
    int lineHeight = 0;

    int LineY(int n) const { return n * lineHeight + top; }
};

// Lays out the page that starts at 1-based `pageStart` of `text` (every line followed by CR LF).
// `widths` is the book's CharWidth (CharWidthTable::ForLayout). A page start past the text's
// end gives one empty line and the next start pageStart + 1.
PageLayout LayoutPage(std::string_view text, const CharWidthTable& widths, const PageGeometry& geometry,
                      std::int32_t pageStart);


// The backward page estimate.
struct StepBackResult {
    std::int32_t pageStart = 1;
    DownButtonState downEnabled;  // as the scan's reads leave the "next page" button
};

// Moves a page start back by an estimated `lines` screen lines. Scanning backward from the
// position before `pageStart`, it counts a line at every LF and every time the width of the
// characters read since the last counted line exceeds `screenWidth`; when the count is used up
// the new start is the position where that happened (the LF, or the character that made the
// width exceed the screen), and when the scan passes the text's start the new start is 1.
// Nothing is joined or hyphenated, so this is only an estimate of one page back.
// `measured` gives each character's width measured directly, control characters included
// (CharWidthTable::Measured); a CR is measured as the blank it reads as.
// A page start lying more than one position past the text's end (the text was replaced by a
// shorter one) is scanned from the text's end, so paging back always works.
// `lines` <= 0 leaves the start where it is.
StepBackResult StepBackLines(std::string_view text, const CharWidthTable& measured, int screenWidth,
                             std::int32_t pageStart, int lines);

} // namespace lumira
