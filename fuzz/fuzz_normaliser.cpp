// The book's text as the preview reads it: whatever the bytes and however the reads are cut, the
// normalised text is exactly the file's line list joined, from a file as from a stream.
#include "book/text_normaliser.h"
#include "book/text_stream.h"
#include "platform/line_list.h"

#include "fuzz_files.h"

#include <cstdlib>
#include <string>

using namespace lumira;

namespace {

std::string ReadAll(NormalisedText& in, std::size_t piece)
{
    std::string out, buffer(piece, '\0');
    for (size_t n; (n = in.Read(buffer.data(), buffer.size())) > 0;) {
        if (n > piece) std::abort();
        out.append(buffer.data(), n);
    }
    if (in.Read(buffer.data(), buffer.size()) != 0) std::abort();  // over stays over
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses the size of the reads; the rest is the text.
    const std::size_t piece = 1 + static_cast<unsigned char>(data[0]) % 97;
    const std::string_view text = fuzz::AsBytes(data + 1, size - 1);
    const std::string expected = JoinLines(SplitTextLines(text));

    NormalisedText fromFile(TextFile(fuzz::WriteInput(text, "text.txt")));
    if (ReadAll(fromFile, piece) != expected) std::abort();

    TextStream stream(64, 2048);
    stream.Write(text);
    stream.End();
    NormalisedText fromStream(stream);
    if (ReadAll(fromStream, 65536) != expected) std::abort();

    // An open last line stays open: everything but its missing break is the same.
    TextStream open(64, 2048);
    open.Write(text);
    open.End();
    NormalisedText part(open, false);
    const std::string laid = ReadAll(part, piece);
    if (laid != expected && laid + "\r\n" != expected) std::abort();
    return 0;
}
