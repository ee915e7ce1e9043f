#include "book/text_normaliser.h"

namespace {

constexpr size_t kInputSize = 64 * 1024;

} // namespace

NormalisedText::NormalisedText(const std::filesystem::path& file, bool closeLastLine)
    : in_(file), input_(kInputSize), closeLastLine_(closeLastLine)
{
}

bool NormalisedText::Refill()
{
    if (ended_) return false;
    avail_ = in_.Read(input_.data(), input_.size());
    pos_ = 0;
    if (avail_ == 0) ended_ = true;
    return avail_ != 0;
}

size_t NormalisedText::Read(void* buffer, size_t count)
{
    char* out = static_cast<char*>(buffer);
    char* const end = out + count;
    while (out < end) {
        if (pendingLf_) {
            *out++ = '\n';
            pendingLf_ = false;
            continue;
        }
        if (pos_ == avail_ && !Refill()) {
            if (!lineOpen_ || !closeLastLine_) break;
            // The last line had no break of its own.
            lineOpen_ = false;
            *out++ = '\r';
            pendingLf_ = true;
            continue;
        }
        const char* in = input_.data() + pos_;
        const char* stop = input_.data() + avail_;
        while (in < stop && out < end) {
            const char c = *in;
            if (static_cast<unsigned char>(c) > '\r' || (c != '\r' && c != '\n' && c != '\0')) {
                *out++ = c;
                ++in;
                afterCr_ = false;
                lineOpen_ = true;
                continue;
            }
            if (c == '\0') {
                // The text ends here; nothing after it is read.
                ended_ = true;
                stop = in;
                break;
            }
            ++in;
            if (c == '\n' && afterCr_) {
                afterCr_ = false;  // the second half of a CR LF already written
                continue;
            }
            afterCr_ = c == '\r';
            lineOpen_ = false;
            *out++ = '\r';
            pendingLf_ = true;
            break;
        }
        pos_ = static_cast<size_t>(in - input_.data());
        if (ended_ && pos_ < avail_) avail_ = pos_;
    }
    return static_cast<size_t>(out - static_cast<char*>(buffer));
}

std::uint64_t NormalisedTextSize(const std::filesystem::path& file, std::uint64_t limit, bool closeLastLine)
{
    NormalisedText text(file, closeLastLine);
    std::vector<char> buffer(kInputSize);
    std::uint64_t size = 0;
    while (size <= limit) {
        const size_t n = text.Read(buffer.data(), buffer.size());
        if (n == 0) break;
        size += n;
    }
    return size;
}
