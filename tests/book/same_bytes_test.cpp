// Books built from fixed inputs at a fixed time are byte for byte the books this program has always
// built: the digests below were taken from earlier builds, so any change to a stored byte (the
// record, the pieces, the archive's layout or compression, the descriptor) shows here.
#include "book/book_builder.h"
#include "book/book_text.h"
#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <QCryptographicHash>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::string Digest(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

// A cp1251 text of several pieces: Cyrillic lines of varying length, CR LF breaks, a few
// characters the reader treats specially.
std::string PlainText()
{
    std::string text;
    unsigned state = 12345;
    for (int line = 0; text.size() < 150000; ++line) {
        text += "   ";
        state = state * 1103515245u + 12345u;
        const int words = 3 + static_cast<int>(state >> 16) % 17;
        for (int w = 0; w < words; ++w) {
            state = state * 1103515245u + 12345u;
            const int length = 1 + static_cast<int>(state >> 16) % 9;
            for (int c = 0; c < length; ++c) {
                state = state * 1103515245u + 12345u;
                text += static_cast<char>(0xE0 + (state >> 16) % 32);  // а..я
            }
            text += w + 1 < words ? (w % 5 == 4 ? ", " : " ") : (line % 7 == 0 ? "!" : ".");
        }
        text += line % 11 == 0 ? "\r\n\r\n" : "\r\n";
    }
    return text;
}

const char* const kFb2 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" xmlns:l=\"http://www.w3.org/1999/xlink\">"
    "<description><title-info><book-title>Северные рассказы</book-title></title-info></description>"
    "<body><title><p>Часть первая</p></title>"
    "<epigraph><p>Кто ищет, тот найдёт.</p><text-author>Пословица</text-author></epigraph>"
    "<section><title><p>Глава 1</p><p>Дорога</p></title>"
    "<p>Утром <emphasis>всё</emphasis> было тихо<a l:href=\"#n1\" type=\"note\">[1]</a>, и только ветер&#160;шумел.</p>"
    "<empty-line/><p>«Пойдём», — сказал он.</p>"
    "<poem><stanza><v>Белеет парус одинокий</v><v>В тумане моря голубом</v></stanza>"
    "<stanza><v>Что ищет он в краю далёком?</v></stanza></poem>"
    "<p>Конец главы. Some Latin &amp; symbols: № € ©.</p></section>"
    "<section><title><p>Глава 2</p></title><p>Вторая глава короче.</p></section></body>"
    "<body name=\"notes\"><section id=\"n1\"><title><p>1</p></title><p>Примечание к первой главе.</p></section></body>"
    "</FictionBook>\n";

// The plain text in UTF-8 with characters cp1251 lacks (one with a closest form, one without)
// and a letter written as a letter and a combining mark.
std::string Utf8Text()
{
    return Cp1251ToUtf8(PlainText()) + "Конец — ‐ 中 и\u0306 😀\r\n";
}

// An EPUB of two chapters, its text in XHTML.
std::string Epub(const fs::path& folder)
{
    const std::string container =
        "<?xml version=\"1.0\"?><container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
        "<rootfiles><rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>";
    const std::string opf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\">"
        "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Повести</dc:title></metadata>"
        "<manifest><item id=\"a\" href=\"one.xhtml\" media-type=\"application/xhtml+xml\"/>"
        "<item id=\"b\" href=\"two.xhtml\" media-type=\"application/xhtml+xml\"/></manifest>"
        "<spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine></package>";
    auto chapter = [](const std::string& title, const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>" +
               title + "</title></head><body><h1>" + title + "</h1>" + body + "</body></html>";
    };
    std::string paragraphs;
    for (int i = 0; i < 200; ++i)
        paragraphs += "<p>Абзац " + std::to_string(i) + ": «ёлка» — й и\u0306 中 € …</p>\n";
    MakeZip(folder / "book.epub", {{"mimetype", "application/epub+zip"},
                                   {"META-INF/container.xml", container},
                                   {"OEBPS/content.opf", opf},
                                   {"OEBPS/one.xhtml", chapter("Глава первая", paragraphs)},
                                   {"OEBPS/two.xhtml", chapter("Глава вторая", "<p>Коротко.<br/>Строка 😀.</p>")}});
    return ReadFileBytes(folder / "book.epub");
}

struct BuiltBook {
    std::string jar, jad, record;
};

struct SameBytesTest : ::testing::Test {
    TempDir dir;
    PhoneProfile phone;
    QByteArray savedZone;
    bool hadZone = false;

    SameBytesTest()
    {
        // The archive keeps local times: the stamp below means the same on every machine in UTC.
        hadZone = qEnvironmentVariableIsSet("TZ");
        savedZone = qgetenv("TZ");
        qputenv("TZ", "UTC");
        tzset();
        phone.Name = "Phone";
        phone.Width = 176;
        phone.Height = 220;
        LayOutBookFolder(dir.Path());
        std::string table(514, '\0');
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<char>(i * 37 % 251);
        WriteFileBytes(dir / "work" / "fonts" / "default.props", table);
        WriteFileBytes(dir / "work" / "fonts" / "default.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(300, 'g'));
        fs::create_directories(dir / "out");
    }
    ~SameBytesTest() override
    {
        if (hadZone) qputenv("TZ", savedZone);
        else qunsetenv("TZ");
        tzset();
    }

    BuiltBook Build(const std::string& name, const std::string& content, unsigned threads)
    {
        dir.Write(name, content);
        const BookText text(TextFile(dir / name), TextEncoding::Auto, dir / "copies", BookText::Streamed{});
        BookRequest r = MakeBookRequest(QStringLiteral("Книга"), &phone, 0x00336699, 1, dir / "work",
                                        dir / "template.dat", dir / "out" / "book.jar");
        text.Into(r);
        r.threads = threads;
        // 2024-03-05 06:07:08 for every file of the work folder, as the archive starts being written.
        const auto stamp = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(1709618828));
        r.progress = [&](BookStage stage, std::uint64_t, std::uint64_t) {
            if (stage != BookStage::Archive) return;
            for (const auto& e : fs::recursive_directory_iterator(dir / "work")) fs::last_write_time(e.path(), stamp);
        };
        SettingsRecord record{};
        BuildBook(r, record);
        return {ReadFileBytes(dir / "out" / "book.jar"), ReadFileBytes(dir / "out" / "book.jad"),
                std::string(reinterpret_cast<const char*>(record.data()), record.size())};
    }
};

} // namespace

TEST_F(SameBytesTest, EveryKindOfTextGivesTheBookItAlwaysGave)
{
    struct Case {
        const char* name;
        std::string content;
        const char* jar;
        const char* jad;
        const char* record;
    };
    const Case cases[] = {
        {"plain.txt", PlainText(), "4fb4fa6a21d2f2a2204334cd0364858ab6842fff2688128458e2bd9a0dc2e65e",
         "10b5368591c345e7bc9fcb843034b49eec2ee83083659c5ea288cbd80b6e3aeb",
         "0a0ff67f395f158b8893ecb1d79262060d737ef8ba2838a873aa00f149a18a33"},
        // The FB2's text carries the layout's title and spacer marks, and the package its
        // contents (the "toc" entry) since books carry them.
        {"book.fb2", kFb2, "a2445e17159888cf9810e30fa11a8c2203c232116583d3ce136361f1e9855bea",
         "2c0d85dae556e053d2115ecf96def5a17cb81df16f3b9fa61c4af0287ecb6574",
         "94e38b15faf80686633710b5d7416aec3e49d73329d4fc1ec07779fe90fac613"},
        {"utf8.txt", Utf8Text(), "8f16f2ffe78ae70add9a2c0d359adbed86d0468a39b115d89ab2d3e6bb351ac7",
         "44af63a0667f08877861843fde09e60276e80e0bc430411ad0a2dcf625348a46",
         "0a3597e38d9d5d2b83f449d3ec1f20175adea123bd9358f21a6af13a96c4ae02"},
        {"book.epub", Epub(dir.Path()), "55c0dffa72ae6fa5a908076e4a9ab173887e4a8ce010a3df69d6bcc9134c26ea",
         "917e334cfcd8ca82839d94750449c006d8b0a216c07da2949477b270fe562cdc",
         "1ad7c878ea9e9db529e6241dc149120bd5d50da11302d3449ddca7ce8304e28d"},
    };
    for (const Case& c : cases) {
        for (const unsigned threads : {1u, 3u}) {
            SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(threads) + " threads");
            const BuiltBook book = Build(c.name, c.content, threads);
            EXPECT_EQ(Digest(book.jar), c.jar);
            EXPECT_EQ(Digest(book.jad), c.jad);
            EXPECT_EQ(Digest(book.record), c.record);
        }
    }
}

} // namespace lumira
