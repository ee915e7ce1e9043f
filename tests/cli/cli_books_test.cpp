// Books (FB2, EPUB) on the command line: paged and packed exactly as their laid-out text is
// when given as a UTF-8 text, and named after their own title.
#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "sample_books.h"

#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

TEST(CliBooks, BookIsPagedAndPackedAsItsLaidOutText)
{
    CliFolder f;
    f.dictionaryHyphens = true;
    f.work.Write("vrungel.fb2", SampleFb2Cp1251());
    WriteSampleEpub(f.work / "tales.epub");
    struct Case {
        const char* book;
        std::string text;
        const char* title;
    };
    const Case cases[] = {{"vrungel.fb2", kSampleFb2Text, "Приключения капитана"},
                          {"tales.epub", SampleEpubText(), kSampleEpubTitle}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.book);
        f.work.Write("same.txt", c.text);
        const CliRun text = f.Run({f.Arg("same.txt"), QStringLiteral("--dump-pages")});
        const CliRun book = f.Run({f.Arg(c.book), QStringLiteral("--dump-pages")});
        ASSERT_EQ(book.exitCode, 0) << book.err;
        EXPECT_EQ(book.out, text.out);

        const CliRun made = f.Run({f.Arg(c.book), QStringLiteral("--out"), f.Arg("book.jar")});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        // The book names its own encoding: nothing was guessed, so nothing is said about it.
        EXPECT_EQ(made.err.find("автоматически"), std::string::npos) << made.err;
        // The text as laid out, with the dictionary's soft hyphens in (the default).
        std::string packed = EntryContent(f.work / "book.jar", "text/chunk.0");
        EXPECT_NE(packed.find('\xAD'), std::string::npos);
        std::erase(packed, '\xAD');
        EXPECT_EQ(packed, QStringToCp1251(QString::fromStdString(c.text)));
        const std::string jad = f.work.Read("book.jad");
        EXPECT_NE(jad.find(std::string("MIDlet-Name: ") + c.title + "\r\n"), std::string::npos) << jad;
    }
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliBooks, DamagedBookIsReportedAndNothingIsWritten)
{
    CliFolder f;
    f.work.Write("broken.fb2", "<?xml version=\"1.0\"?>\n<FictionBook>\n<body><p>обрыв</body>");
    const CliRun run = f.Run({f.Arg("broken.fb2")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("ошибка XML в строке 3"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(f.work / "broken.jar"));
    EXPECT_TRUE(f.ScratchEmpty());
}

} // namespace lumira
