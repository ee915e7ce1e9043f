// Books made to confuse or exhaust the readers: deep nesting, a repeated spine, text far beyond
// the book's size, an internal DTD subset, a charset the bytes cannot be.
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "converted_text.h"
#include "sample_books.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

std::string Nested(int depth)
{
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<div><span>";
    s += "глубоко";
    for (int i = 0; i < depth; ++i) s += "</span></div>";
    return s + "<p>после</p>";
}

void WriteEpub(const std::filesystem::path& file, const std::string& chapter, int listed)
{
    std::string spine;
    for (int i = 0; i < listed; ++i) spine += "<itemref idref=\"c\"/>";
    std::vector<NamedEntry> entries = EpubFrame(
        "<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest><item id=\"c\" href=\"c.xhtml\" "
        "media-type=\"application/xhtml+xml\"/></manifest><spine>" + spine + "</spine></package>");
    entries.push_back({"OEBPS/c.xhtml", "<html><body>" + chapter + "</body></html>"});
    WriteArchive(file, entries);
}

} // namespace

TEST(HostileBooks, TextNestedBeyondTheParsersUsualDepthIsKept)
{
    TempDir dir;
    for (int depth : {255, 300, 5000}) {
        SCOPED_TRACE(depth);
        dir.Write("deep.html", "<html><body>" + Nested(depth) + "</body></html>");
        WriteEpub(dir / "deep.epub", Nested(depth), 1);
        for (const char* name : {"deep.html", "deep.epub"}) EXPECT_EQ(ConvertedText(dir / name), "   глубоко\r\n   после\r\n") << name;
    }
}

TEST(HostileBooks, ARepeatedSpineIsReadOnceAndTextBeyondTheBooksSizeIsRefused)
{
    TempDir dir;
    WriteEpub(dir / "repeated.epub", "<p>Одна глава.</p>", 3000);
    EXPECT_EQ(ConvertedText(dir / "repeated.epub"), "   Одна глава.\r\n");

    // One long reference, its note repeated: each copy would carry the whole mark.
    std::string fb2 = "<?xml version=\"1.0\"?><FictionBook><body><p>Текст<a href=\"#n\" type=\"note\">" +
                      std::string(100000, 'x') + "</a></p></body><body name=\"notes\">";
    for (int i = 0; i < 300; ++i) fb2 += "<section id=\"n\"><p>a</p></section>";
    dir.Write("amplified.fb2", fb2 + "</body></FictionBook>");
    const std::string error = ErrorOf([&] { ConvertedText(dir / "amplified.fb2"); });
    EXPECT_TRUE(Contains(error, "даёт больше текста, чем может содержать книга её размера")) << error;
    EXPECT_TRUE(Contains(error, "amplified.fb2")) << error;
}

TEST(HostileBooks, AnInternalSubsetAndAnImpossibleCharsetLeaveTheTextAlone)
{
    TempDir dir;
    dir.Write("subset.xhtml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                              "\"x.dtd\" [\n<!ENTITY author \"Пушкин\">\n<!ENTITY % p \"]>\">\n<!ENTITY big SYSTEM \"/etc/passwd\">\n]>\n"
                              "<html><head><title>Заголовок</title></head><body><p>Стихи &author; и &big;.</p></body></html>");
    const std::string text = ConvertedText(dir / "subset.xhtml");
    EXPECT_EQ(text, "   Стихи Пушкин и &big;.\r\n");

    // A charset of two bytes a character, declared in single-byte markup, cannot be true.
    const std::string page = "<html><head><meta charset=\"utf-16\"><title>Т</title></head><body><p>Привет, мир</p></body></html>";
    dir.Write("utf8.html", page);
    dir.Write("cp1251.html", ToCp1251(page));
    for (const char* name : {"utf8.html", "cp1251.html"}) {
        EXPECT_EQ(ConvertedText(dir / name), "   Привет, мир\r\n") << name;
        StringSink sink;
        EXPECT_EQ(ConvertBook(dir / name, BookFormat::Html, sink).declaredEncoding, "") << name;
    }
}

} // namespace lumira
