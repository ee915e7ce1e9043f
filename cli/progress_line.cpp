#include "cli/progress_line.h"
#include "platform/language.h"

namespace lumira {

namespace {

// Characters (not bytes) of a UTF-8 text, to pad over what was there before.
size_t Width(const std::string& utf8)
{
    size_t n = 0;
    for (const unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

} // namespace

ProgressLine::ProgressLine(std::FILE* stream, bool terminal, bool verbose)
    : stream_(stream), terminal_(terminal), verbose_(verbose)
{
}

void ProgressLine::Show(const std::string& text)
{
    if (!terminal_) return;
    std::string line = "\r" + text;
    const size_t width = Width(text);
    if (width < shown_) line.append(shown_ - width, ' ');
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
    shown_ = width;
}

void ProgressLine::Begin(const std::string& label)
{
    label_ = label;
    percent_ = -1;
    shown_ = 0;
    Show(label_ + " …");
}

void ProgressLine::Archived(std::uint64_t done, std::uint64_t total)
{
    if (!terminal_ || total < kLargeText) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == percent_) return;
    percent_ = percent;
    Show(label_ + " " + std::to_string(percent) + "%");
}

void ProgressLine::Done(const std::string& label)
{
    if (!label.empty()) label_ = label;
    if (terminal_) {
        Show(label_ + Translate("lumira-cli", " — готово"));
        std::fputs("\n", stream_);
    } else if (verbose_) {
        std::fputs((label_ + Translate("lumira-cli", " — готово") + "\n").c_str(), stream_);
    }
    std::fflush(stream_);
    shown_ = 0;
}

void ProgressLine::Abandon()
{
    if (terminal_ && shown_ > 0) {
        std::fputs(("\r" + std::string(shown_, ' ') + "\r").c_str(), stream_);
        std::fflush(stream_);
    }
    shown_ = 0;
}

} // namespace lumira
