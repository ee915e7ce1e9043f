#include "book/text_normaliser.h"

#include "book/text_stream.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumira {

namespace {

constexpr size_t kInputSize = 64 * 1024;

// The bytes that end an ordinary run: NUL, LF and CR.
constexpr auto kSpecial = [] {
    std::array<bool, 256> special{};
    special['\0'] = special['\n'] = special['\r'] = true;
    return special;
}();

// Whether any of the 8 bytes at `p` is NUL, LF or CR, tested on all of them at once.
bool HoldsSpecial(const char* p)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    const auto zeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    return (zeroByte(w) | zeroByte(w ^ (kOnes * '\n')) | zeroByte(w ^ (kOnes * '\r'))) != 0;
}

} // namespace

NormalisedText::NormalisedText(const TextFile& file, bool closeLastLine)
    : in_(std::in_place, file), input_(kInputSize), closeLastLine_(closeLastLine)
{
}

NormalisedText::NormalisedText(TextStream& stream, bool closeLastLine)
    : stream_(&stream), input_(kInputSize), closeLastLine_(closeLastLine)
{
}

bool NormalisedText::Refill()
{
    if (ended_) return false;
    avail_ = stream_ ? stream_->Read(input_.data(), input_.size()) : in_->Read(input_.data(), input_.size());
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
            // A run of ordinary bytes and whole CR LF breaks is copied in one go: only a lone CR,
            // a lone LF and NUL need a closer look.
            const char* run = in;
            const char* const runEnd = in + std::min<std::ptrdiff_t>(stop - in, end - out);
            bool closed = false;  // the run ends with a CR LF
            while (run < runEnd) {
                if (runEnd - run >= 8 && !HoldsSpecial(run)) {
                    run += 8;
                    closed = false;
                } else if (!kSpecial[static_cast<unsigned char>(*run)]) {
                    ++run;
                    closed = false;
                } else if (*run == '\r' && run + 1 < runEnd && run[1] == '\n') {
                    run += 2;
                    closed = true;
                } else {
                    break;
                }
            }
            if (run != in) {
                std::memcpy(out, in, static_cast<size_t>(run - in));
                out += run - in;
                in = run;
                afterCr_ = false;
                lineOpen_ = !closed;
                continue;
            }
            const char c = *in;
            if (c == '\0') {
                // Left out, counted; a long run (a file padded with zeros) is passed eight at a time.
                const char* const zeros = in;
                std::uint64_t word = 0;
                while (stop - in >= 8 && (std::memcpy(&word, in, 8), word == 0)) in += 8;
                while (in < stop && *in == '\0') ++in;
                zeroBytes_ += static_cast<std::uint64_t>(in - zeros);
                continue;
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
    }
    return static_cast<size_t>(out - static_cast<char*>(buffer));
}

} // namespace lumira
