#pragma once
// A book's text as the preview reads it: the cp1251 bytes of a text file with every line break
// (CR LF, a lone CR, a lone LF) written as CR LF, a last line without a break closed by CR LF,
// and every zero byte left out. This is exactly what joining the text's lines (SplitTextLines,
// JoinLines) gives, streamed, so that a text of any size is read in constant memory.
// A text whose lines all end in CR LF and that holds no zero byte comes out byte for byte.
#include "platform/files.h"

#include <optional>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace lumira {

class TextStream;

class NormalisedText {
public:
    // `closeLastLine` false leaves a last line without a break as it is: the text is one part of a
    // longer one whose line goes on in the next part.
    // Reads `file` from its beginning.
    explicit NormalisedText(const TextFile& file, bool closeLastLine = true);
    // The text as `stream` hands it over, read as it comes; the stream's failures are thrown.
    explicit NormalisedText(TextStream& stream, bool closeLastLine = true);

    // Fills `buffer` with up to `count` bytes of the normalised text; fewer only at its end,
    // 0 once it is over. Read failures are the file layer's.
    size_t Read(void* buffer, size_t count);
    // The file read; empty for a stream.
    std::filesystem::path Path() const { return in_ ? in_->Path() : std::filesystem::path(); }
    // The zero bytes left out so far.
    std::uint64_t ZeroBytes() const { return zeroBytes_; }

private:
    bool Refill();

    std::optional<InFile> in_;
    TextStream* stream_ = nullptr;
    std::vector<char> input_;
    size_t pos_ = 0;
    size_t avail_ = 0;
    bool ended_ = false;      // the file's end was reached
    std::uint64_t zeroBytes_ = 0;
    bool afterCr_ = false;    // the last byte taken was a CR: an LF right after it is part of its break
    bool lineOpen_ = false;   // bytes were taken since the last break
    bool pendingLf_ = false;  // the LF of a break written is still to go out
    bool closeLastLine_ = true;
};

} // namespace lumira
