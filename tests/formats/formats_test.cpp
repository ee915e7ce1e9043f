// Books as texts: every format gives the common layout, the book's title and its declared
// encoding; bad books are refused with a message that says what is wrong.
#include "formats/book_format.h"
#include "formats/book_source.h"
#include "formats/text_layout.h"
#include "formats/zip_reader.h"
#include "sample_books.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <QString>
#include <algorithm>
#include <QStringEncoder>
#include <fstream>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct Converted {
    BookInfo info;
    std::string text;
};

Converted Convert(const fs::path& file, TextEncoding chosen = TextEncoding::Auto)
{
    const std::optional<BookFormat> format = RecogniseBook(file);
    if (!format) throw std::runtime_error("not recognised as a book");
    StringSink sink;
    Converted out;
    out.info = ConvertBook(file, *format, sink, chosen);
    out.text = std::move(sink.text);
    return out;
}

// The message a bad book is refused with; "" when it is not refused.
std::string Refusal(const fs::path& file)
{
    return ErrorOf([&] { Convert(file); });
}

// Sets the uncompressed size of every central directory entry, as a crafted archive may claim.
void ClaimSize(const fs::path& archive, std::uint32_t size)
{
    std::fstream f(archive, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), {});
    for (size_t at = bytes.find("PK\x01\x02"); at != std::string::npos; at = bytes.find("PK\x01\x02", at + 4)) {
        f.seekp(static_cast<std::streamoff>(at + 24));
        const char le[4] = {char(size), char(size >> 8), char(size >> 16), char(size >> 24)};
        f.write(le, 4);
    }
}

} // namespace

TEST(BookFormats, Fb2InAnyDeclaredEncodingAndInZipGivesTheSameLaidOutText)
{
    TempDir dir;
    dir.Write("utf8.fb2", SampleFb2());
    dir.Write("cp1251.fb2", SampleFb2Cp1251());
    {
        const QString xml = QString::fromStdString(SampleFb2("UTF-16"));
        dir.Write("utf16.fb2", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(xml.utf16()), size_t(xml.size()) * 2));
    }
    // Without a byte-order mark, in either order.
    for (const char* order : {"UTF-16LE", "UTF-16BE"}) {
        QStringEncoder encoder(order);
        const QByteArray xml = encoder.encode(QString::fromStdString(SampleFb2("UTF-16")));
        dir.Write(std::string(order) + ".fb2", xml.toStdString());
    }
    // The root element far down, after a long comment and a document type with an internal
    // subset whose comment and quoted text hold the characters that would end them early.
    std::string late = SampleFb2();
    late.insert(late.find("<FictionBook"), "<!-- " + std::string(5000, 'x') + " <html> --><?pi ?>\n<!DOCTYPE FictionBook [ <!-- ]> --> "
                                                                           "<!ELEMENT p ANY> <!ATTLIST p x CDATA \"]>\"> ]>\n");
    dir.Write("late.fb2", late);
    // Books made by hand often use the link prefix without declaring it.
    std::string sloppy = SampleFb2();
    sloppy.erase(sloppy.find(" xmlns:l="), std::string(" xmlns:l=\"http://www.w3.org/1999/xlink\"").size());
    dir.Write("sloppy.fb2", sloppy);
    // Content decides, not the name.
    dir.Write("book.txt", SampleFb2Cp1251());
    WriteFb2Zip(dir / "book.fb2.zip");
    WriteFb2Zip(dir / "other.zip", "Некрасов/Врунгель.FB2");

    const std::tuple<const char*, BookFormat, const char*> cases[] = {
        {"utf8.fb2", BookFormat::Fb2, "UTF-8"},
        {"cp1251.fb2", BookFormat::Fb2, "windows-1251"},
        {"utf16.fb2", BookFormat::Fb2, "UTF-16"},
        {"UTF-16LE.fb2", BookFormat::Fb2, "UTF-16"},
        {"UTF-16BE.fb2", BookFormat::Fb2, "UTF-16"},
        {"late.fb2", BookFormat::Fb2, "UTF-8"},
        {"sloppy.fb2", BookFormat::Fb2, "UTF-8"},
        {"book.txt", BookFormat::Fb2, "windows-1251"},
        {"book.fb2.zip", BookFormat::Fb2Zip, "UTF-8"},
        {"other.zip", BookFormat::Fb2Zip, "UTF-8"},
    };
    for (const auto& [name, format, encoding] : cases) {
        SCOPED_TRACE(name);
        const Converted book = Convert(dir / name);
        EXPECT_EQ(book.info.format, format);
        EXPECT_EQ(book.info.declaredEncoding, encoding);
        EXPECT_EQ(book.info.title, kSampleFb2Title);
        EXPECT_EQ(book.text, kSampleFb2Text);
    }
}

TEST(BookFormats, EpubFollowsTheSpineAndPutsNotesLast)
{
    TempDir dir;
    for (bool epub3 : {true, false}) {
        SCOPED_TRACE(epub3 ? "EPUB 3" : "EPUB 2");
        WriteSampleEpub(dir / "book.epub", epub3);
        const Converted book = Convert(dir / "book.epub");
        EXPECT_EQ(book.info.format, BookFormat::Epub);
        EXPECT_EQ(book.info.declaredEncoding, "utf-8");
        EXPECT_EQ(book.info.title, "Сказки народов мира и другие истории");
        EXPECT_EQ(ShortBookTitle(book.info.title).toStdString(), kSampleEpubTitle);
        EXPECT_EQ(book.text, SampleEpubText(epub3));
    }
}

TEST(BookFormats, EpubChaptersLaidOutTogetherKeepTheirOrderAndTheFirstFault)
{
    // Many chapters, read on every core at once; a footnote heading at the end of one chapter
    // marks the note the next one begins with.
    TempDir dir;
    std::string items;
    std::string spine;
    std::vector<NamedEntry> chapters;
    std::string text;
    for (int i = 1; i <= 40; ++i) {
        const std::string n = std::to_string(i);
        items += "<item id=\"c" + n + "\" href=\"c" + n + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"c" + n + "\"/>";
        chapters.push_back({"OEBPS/c" + n + ".xhtml",
                            "<html><body><h1>Глава " + n + "</h1><p>Абзац " + n + "</p><aside epub:type=\"footnote\">" +
                                "<p>сноска " + n + "</p><h3>" + n + "</h3></aside></body></html>"});
        text += (i > 1 ? "\r\n" : "") + std::string("Глава ") + n + "\r\n\r\n   Абзац " + n + "\r\n";
    }
    text += "\r\nПримечания\r\n\r\n   сноска 1\r\n";
    for (int i = 2; i <= 40; ++i) text += "   " + std::to_string(i - 1) + " сноска " + std::to_string(i) + "\r\n";
    const std::string opf = "<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest>" + items + "</manifest><spine>" +
                            spine + "</spine></package>";
    std::vector<NamedEntry> entries = EpubFrame(opf);
    entries.insert(entries.end(), chapters.rbegin(), chapters.rend());
    WriteArchive(dir / "long.epub", entries);
    EXPECT_EQ(Convert(dir / "long.epub").text, WithLayoutMarks(text));

    // Of two bad chapters, the first in reading order is the one told.
    entries.erase(std::find_if(entries.begin(), entries.end(), [](const NamedEntry& e) { return e.name == "OEBPS/c30.xhtml"; }));
    for (NamedEntry& e : entries)
        if (e.name == "OEBPS/c35.xhtml") e.content = "<?xml version=\"1.0\" encoding=\"x-martian\"?>" + e.content;
    WriteArchive(dir / "gap.epub", entries);
    for (int run = 0; run < 5; ++run) EXPECT_TRUE(Contains(Refusal(dir / "gap.epub"), "c30.xhtml")) << Refusal(dir / "gap.epub");
}

TEST(BookFormats, HtmlIsReadInTheCharsetItDeclaresOrInTheChosenOne)
{
    TempDir dir;
    const std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1251\"><title>Повесть о&nbsp;ветре</title></head>\n"
        "<body><h1>Повесть</h1><p>Первый &laquo;абзац&raquo;<p>Второй<br>абзац<br><br>После пустой"
        "<table><tr><td>ячейка</td></tr></table><script>var x = 1;</script></body></html>";
    const std::string text = WithLayoutMarks("Повесть\r\n\r\n   Первый «абзац»\r\n   Второй\r\n   абзац\r\n\r\n   После пустой\r\n"
                                             "   ячейка\r\n");
    dir.Write("page.html", ToCp1251(page));
    Converted book = Convert(dir / "page.html");
    EXPECT_EQ(book.info.format, BookFormat::Html);
    EXPECT_EQ(book.info.declaredEncoding, "windows-1251");
    EXPECT_EQ(book.info.title, "Повесть о ветре");
    EXPECT_EQ(book.text, text);

    // The older form of the declaration.
    std::string older = page;
    older.replace(older.find("<meta charset=\"windows-1251\">"), std::string("<meta charset=\"windows-1251\">").size(),
                  "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=KOI8-R\">");
    QStringEncoder koi8("KOI8-R");
    dir.Write("older.html", QByteArray(koi8.encode(QString::fromStdString(older))).toStdString());
    EXPECT_EQ(Convert(dir / "older.html").info.declaredEncoding, "KOI8-R");
    EXPECT_EQ(Convert(dir / "older.html").text, text);

    // Without a charset: the text row's choice, "Авто" detecting as for a text.
    std::string bare = page;
    bare.erase(bare.find("<meta"), std::string("<meta charset=\"windows-1251\">").size());
    dir.Write("bare.htm", ToCp1251(bare));
    book = Convert(dir / "bare.htm");
    EXPECT_EQ(book.info.declaredEncoding, "");
    EXPECT_EQ(book.info.readAs, TextEncoding::Cp1251);
    EXPECT_EQ(book.text, text);
    dir.Write("bare-utf8.htm", bare);
    EXPECT_EQ(Convert(dir / "bare-utf8.htm").text, text);
    EXPECT_EQ(Convert(dir / "bare-utf8.htm", TextEncoding::Utf8).info.readAs, TextEncoding::Utf8);
}

TEST(BookFormats, PlainTextsAreNoBooks)
{
    TempDir dir;
    const std::pair<const char*, std::string> texts[] = {
        {"plain.txt", "Просто текст.\r\n"},
        {"book.fb2", "Файл с чужим расширением, но без разметки.\r\n"},
        {"angle.txt", "<не разметка> а текст в угловых скобках\r\n"},
        {"empty.txt", ""},
        {"comment.txt", "<!-- " + std::string(70000, 'x')},
        {"nested.txt", "<!DOCTYPE a [" + [] {
             std::string nested;
             for (int i = 0; i < 300000; ++i) nested += "<!b [";
             return nested;
         }()},
        {"other.xml", "<?xml version=\"1.0\"?><!DOCTYPE note><note>FictionBook</note>"},
    };
    for (const auto& [name, bytes] : texts) {
        dir.Write(name, bytes);
        EXPECT_FALSE(RecogniseBook(dir / name)) << name;
        // The text path takes them where they lie.
        const BookTextFile file(dir / name, TextEncoding::Auto, dir.Path());
        EXPECT_EQ(file.File().Path(), dir / name);
        EXPECT_FALSE(file.Book());
    }
}

TEST(BookFormats, BookTextFileHandsOnACp1251TextAndRemovesItAfterwards)
{
    TempDir dir;
    TempDir work;
    dir.Write("book.fb2", SampleFb2Cp1251());
    fs::path made;
    {
        const BookTextFile file(dir / "book.fb2", TextEncoding::Koi8r, work.Path());
        made = file.File().Path();
        EXPECT_EQ(made.parent_path(), work.Path());
        EXPECT_EQ(file.Encoding(), TextEncoding::Cp1251);
        ASSERT_TRUE(file.Book());
        EXPECT_EQ(file.Book()->declaredEncoding, "windows-1251");
        EXPECT_EQ(work.Read(made.filename().string()), ToCp1251(kSampleFb2Text));
    }
    EXPECT_FALSE(fs::exists(made));
    // Handed over, the file stays for the new owner.
    {
        BookTextFile file(dir / "book.fb2", TextEncoding::Auto, work.Path());
        made = file.Release();
    }
    EXPECT_TRUE(fs::exists(made));
    fs::remove(made);
    // A book refused leaves nothing behind either.
    dir.Write("broken.fb2", "<?xml version=\"1.0\"?><FictionBook><body><p>нет конца</body></FictionBook>");
    EXPECT_NE(ErrorOf([&] { BookTextFile(dir / "broken.fb2", TextEncoding::Auto, work.Path()); }), "");
    EXPECT_TRUE(fs::is_empty(work.Path()));
}

TEST(BookFormats, AFailingOutputStopsTheBookWithItsOwnMessage)
{
    // The layout runs beside the parse: its failure must win over a fault the parser finds
    // further on, and nothing may wait forever for the other side.
    class FailingSink : public TextSink {
    public:
        void Write(std::string_view) override
        {
            if (++writes == 3) throw std::runtime_error("диск полон");
        }
        int writes = 0;
    };
    TempDir dir;
    std::string fb2 = SampleFb2();
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "<p>Абзац номер " + std::to_string(i) + "</p>\n";
    fb2.insert(fb2.find("</section>"), many + "<p>сломано</b>");
    dir.Write("broken-late.fb2", fb2);
    WriteSampleEpub(dir / "book.epub");
    for (const char* name : {"broken-late.fb2", "book.epub"}) {
        FailingSink sink;
        EXPECT_EQ(ErrorOf([&] { ConvertBook(dir / name, *RecogniseBook(dir / name), sink); }), "диск полон") << name;
    }
    // Without the failing output the late fault is told, with its line.
    const auto line = std::count(fb2.begin(), fb2.begin() + static_cast<std::ptrdiff_t>(fb2.find("сломано")), '\n') + 1;
    EXPECT_TRUE(Contains(Refusal(dir / "broken-late.fb2"), "ошибка XML в строке " + std::to_string(line) + ","))
        << Refusal(dir / "broken-late.fb2");
}

TEST(BookFormats, BadBooksAreRefusedWithAMessageThatSaysWhy)
{
    TempDir dir;
    dir.Write("broken.fb2", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook>\n<body>\n<p>Строка</b>\n"
                            "</body></FictionBook>");
    std::string error = Refusal(dir / "broken.fb2");
    EXPECT_TRUE(Contains(error, "повреждена: ошибка XML в строке 4, позиции ")) << error;
    EXPECT_TRUE(Contains(error, "broken.fb2")) << error;

    dir.Write("unknown.fb2", "<?xml version=\"1.0\" encoding=\"x-martian\"?><FictionBook/>");
    EXPECT_TRUE(Contains(Refusal(dir / "unknown.fb2"), "x-martian")) << Refusal(dir / "unknown.fb2");

    dir.Write("entity.fb2", "<?xml version=\"1.0\"?><FictionBook><body><p>&nosuchname;</p></body></FictionBook>");
    EXPECT_TRUE(Contains(Refusal(dir / "entity.fb2"), "ошибка XML в строке 1")) << Refusal(dir / "entity.fb2");

    WriteArchive(dir / "nobook.zip", {{"readme.txt", "Нет тут книги"}, {"pic.png", "x"}});
    error = ErrorOf([&] { RecogniseBook(dir / "nobook.zip"); });
    EXPECT_TRUE(Contains(error, "нет книги")) << error;
    WriteArchive(dir / "letter.odt", {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}});
    EXPECT_TRUE(Contains(ErrorOf([&] { RecogniseBook(dir / "letter.odt"); }), "нет книги"));

    WriteArchive(dir / "two.zip", {{"a.fb2", SampleFb2()}, {"b.fb2", SampleFb2()}});
    EXPECT_TRUE(Contains(ErrorOf([&] { RecogniseBook(dir / "two.zip"); }), "несколько книг FB2"));

    const std::string noSpine = "нет читаемого порядка глав (spine)";
    WriteArchive(dir / "nocontainer.epub", {{"mimetype", "application/epub+zip"}});
    EXPECT_TRUE(Contains(Refusal(dir / "nocontainer.epub"), noSpine));
    auto frame = EpubFrame("<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest/><spine/></package>");
    WriteArchive(dir / "emptyspine.epub", frame);
    EXPECT_TRUE(Contains(Refusal(dir / "emptyspine.epub"), noSpine));
    frame = EpubFrame("<package><spine><itemref idref=\"a\"></spine>");
    WriteArchive(dir / "brokenopf.epub", frame);
    EXPECT_TRUE(Contains(Refusal(dir / "brokenopf.epub"), noSpine));

    frame = EpubFrame("<package/>");
    frame.push_back({"META-INF/encryption.xml",
                     "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
                     "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:EncryptionMethod "
                     "Algorithm=\"http://www.w3.org/2001/04/xmlenc#aes128-cbc\"/></enc:EncryptedData></encryption>"});
    WriteArchive(dir / "drm.epub", frame);
    EXPECT_TRUE(Contains(Refusal(dir / "drm.epub"), "защищена от копирования")) << Refusal(dir / "drm.epub");
    // Obfuscated fonts alone do not hide the text.
    WriteSampleEpub(dir / "fonts.epub");
    {
        ZipReader zip(dir / "fonts.epub");
        std::vector<NamedEntry> entries;
        for (const ZipEntry& e : zip.Entries()) entries.push_back({e.name, zip.ReadWhole(e, 1 << 20)});
        entries.push_back({"META-INF/encryption.xml",
                           "<encryption xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData>"
                           "<enc:EncryptionMethod Algorithm=\"http://www.idpf.org/2008/embedding\"/>"
                           "</enc:EncryptedData></encryption>"});
        WriteArchive(dir / "fonts.epub", entries);
    }
    EXPECT_EQ(Refusal(dir / "fonts.epub"), "");

    // An archive made to exhaust the machine: an entry that claims more than 2 GiB, and one whose
    // compression no text reaches.
    WriteFb2Zip(dir / "huge.fb2.zip");
    ClaimSize(dir / "huge.fb2.zip", 0xC0000000u);
    EXPECT_TRUE(Contains(Refusal(dir / "huge.fb2.zip"), "больше 2 ГБ")) << Refusal(dir / "huge.fb2.zip");
    WriteArchive(dir / "bomb.zip", {{"bomb.fb2", SampleFb2() + std::string(30 << 20, ' ')}});
    EXPECT_TRUE(Contains(Refusal(dir / "bomb.zip"), "архивы-бомбы")) << Refusal(dir / "bomb.zip");
    // An entry that yields other bytes than its directory promised is damaged.
    WriteFb2Zip(dir / "liar.fb2.zip");
    ClaimSize(dir / "liar.fb2.zip", 100);
    EXPECT_TRUE(Contains(Refusal(dir / "liar.fb2.zip"), "повреждён")) << Refusal(dir / "liar.fb2.zip");
}

TEST(BookFormats, EmbeddedImagesOfAnySizeAreSkippedWhileStreaming)
{
    TempDir dir;
    // Beyond libxml2's 10 MB limit for one text node, which a tree or a reader would hit.
    std::string book = SampleFb2();
    const std::string picture = "<binary id=\"big\" content-type=\"image/jpeg\">" + std::string(48 << 20, 'A') + "</binary>";
    book.insert(book.rfind("</FictionBook>"), picture);
    dir.Write("big.fb2", book);
    const Converted converted = Convert(dir / "big.fb2");
    EXPECT_EQ(converted.text, kSampleFb2Text);
}

TEST(BookFormats, TitlesAreShortenedAtAWordBoundary)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Война и мир", "Война и мир"},
        {"  Мастер   и\nМаргарита ", "Мастер и Маргарита"},
        {"Преступление и наказание", "Преступление и"},
        {"Двадцать символов ок", "Двадцать символов ок"},      // exactly 20
        {"Двадцать символов ок и ещё", "Двадцать символов ок"},  // the 21st is a blank
        {"Двадцать символов ок, и ещё", "Двадцать символов"},
        {"Сверхдлинноесловобезпробелов", "Сверхдлинноесловобез"},
        {"Отцы, дети и внуки героев", "Отцы, дети и внуки"},
        {"Тут, там — где-нибудь ещё", "Тут, там"},
        {"", ""},
    };
    for (const auto& [title, expected] : cases) EXPECT_EQ(ShortBookTitle(title).toStdString(), expected) << title;
}

} // namespace lumira

namespace lumira {

TEST(BookFormats, EachFormatNamesItsLanguageAnFb2ItsOriginalsWhenNoOther)
{
    TempDir dir;
    const auto fb2 = [](const std::string& info) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">"
               "<description><title-info><book-title>Книга</book-title>" + info +
               "</title-info></description><body><section><p>Текст</p></section></body></FictionBook>";
    };
    dir.Write("own.fb2", fb2("<lang>uk</lang><src-lang>de</src-lang>"));
    dir.Write("original.fb2", fb2("<src-lang> de </src-lang>"));
    dir.Write("none.fb2", fb2(""));
    EXPECT_EQ(Convert(dir / "own.fb2").info.language, "uk");
    EXPECT_EQ(Convert(dir / "original.fb2").info.language, "de");
    EXPECT_EQ(Convert(dir / "none.fb2").info.language, "");
    dir.Write("page.html", "<html xml:lang=\"en-GB\"><head><title>T</title></head><body><p>Text</p></body></html>");
    EXPECT_EQ(Convert(dir / "page.html").info.language, "en-GB");
}

} // namespace lumira
