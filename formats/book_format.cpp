#include "formats/book_format.h"

#include "formats/epub_reader.h"
#include "formats/fb2_reader.h"
#include "formats/html_reader.h"
#include "formats/text_layout.h"
#include "formats/zip_reader.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>

namespace lumira {

namespace fs = std::filesystem;

namespace {

constexpr int kTitleLimit = 20;

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsFb2Name(const std::string& name)
{
    return name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".fb2" && name.back() != '/';
}

// The one FB2 file of an archive; an archive without one, or with several, is refused.
const ZipEntry& Fb2Entry(const ZipReader& zip)
{
    const ZipEntry* found = nullptr;
    for (const ZipEntry& e : zip.Entries()) {
        if (!IsFb2Name(e.name)) continue;
        if (found)
            throw AppError(FormatText(Translate("Books", "В архиве %1 несколько книг FB2 («%2», «%3»…); выберите архив с одной "
                                                         "книгой или распакуйте его."),
                                      {PathText(zip.Path()), found->name, e.name}));
        found = &e;
    }
    if (!found) throw AppError(FormatText(Translate("Books", "В архиве %1 нет книги: ни файла FB2, ни книги EPUB."), {PathText(zip.Path())}));
    return *found;
}

// Passes the laid-out text on and counts it, up to what a book of its size can hold: the
// layout adds little to the words (an indent and a line break for a paragraph whose markup is
// longer), so a text more than twice its source comes from a book made to fill the disk.
class CountingSink : public TextSink {
public:
    CountingSink(TextSink& out, std::uint64_t sourceSize, std::string shownAs)
        : out_(out), limit_(2 * sourceSize + (1u << 20)), shownAs_(std::move(shownAs))
    {
    }
    void Write(std::string_view bytes) override
    {
        written += bytes.size();
        if (written > limit_)
            throw AppError(FormatText(Translate("Books", "Книга %1 даёт больше текста, чем может содержать книга её размера "
                                                         "(более %2 МБ): она повреждена или сделана, чтобы переполнить диск."),
                                      {shownAs_, std::to_string(limit_ >> 20)}));
        out_.Write(bytes);
    }
    std::uint64_t written = 0;

private:
    TextSink& out_;
    std::uint64_t limit_;
    std::string shownAs_;
};

// The bytes the text is made from: the file, or what its archive holds unpacked.
std::uint64_t SourceSize(const TextFile& file, BookFormat format)
{
    if (format != BookFormat::Epub && format != BookFormat::Fb2Zip) return file.Size();
    std::uint64_t total = 0;
    const ZipReader zip(file);
    for (const ZipEntry& e : zip.Entries()) total += e.size;
    return total;
}

BookInfo ConvertFormat(const TextFile& file, BookFormat format, TextSink& sink, TextEncoding chosen)
{
    switch (format) {
    case BookFormat::Fb2: {
        InFile in(file);
        return ReadFb2([&](char* buffer, size_t count) { return in.Read(buffer, count); }, PathText(file.Path()), sink);
    }
    case BookFormat::Fb2Zip: {
        ZipReader zip(file);
        const ZipEntry& entry = Fb2Entry(zip);
        zip.Open(entry);
        BookInfo info = ReadFb2([&](char* buffer, size_t count) { return zip.Read(buffer, count); },
                                PathText(file.Path()) + " (" + entry.name + ")", sink);
        zip.Close();
        info.format = BookFormat::Fb2Zip;
        return info;
    }
    case BookFormat::Epub: return ReadEpub(file, sink);
    case BookFormat::Html: return ReadHtmlFile(file, sink, chosen);
    }
    return {};
}

} // namespace

QString FormatDisplayName(BookFormat format)
{
    switch (format) {
    case BookFormat::Fb2: return QStringLiteral("FB2");
    case BookFormat::Fb2Zip: return QCoreApplication::translate("Books", "FB2 в ZIP");
    case BookFormat::Epub: return QStringLiteral("EPUB");
    case BookFormat::Html: return QStringLiteral("HTML");
    }
    return {};
}

std::optional<BookFormat> RecogniseBook(const TextFile& file)
{
    std::string head(4096, '\0');
    {
        InFile in(file);
        head.resize(in.Read(head.data(), head.size()));
    }
    if (LooksLikeZip(head)) {
        ZipReader zip(file);
        if (zip.Find("META-INF/container.xml")) return BookFormat::Epub;
        // Office documents carry a "mimetype" entry too: only EPUB's own counts.
        if (const ZipEntry* type = zip.Find("mimetype"); type && type->size < 256 &&
                                                          zip.ReadWhole(*type, 256).starts_with("application/epub+zip"))
            return BookFormat::Epub;
        Fb2Entry(zip);
        return BookFormat::Fb2Zip;
    }
    // A UTF-16 book is recognised by the ASCII of its markup.
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
        std::string narrow;
        for (size_t i = head[0] == '\xFF' ? 2 : 3; i < head.size(); i += 2) narrow += head[i];
        head = std::move(narrow);
    }
    std::string_view text = head;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '<') return std::nullopt;
    const std::string lower = LowerAscii(text);
    if (lower.find("<fictionbook") != std::string::npos) return BookFormat::Fb2;
    if (lower.find("<html") != std::string::npos || lower.find("<!doctype html") != std::string::npos)
        return BookFormat::Html;
    return std::nullopt;
}

BookInfo ConvertBook(const TextFile& file, BookFormat format, TextSink& sink, TextEncoding chosen)
{
    CountingSink counted(sink, SourceSize(file, format), PathText(file.Path()));
    BookInfo info = ConvertFormat(file, format, counted, chosen);
    // Pictures alone, or nothing at all: no book to read.
    if (counted.written == 0)
        throw AppError(FormatText(Translate("Books", "В книге нет текста: %1"), {PathText(file.Path())}));
    return info;
}

std::string NotesTitle(const std::string& language)
{
    const std::string tag = LowerAscii(language.substr(0, language.find_first_of("-_")));
    if (tag.empty()) return Translate("Books", "Примечания");
    if (tag == "ru") return kNotesTitle;
    if (tag == "uk") return "Примітки";
    if (tag == "be") return "Заўвагі";
    if (tag == "bg") return "Бележки";
    if (tag == "de") return "Anmerkungen";
    return "Notes";
}

QString ShortBookTitle(const std::string& titleUtf8)
{
    QString t = QString::fromUtf8(CollapseSpaces(titleUtf8));
    if (t.size() > kTitleLimit) {
        const qsizetype blank = t.left(kTitleLimit + 1).lastIndexOf(QLatin1Char(' '));
        t = blank > 0 ? t.left(blank) : t.left(kTitleLimit);
    }
    static const QString dangling = QStringLiteral(" ,;:-–—(«\"");
    while (!t.isEmpty() && dangling.contains(t.back())) t.chop(1);
    return t;
}

} // namespace lumira
