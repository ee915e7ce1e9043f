#include "sample_books.h"

#include "book/zip_test_util.h"

#include <QString>
#include <QStringEncoder>

namespace lumira {

namespace {

std::string Replace(std::string text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

const char* const kFb2 = R"(<?xml version="1.0" encoding="@ENC@"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<stylesheet type="text/css">p { text-indent: 2em }</stylesheet>
<description>
 <title-info><genre>adventure</genre><author><first-name>Андрей</first-name><last-name>Некрасов</last-name></author>
  <book-title>Приключения   капитана Врунгеля</book-title><lang>ru</lang>
  <coverpage><image l:href="#cover.png"/></coverpage></title-info>
 <document-info><book-title>Не это название</book-title></document-info>
</description>
<body>
 <title><p>Книга первая</p></title>
 <epigraph><p>Как вы яхту назовёте,</p><p>так она и поплывёт.</p><text-author>Капитан</text-author></epigraph>
 <section>
  <title><p>Глава 1</p><p>Начало</p></title>
  <p>Капитан <emphasis>Врунгель</emphasis> вышел в&#160;море<a l:href="#n1" type="note">[1]</a>&nbsp;&mdash; на <strong>«Беде»</strong>.</p>
  <image l:href="#cover.png"/>
  <empty-line/>
  <p>Ветер
     был  свежий &amp; ровный.</p>
  <section>
   <title><p>Глава 1.1</p></title>
   <poem><title><p>Песня</p></title>
    <stanza><v>Первая строка,</v><v>вторая строка.</v></stanza>
    <stanza><v>Третья строка.</v></stanza>
    <text-author>Матрос</text-author></poem>
   <cite><p>Цитата<a l:href="#n2" type="note">*</a>.</p><text-author>Автор</text-author></cite>
  </section>
 </section>
</body>
<body name="notes">
 <title><p>Примечания</p></title>
 <section id="n1"><title><p>1</p></title><p>Море — большая вода.</p></section>
 <section id="n2"><p>Звёздочка.</p><p>Второй абзац.</p></section>
</body>
<binary id="cover.png" content-type="image/png">iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==</binary>
</FictionBook>
)";

} // namespace

const char* const kSampleFb2Title = "Приключения капитана Врунгеля";
namespace {
const std::string kSampleFb2Marked = WithLayoutMarks(
    "Книга первая\r\n"
    "\r\n"
    "   Как вы яхту назовёте,\r\n"
    "   так она и поплывёт.\r\n"
    "   Капитан\r\n"
    "\r\n"
    "Глава 1\r\n"
    "Начало\r\n"
    "\r\n"
    "   Капитан Врунгель вышел в море[1] — на «Беде».\r\n"
    "\r\n"
    "   Ветер был свежий & ровный.\r\n"
    "\r\n"
    "Глава 1.1\r\n"
    "\r\n"
    "Песня\r\n"
    "\r\n"
    "   Первая строка,\r\n"
    "   вторая строка.\r\n"
    "\r\n"
    "   Третья строка.\r\n"
    "\r\n"
    "   Матрос\r\n"
    "\r\n"
    "   Цитата*.\r\n"
    "   Автор\r\n"
    "\r\n"
    "Примечания\r\n"
    "\r\n"
    "   [1] Море — большая вода.\r\n"
    "   * Звёздочка.\r\n"
    "   Второй абзац.\r\n");
} // namespace
const char* const kSampleFb2Text = kSampleFb2Marked.c_str();

std::string SampleFb2(const std::string& encoding)
{
    return Replace(kFb2, "@ENC@", encoding);
}

std::string ToCp1251(const std::string& utf8)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(QString::fromStdString(utf8));
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string SampleFb2Cp1251()
{
    return ToCp1251(SampleFb2("windows-1251"));
}

void WriteArchive(const std::filesystem::path& archive, const std::vector<NamedEntry>& entries)
{
    std::vector<TemplateEntry> zip;
    for (const NamedEntry& e : entries) zip.push_back(TemplateEntry{e.name, e.content});
    MakeZip(archive, zip);
}

void WriteFb2Zip(const std::filesystem::path& archive, const std::string& entryName)
{
    WriteArchive(archive, {{entryName, SampleFb2()}});
}

std::vector<NamedEntry> EpubFrame(const std::string& opf)
{
    return {{"mimetype", "application/epub+zip"},
            {"META-INF/container.xml",
             R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">)"
             R"(<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>)"
             R"(</rootfiles></container>)"},
            {"OEBPS/content.opf", opf}};
}

const char* const kSampleEpubTitle = "Сказки народов мира";

namespace {

std::string Xhtml(const std::string& body)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE html>
<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">
<head><title>Глава</title><style>p { text-indent: 1em }</style></head>
<body>)" + body + "</body></html>";
}

} // namespace

void WriteSampleEpub(const std::filesystem::path& archive, bool epub3)
{
    const std::string opf = std::string(R"(<?xml version="1.0" encoding="utf-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version=")") + (epub3 ? "3.0" : "2.0") + R"(" unique-identifier="id">
<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="id">x</dc:identifier>
<dc:title>Сказки народов мира и другие истории</dc:title><dc:language>ru</dc:language></metadata>
<manifest>
 <item id="notes" href="Text/notes.xhtml" media-type="application/xhtml+xml"/>
 <item id="c2" href="Text/ch2.xhtml" media-type="application/xhtml+xml"/>
 <item id="c1" href="Text/chapter%201.xhtml" media-type="application/xhtml+xml"/>
 <item id="css" href="style.css" media-type="text/css"/>
 <item id="pic" href="Images/x.png" media-type="image/png"/>
 <item id="toc" href="Text/nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>
</manifest>
<spine><itemref idref="toc"/><itemref idref="c1"/><itemref idref="c2"/><itemref idref="notes"/></spine>
</package>)";
    std::vector<NamedEntry> entries = EpubFrame(opf);
    // Stored against the reading order: notes, chapter 2, chapter 1.
    entries.push_back({"OEBPS/Text/notes.xhtml", Xhtml("<h1>Примечания</h1><h3 id=\"n1\">1</h3><p>Рыжий — цвет.</p>")});
    entries.push_back(
        {"OEBPS/Text/ch2.xhtml",
         Xhtml(std::string("<section><h2>Глава <em>вторая</em></h2><p>Конец &amp; точка.</p></section>") +
               (epub3 ? R"(<aside epub:type="footnote" id="fn2"><p>2 Сноска в главе.</p></aside>)" : ""))});
    entries.push_back({"OEBPS/Text/chapter 1.xhtml",
                       Xhtml("<h1>Глава&nbsp;первая</h1><div><div><p>Жил&#160;был &laquo;кот&raquo; &mdash; "
                             "рыжий<a epub:type=\"noteref\" href=\"notes.xhtml#n1\">1</a>.</p></div>"
                             "<div>Строка один<br/>Строка два</div></div><img src=\"../Images/x.png\" alt=\"рисунок\"/>")});
    entries.push_back({"OEBPS/style.css", "p { margin: 0 }"});
    // The table of contents, even when listed in the spine, is no part of the text.
    entries.push_back({"OEBPS/Text/nav.xhtml", Xhtml("<nav epub:type=\"toc\"><ol><li>Глава первая</li></ol></nav>")});
    WriteArchive(archive, entries);
}

std::string WithLayoutMarks(std::string_view plain)
{
    std::string marked;
    size_t start = 0;
    while (start < plain.size()) {
        size_t end = plain.find("\r\n", start);
        if (end == std::string_view::npos) end = plain.size();
        const std::string_view line = plain.substr(start, end - start);
        if (line.empty()) marked += '\x02';
        else if (line.substr(0, 3) != "   ") marked += '\x01';
        marked += line;
        marked += plain.substr(end, 2);
        start = end + 2;
    }
    return marked;
}

std::string SampleEpubText(bool epub3)
{
    return WithLayoutMarks(std::string("Глава первая\r\n"
                       "\r\n"
                       "   Жил был «кот» — рыжий[1].\r\n"
                       "   Строка один\r\n"
                       "   Строка два\r\n"
                       "\r\n"
                       "Глава вторая\r\n"
                       "\r\n"
                       "   Конец & точка.\r\n"
                       "\r\n"
                       "Примечания\r\n"
                       "\r\n") +
           (epub3 ? "   2 Сноска в главе.\r\n" : "") + "   [1] Рыжий — цвет.\r\n");
}

} // namespace lumira
