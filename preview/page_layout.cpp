// Page layout and the backward page estimate.
#include "preview/page_layout.h"

#include <algorithm>

namespace lumira {

namespace {

constexpr unsigned char kBlank = ' ';
constexpr unsigned char kCR = 13;
constexpr unsigned char kLF = 10;

// Where a title's line begins so that its text stands centred: its trailing blanks (the line
// break read as a blank) take no part, and a line wider than the screen begins at the edge.
int CentredX(std::string_view line, const CharWidthTable& widths, int W)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) == kBlank) line.remove_suffix(1);
    return std::max(0, (W - widths.TextWidth(line)) / 2);
}

} // namespace

unsigned char PreviewCharAt(std::string_view text, std::int64_t pos, DownButtonState& down)
{
    if (pos <= 0) return 0;
    if (pos > static_cast<std::int64_t>(text.size())) {
        down = false;
        return 0;
    }
    down = true;
    const auto c = static_cast<unsigned char>(text[static_cast<size_t>(pos - 1)]);
    return c == kCR ? kBlank : c;
}

PageLayout LayoutPage(std::string_view text, const CharWidthTable& widths, const PageGeometry& geometry,
                      std::int32_t pageStart)
{
    PageLayout page;
    const int W = geometry.width;
    const int LH = geometry.lineHeight;
    const int B = widths.Blank();
    page.lineHeight = LH;
    if (geometry.showSysline) {
        if (geometry.syslineIndex == 0) {
            page.bandY = 0;
            page.top = kSyslineHeight;
        } else {
            page.bandY = geometry.height - kSyslineHeight;
        }
    }
    page.nextPageStart = pageStart;
    if (LH <= 0 || B <= 0) return page;  // nothing can be laid out without a line height and a blank
    const int usable = geometry.height - (geometry.showSysline ? kSyslineHeight : 0);
    page.linesPerPage = std::max(0, usable / LH);

    // Positions run in 64 bits so that a page start near the 32-bit limit cannot wrap.
    std::int64_t r = pageStart;
    unsigned char P = kLF;
    bool end = false;
    DownButtonState& down = page.downEnabled;
    std::string line;
    bool title = false;  // the last line ended inside a title, which goes on unjustified
    while (!end && static_cast<int>(page.lines.size()) < page.linesPerPage) {
        const std::int64_t lineStart = r;
        line.clear();
        int w = 0;
        bool overflow = false;
        bool spacer = false;
        bool titleLine = title;
        auto append = [&](unsigned char c) {
            line.push_back(static_cast<char>(c));
            w += widths(c);
            P = c;
        };
        for (;;) {
            const unsigned char c = PreviewCharAt(text, r, down);
            ++r;
            if (P == kLF && c == kTitleMark) {
                line.clear();  // a title is never indented
                w = 0;
                titleLine = true;
            }
            if (P == kLF && c == kSpacerMark) {
                // The spacer takes its own line break with it.
                if (PreviewCharAt(text, r, down) == kBlank) ++r;
                if (PreviewCharAt(text, r, down) == kLF) ++r;
                spacer = true;
                break;
            }
            if (c == kBlank) {
                if (P == kLF) {
                    if (line.size() < static_cast<size_t>(kMaxIndent)) {
                        line.push_back(static_cast<char>(kBlank));
                        w += B;
                    }
                } else if (P != kBlank && !line.empty()) {
                    append(c);
                }
            } else if (c == kLF) {
                const unsigned char next = PreviewCharAt(text, r, down);
                if (titleLine || next == kBlank || next == kLF || next == kTitleMark || next == kSpacerMark) {
                    P = kLF;
                    break;  // paragraph end
                }
                append(kBlank);
            } else if (c == 0) {
                end = true;
                break;
            } else {
                append(c);
            }
            if (w > W) {
                overflow = true;
                break;
            }
        }

        if (overflow) {
            std::int64_t next;
            const std::string taken = line;
            if (line.size() <= 1) {
                // A single character wider than the screen stands alone; reading goes on after it.
                next = r;
            } else if (P == kBlank || P == kLF) {
                line.pop_back();
                w -= B;
                if (!titleLine) JustifyLine(line, (W - w) / B);
                next = r - 1;
            } else {
                const FitResult fit = FitLine(line, w, W, widths, geometry.hyphenation, !titleLine);
                next = r - fit.g - 1;
            }
            if (next <= lineStart) {
                // The next line would begin where this one began: cut at the last character that
                // fits instead (the line held at least two characters here).
                line = taken;
                line.pop_back();
                if (!titleLine) JustifyLine(line, (W - widths.TextWidth(line)) / B);
                next = r - 1;
            }
            r = next;
        }
        if (spacer) {
            line.assign(1, static_cast<char>(kSpacerMark));
            if (page.lines.empty()) continue;  // no empty line at the top of a page
        }
        // A title that did not end on this line goes on on the next.
        title = titleLine && P != kLF;
        page.lineX.push_back(titleLine && !spacer ? CentredX(line, widths, W) : 0);
        page.lines.push_back(line);
    }
    page.nextPageStart = static_cast<std::int32_t>(std::clamp<std::int64_t>(r, INT32_MIN, INT32_MAX));
    return page;
}

StepBackResult StepBackLines(std::string_view text, const CharWidthTable& measured, int screenWidth,
                             std::int32_t pageStart, int lines)
{
    StepBackResult result;
    std::int64_t p = pageStart;
    const auto length = static_cast<std::int64_t>(text.size());
    // A start left past the end of a replaced, shorter text is scanned from the text's end:
    // scanning from there would stop at once and the page could never move back.
    if (lines > 0 && p > length + 1) p = length + 1;
    int n = lines;
    int w = 0;
    for (;;) {
        --p;
        if (p < 0 || n <= 0) break;
        const unsigned char c = PreviewCharAt(text, p, result.downEnabled);
        if (c == kLF) {
            w = 0;
            --n;
        } else if (c == 0) {
            break;
        }
        // The LF itself is measured too, as the first width of the line before it.
        w += measured(c);
        if (w > screenWidth) {
            w = 0;
            --n;
        }
    }
    result.pageStart = static_cast<std::int32_t>(p + 1);
    return result;
}

} // namespace lumira
