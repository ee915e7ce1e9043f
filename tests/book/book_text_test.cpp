// The text a book is made from: a cp1251 text in place, any other through a converted copy that
// never outlives its use, and what the user is told about a conversion.
#include "book/book_text.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string Encode(const QString& text, const char* name)
{
    QStringEncoder encoder(name);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool IsEmptyFolder(const fs::path& folder)
{
    return fs::is_directory(folder) && fs::is_empty(folder);
}

} // namespace

TEST(BookText, Cp1251IsUsedInPlaceAndOtherTextsThroughACopyThatGoesWithIt)
{
    TempDir texts;
    TempDir copies;
    const QString russian = QStringLiteral("Съешь же ещё этих мягких французских булок.\r\n");
    texts.Write("ascii.txt", "Plain text.\r\n");
    texts.Write("cp1251.txt", Encode(russian, "windows-1251"));
    texts.Write("utf8.txt", Encode(russian, "UTF-8"));
    for (const char* name : {"ascii.txt", "cp1251.txt"}) {
        const BookText text(texts / name, TextEncoding::Auto, copies.Path());
        EXPECT_EQ(text.File(), texts / name);
        EXPECT_FALSE(text.Converted());
        EXPECT_TRUE(text.Notice().isEmpty());
    }
    // Chosen as cp1251, UTF-8 bytes are taken as they are.
    EXPECT_EQ(BookText(texts / "utf8.txt", TextEncoding::Cp1251, copies.Path()).File(), texts / "utf8.txt");
    {
        const BookText text(texts / "utf8.txt", TextEncoding::Auto, copies.Path());
        ASSERT_TRUE(text.Converted());
        EXPECT_EQ(text.File().parent_path(), copies.Path());
        EXPECT_EQ(text.Encoding(), TextEncoding::Utf8);
        EXPECT_EQ(ReadFileBytes(text.File()), Encode(russian, "windows-1251"));
        EXPECT_TRUE(text.Notice().isEmpty());
        // Two texts converted at once do not share a copy.
        const BookText other(texts / "utf8.txt", TextEncoding::Utf8, copies.Path());
        EXPECT_NE(other.File(), text.File());
    }
    EXPECT_TRUE(IsEmptyFolder(copies.Path()));
}

TEST(BookText, RefusalsLeaveNoCopy)
{
    TempDir texts;
    TempDir copies;
    std::string broken = Encode(QStringLiteral("Начало"), "UTF-8");
    const size_t position = broken.size() + 1;
    broken += "\xFF rest";
    texts.Write("broken.txt", broken);
    try {
        BookText text(texts / "broken.txt", TextEncoding::Utf8, copies.Path());
        FAIL() << "broken UTF-8 accepted";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(std::to_string(position)), std::string::npos) << e.what();
    }
    EXPECT_TRUE(IsEmptyFolder(copies.Path()));

    // No room for the copy: the folder is named; a text that needs none does not care.
    texts.Write("utf8.txt", Encode(QStringLiteral("Текст"), "UTF-8"));
    const fs::path missing = copies / "missing";
    try {
        BookText text(texts / "utf8.txt", TextEncoding::Auto, missing);
        FAIL() << "no copy folder, yet no error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + missing.string(), 0), 0u) << e.what();
    }
    texts.Write("ascii.txt", "text");
    EXPECT_NO_THROW(BookText(texts / "ascii.txt", TextEncoding::Auto, missing));
    // A text that is not there is "Cannot open file", as for any text.
    EXPECT_THROW(BookText(texts / "none.txt", TextEncoding::Utf8, copies.Path()), AppError);
    EXPECT_TRUE(IsEmptyFolder(copies.Path()));
}

TEST(BookText, TheUserIsToldOfReplacementsAndOfAFallBack)
{
    TempDir texts;
    TempDir copies;
    texts.Write("emoji.txt", Encode(QStringLiteral("Привет 😀 и ✓\r\n"), "UTF-8"));
    {
        const BookText text(texts / "emoji.txt", TextEncoding::Auto, copies.Path());
        EXPECT_EQ(ReadFileBytes(text.File()), Encode(QStringLiteral("Привет ? и ?\r\n"), "windows-1251"));
        const QString notice = text.Notice();
        EXPECT_TRUE(notice.contains(QStringLiteral(": 2 ")) && notice.contains(QStringLiteral("😀")))
            << notice.toStdString();
    }
    // UTF-8 for the whole of what detection reads, broken after it: read as single-byte text.
    std::string late = Encode(QStringLiteral("тест ").repeated(8000), "UTF-8");
    ASSERT_GT(late.size(), kDetectionLimit);
    late += Encode(QStringLiteral("конец"), "windows-1251");
    texts.Write("late.txt", late);
    const BookText text(texts / "late.txt", TextEncoding::Auto, copies.Path());
    EXPECT_TRUE(text.FellBack());
    EXPECT_NE(text.Encoding(), TextEncoding::Utf8);
    EXPECT_EQ(fs::file_size(text.File()), late.size());
    // Read so, the UTF-8 part has characters cp1251 lacks: both are told, the fall-back first.
    const QStringList notice = text.Notice().split(QLatin1Char('\n'));
    ASSERT_EQ(notice.size(), 2);
    EXPECT_EQ(notice[0], QStringLiteral("Текст не целиком в кодировке UTF-8 и прочитан как %1.")
                             .arg(EncodingDisplayName(text.Encoding())));
    EXPECT_EQ(notice[1], text.Report().Summary());
    // Chosen explicitly, the same text is refused rather than read otherwise.
    EXPECT_THROW(BookText(texts / "late.txt", TextEncoding::Utf8, copies.Path()), AppError);
}
