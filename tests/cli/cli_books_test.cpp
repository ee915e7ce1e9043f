// Books (FB2, EPUB) on the command line: paged and packed exactly as their laid-out text is
// when given as a UTF-8 text, and named after their own title.
#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "sample_books.h"

#include <fstream>
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

TEST(CliBooks, TheBooksLanguageChoosesTheDictionaryForTheBookAndItsPages)
{
    CliFolder f;
    f.dictionaryHyphens = true;
    // A made-up German dictionary beside the program, with a point no English one has.
    fs::create_directories(f.app / "hyphen");
    std::ofstream(f.app / "hyphen" / "hyph_de_DE.dic") << "UTF-8\na1i\n";
    std::string words;
    for (int i = 0; i < 40; ++i) words += std::string("Ein rainbow, und ein telephone. ").substr(0, 20 + i % 13);
    const std::string body = "<body><section><p>" + words + "</p></section></body></FictionBook>";
    f.work.Write("de.fb2", "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook xmlns=\"http://www.gribuser.ru/"
                           "xml/fictionbook/2.0\"><description><title-info><book-title>Buch</book-title><lang>de</lang>"
                           "</title-info></description>" + body);
    f.work.Write("plain.txt", words + "\r\n");
    const CliRun german = f.Run({f.Arg("de.fb2"), QStringLiteral("--verbose"), QStringLiteral("--out"), f.Arg("de.jar")});
    ASSERT_EQ(german.exitCode, 0) << german.err;
    EXPECT_NE(german.err.find("hyph_ru_RU.dic, hyph_de_DE.dic (язык книги: de)"), std::string::npos) << german.err;
    EXPECT_NE(EntryContent(f.work / "de.jar", "text/chunk.0").find("ra\xADinbow"), std::string::npos);
    const CliRun plain = f.Run({f.Arg("plain.txt"), QStringLiteral("--verbose"), QStringLiteral("--out"), f.Arg("plain.jar")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.err.find("hyph_ru_RU.dic, hyph_en_US.dic (язык каждого слова"), std::string::npos) << plain.err;
    EXPECT_EQ(EntryContent(f.work / "plain.jar", "text/chunk.0").find("ra\xAD"), std::string::npos);
    // The pages split where the book does, and the same words without the language do not.
    const CliRun pages = f.Run({f.Arg("de.fb2"), QStringLiteral("--dump-pages"), QStringLiteral("--profile"), QStringLiteral("Small")});
    const CliRun plainPages = f.Run({f.Arg("plain.txt"), QStringLiteral("--dump-pages"), QStringLiteral("--profile"), QStringLiteral("Small")});
    ASSERT_EQ(pages.exitCode, 0) << pages.err;
    EXPECT_NE(pages.out, plainPages.out);
}

} // namespace lumira
