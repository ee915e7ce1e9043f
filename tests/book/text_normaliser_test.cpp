// The book's text is the text the preview reads: line breaks made CR LF, the last line closed,
// zero bytes left out. Checked against the preview's reading itself (SplitTextLines, JoinLines),
// through the normaliser read in awkward amounts and through whole books.
#include "book/book_builder.h"
#include "book/book_text.h"
#include "book/text_normaliser.h"
#include "book/zip_test_util.h"
#include "platform/line_list.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <random>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// What the preview lays out for a cp1251 text: its line list, every line followed by CR LF.
std::string PreviewReading(const std::string& cp1251)
{
    return JoinLines(SplitTextLines(cp1251));
}

std::string ReadAllIn(NormalisedText& text, size_t step)
{
    std::string out;
    std::string buffer(step, '\0');
    while (const size_t n = text.Read(buffer.data(), step)) {
        out.append(buffer, 0, n);
        if (n < step) {
            EXPECT_EQ(text.Read(buffer.data(), step), 0u) << "a short read comes only at the end";
        }
    }
    return out;
}

// Texts with every kind of line ending, in cp1251 bytes and in UTF-8.
std::vector<std::pair<std::string, std::string>> Texts()
{
    const std::string word = "\xcf\xf0\xe8\xe2\xe5\xf2";  // "Привет" in cp1251
    const std::string utf8 = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";
    std::vector<std::pair<std::string, std::string>> texts = {
        {"empty", ""},
        {"CR LF", word + " one\r\ntwo\r\n\r\nthree\r\n"},
        {"LF", word + " one\ntwo\n\nthree\n"},
        {"CR", word + " one\rtwo\r\rthree\r"},
        {"mixed", "a\r\n\nb\r\rc\n\r\nd\r\r\n"},
        {"no final break", word + "\r\nlast line"},
        {"zero inside", word + std::string("\nbefore\0after\nmore\n", 19)},
        {"zero after CR", std::string("line\r\0\n", 7)},
        {"only breaks", "\n\r\r\n\n"},
        {"UTF-8 LF", utf8 + " \xd1\x81\xd1\x82\xd1\x80\xd0\xbe\xd0\xba\xd0\xb0\n" + utf8 + "\nend"},
    };
    return texts;
}

} // namespace

TEST(TextNormaliser, ReadsEveryTextAsThePreviewDoesInAnyAmounts)
{
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> texts = Texts();
    // Long random texts of the bytes that matter, across the normaliser's 64 KiB input pieces,
    // one with a CR LF split exactly there.
    std::mt19937 random(14);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\xe0', ' ', '\r', '\n'};
    for (int i = 0; i < 3; ++i) {
        std::string text(150000 + i, 'x');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        texts.push_back({"random " + std::to_string(i), text});
    }
    // Long runs of ordinary bytes between the breaks, as in real prose: the runs are scanned
    // eight bytes at a time, so every break position within a word must count.
    for (int i = 0; i < 2; ++i) {
        std::string text;
        while (text.size() < 100000) {
            text.append(random() % 40, static_cast<char>('a' + random() % 26));
            text += std::string("\r\n\r").substr(random() % 2, 1 + (i == 0 ? random() % 2 : 0));
        }
        if (i == 1) text[90001] = '\0';
        texts.push_back({"long runs " + std::to_string(i), text});
    }
    std::string split(65535, 'y');
    split += "\r\n" + std::string(70000, 'z') + "\n";
    texts.push_back({"CR LF across the input pieces", split});

    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        dir.Write("t.txt", text);
        const std::string expected = PreviewReading(text);
        for (size_t step : {size_t{1}, size_t{2}, size_t{3}, size_t{4096}, size_t{32767}}) {
            NormalisedText normalised(dir / "t.txt");
            EXPECT_EQ(ReadAllIn(normalised, step), expected) << "reading " << step << " at a time";
        }
    }
    // A text written with CR LF throughout comes out byte for byte.
    EXPECT_EQ(PreviewReading(texts[1].second), texts[1].second);
    EXPECT_EQ(PreviewReading(split), split.substr(0, split.size() - 1) + "\r\n");
}

TEST(TextNormaliser, BookPiecesJoinIntoThePreviewsText)
{
    TempDir dir;
    PhoneProfile phone;
    phone.Name = "Phone";
    LayOutBookFolder(dir.Path());

    std::vector<std::pair<std::string, std::string>> texts = Texts();
    // An LF text whose first CR LF falls across the first piece boundary: CR last in piece 0.
    texts.push_back({"break across pieces", std::string(32766, 'w') + "\nnext piece\n"});
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        dir.Write("book.txt", text);
        // Read as the window and the command line read it: "Авто" converts the UTF-8 text first.
        const BookText source(dir / "book.txt", TextEncoding::Auto, dir / "copies");
        BookRequest request;
        request.textFile = source.File();
        request.title = "Book";
        request.profile = &phone;
        request.workFolder = dir / "work";
        request.templateArchive = dir / "template.dat";
        request.jarPath = dir / "book.jar";
        SettingsRecord record{};
        BuildBook(request, record);

        const std::string preview = PreviewReading(ConvertBytesToCp1251(text, TextEncoding::Auto));
        std::string joined;
        for (int i = 0;; ++i) {
            const auto names = EntryNames(dir / "book.jar");
            const std::string piece = "text/chunk." + std::to_string(i);
            if (std::find(names.begin(), names.end(), piece) == names.end()) break;
            joined += EntryContent(dir / "book.jar", piece);
        }
        EXPECT_EQ(joined, preview);
        const std::uint32_t size = record[0] | record[1] << 8 | record[2] << 16 | std::uint32_t{record[3]} << 24;
        EXPECT_EQ(size, preview.size());
        if (name == "break across pieces") {
            EXPECT_EQ(EntryContent(dir / "book.jar", "text/chunk.0").back(), '\r');
            EXPECT_EQ(EntryContent(dir / "book.jar", "text/chunk.1").front(), '\n');
        }
    }
}

} // namespace lumira
