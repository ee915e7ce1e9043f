// The text a book is made from: a cp1251 text in place, any other through a converted copy that
// never outlives its use, and the fall-back "Авто" owes the user a word about.
#include "book/book_builder.h"
#include "book/book_text.h"
#include "book/text_normaliser.h"
#include "book/zip_test_util.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/encode.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace lumira {

namespace fs = std::filesystem;

TEST(BookText, CopiesAreMadeOnlyWhenNeededAndGoWithTheirUse)
{
    TempDir texts;
    TempDir copies;
    const QString russian = QStringLiteral("Съешь же ещё этих мягких французских булок.\r\n");
    texts.Write("cp1251.txt", Encode(russian, "windows-1251"));
    texts.Write("utf8.txt", Encode(russian, "UTF-8"));
    // No copy, so no need of a folder for one.
    const fs::path missing = copies / "missing";
    EXPECT_EQ(BookText(texts / "cp1251.txt", TextEncoding::Auto, missing).File().Path(), texts / "cp1251.txt");
    EXPECT_EQ(BookText(texts / "utf8.txt", TextEncoding::Cp1251, missing).File().Path(), texts / "utf8.txt");
    {
        const BookText text(texts / "utf8.txt", TextEncoding::Auto, copies.Path());
        ASSERT_TRUE(text.Converted());
        EXPECT_EQ(text.File().Path().parent_path(), copies.Path());
        EXPECT_EQ(ReadFileBytes(text.File()), Encode(russian, "windows-1251"));
        // Two texts converted at once do not share a copy.
        const BookText other(texts / "utf8.txt", TextEncoding::Utf8, copies.Path());
        EXPECT_NE(other.File().Path(), text.File().Path());
    }
    EXPECT_TRUE(fs::is_empty(copies.Path()));
    try {
        BookText text(texts / "utf8.txt", TextEncoding::Auto, missing);
        FAIL() << "no folder for the copy, yet no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Не удаётся создать файл «" + missing.string(), 0), 0u) << e.what();
    }
}

TEST(BookText, FallBackFromUtf8IsToldBeforeTheReplacements)
{
    TempDir texts;
    TempDir copies;
    // UTF-8 for the whole of what detection reads, broken after it: read as single-byte text,
    // which for what looked like UTF-8 is cp1251 itself, so nothing is replaced.
    std::string late = Encode(QStringLiteral("тест ").repeated(8000), "UTF-8");
    ASSERT_GT(late.size(), kDetectionLimit);
    late += Encode(QStringLiteral("конец"), "windows-1251");
    texts.Write("late.txt", late);
    const BookText text(texts / "late.txt", TextEncoding::Auto, copies.Path());
    EXPECT_TRUE(text.FellBack());
    EXPECT_EQ(text.Encoding(), TextEncoding::Cp1251);
    EXPECT_EQ(ReadFileBytes(text.File()), late);
    EXPECT_EQ(text.Notice(), QStringLiteral("Текст не целиком в кодировке UTF-8 и прочитан как Windows-1251."));
    // A fall-back that also lost characters tells both, the fall-back first.
    ConversionReport report;
    report.encoding = TextEncoding::Koi8r;
    report.replaced = 2;
    report.firstReplaced = U'─';
    report.firstLine = report.firstColumn = 1;
    const QStringList notice = ConversionNotice(TextEncoding::Utf8, report).split(QLatin1Char('\n'));
    ASSERT_EQ(notice.size(), 2);
    EXPECT_EQ(notice[0], QStringLiteral("Текст не целиком в кодировке UTF-8 и прочитан как KOI8-R."));
    EXPECT_EQ(notice[1], report.Summary());
    // Chosen explicitly, the same text is refused rather than read otherwise, and leaves no copy.
    EXPECT_THROW(BookText(texts / "late.txt", TextEncoding::Utf8, copies.Path()), AppError);
    EXPECT_EQ(std::distance(fs::directory_iterator(copies.Path()), fs::directory_iterator()), 1);
}

TEST(BookText, AStreamedBookIsTheTextOfItsCopyWithItsReportAndItsFaults)
{
    TempDir texts;
    TempDir copies;
    // Long enough to fill the stream many times over, with a character cp1251 lacks.
    std::string fb2 = "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description><title-info>"
                      "<book-title>Т</book-title></title-info></description><body><section><title><p>Глава</p></title>";
    for (int i = 0; i < 20000; ++i) fb2 += "<p>Абзац номер " + std::to_string(i) + " \xE2\x88\x9E.</p>\n";
    texts.Write("book.fb2", fb2 + "</section></body></FictionBook>");
    texts.Write("bad.fb2", fb2 + "</body></FictionBook>");
    const auto read = [](TextStream& stream) {
        NormalisedText text(stream);
        std::string all, buffer(70000, '\0');
        for (std::size_t n; (n = text.Read(buffer.data(), buffer.size())) > 0;) all.append(buffer.data(), n);
        return all;
    };

    const BookText whole(texts / "book.fb2", TextEncoding::Auto, copies.Path());
    {
        const BookText streamed(texts / "book.fb2", TextEncoding::Auto, copies.Path(), BookText::Streamed{});
        ASSERT_NE(streamed.Stream(), nullptr);
        EXPECT_TRUE(streamed.FromBook());
        EXPECT_TRUE(read(*streamed.Stream()) == ReadFileBytes(whole.File().Path()));
        EXPECT_EQ(streamed.Notice(), whole.Notice());
        EXPECT_EQ(streamed.Report().replaced, 20000u);
        // A plain text has no stream: its file is read as before.
        const BookText plain(texts / "book.fb2", TextEncoding::Auto, copies.Path(), BookText::Streamed{});
        texts.Write("plain.txt", "text\r\n");
        const BookText text(texts / "plain.txt", TextEncoding::Auto, copies.Path(), BookText::Streamed{});
        EXPECT_EQ(text.Stream(), nullptr);
        EXPECT_EQ(text.File().Path(), texts / "plain.txt");
        // A book given up unread, or read only in part, does not hold its owner up.
        char c;
        EXPECT_EQ(plain.Stream()->Read(&c, 1), 1u);
    }
    // The copy of the whole one is the only file made.
    EXPECT_EQ(std::distance(fs::directory_iterator(copies.Path()), fs::directory_iterator()), 1);

    std::string fault;
    try {
        BookText bad(texts / "bad.fb2", TextEncoding::Auto, copies.Path());
        ADD_FAILURE() << "a broken book was taken";
    } catch (const AppError& e) {
        fault = e.what();
    }
    const BookText streamed(texts / "bad.fb2", TextEncoding::Auto, copies.Path(), BookText::Streamed{});
    EXPECT_EQ(ErrorOf([&] { read(*streamed.Stream()); }), fault);
}

// The text is opened once: whatever takes its name afterwards (another text renamed over it, a
// pipe, nothing), recognising it, converting it and every reading of the builder see the text
// that was opened. Each kind of text takes its own way through: a cp1251 text is read in place
// twice by the builder, a UTF-8 one is converted first, an FB2 book in a ZIP archive is read
// through the archive's own reader.
TEST(BookText, TheTextOpenedIsTheTextBuiltWhateverTakesItsNameLater)
{
    TempDir dir;
    PhoneProfile phone;
    phone.Name = "Phone";
    LayOutBookFolder(dir.Path());
    const auto build = [&](const TextFile& text) {
        const BookText source(text, TextEncoding::Auto, dir / "copies");
        BookRequest request = MakeBookRequest(QStringLiteral("Book"), &phone, 0xFFFFFF, 1, dir / "work",
                                              dir / "template.dat", dir / "book.jar");
        request.textFile = source.File();
        SettingsRecord record{};
        BuildBook(request, record);
        return EntryContent(dir / "book.jar", "text/chunk.0");
    };
    const std::string fb2 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook><body><section><p>" +
                            Encode(QStringLiteral("Первая книга"), "UTF-8") + "</p></section></body></FictionBook>\n";
    MakeZip(dir / "book.zip", {{"book.fb2", fb2}});
    const std::string zipped = dir.Read("book.zip");
    const struct {
        const char* name;
        std::string first;
    } cases[] = {
        {"cp1251", Encode(QStringLiteral("Первый текст\r\n"), "windows-1251")},
        {"UTF-8", Encode(QStringLiteral("Первый текст\r\n"), "UTF-8")},
        {"FB2 in ZIP", zipped},
    };
    const std::string second = Encode(QStringLiteral("Второй, другой\r\n"), "windows-1251");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("first.txt", c.first);
        const std::string expected = build(TextFile(dir / "first.txt"));
        ASSERT_FALSE(expected.empty());
        dir.Write("second.txt", second);
        ASSERT_NE(build(TextFile(dir / "second.txt")), expected);

        for (const char* replacement : {"another text", "a pipe", "nothing"}) {
            SCOPED_TRACE(replacement);
            dir.Write("text.txt", c.first);
            const TextFile opened(dir / "text.txt");
            dir.Write("second.txt", second);
            if (replacement == std::string("another text")) fs::rename(dir / "second.txt", dir / "text.txt");
            else fs::remove(dir / "text.txt");
            if (replacement == std::string("a pipe")) {
                ASSERT_EQ(::mkfifo((dir / "text.txt").c_str(), 0644), 0);
            }
            EXPECT_EQ(build(opened), expected);
            fs::remove(dir / "text.txt");
        }
    }
    EXPECT_TRUE(fs::is_empty(dir / "copies"));
}

} // namespace lumira
