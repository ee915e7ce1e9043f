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
#include <cstdint>
#include <string>

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
    void CheckGoing() override { out_.CheckGoing(); }
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

// How far the markup before a document's root element is followed: comments, processing
// instructions and a document type declaration with its internal subset. No book has more.
constexpr std::uint64_t kPrologLimit = 16u << 20;

// The bytes of a file one by one, UTF-16 taken as the ASCII of its markup (every other byte).
class MarkupBytes {
public:
    // Skips `skip` bytes (a byte-order mark), then takes those at a position that leaves `phase`
    // when divided by `step`.
    MarkupBytes(const TextFile& file, size_t skip, size_t step, size_t phase)
        : in_(file), step_(step), phase_(phase), skip_(skip)
    {
    }

    // The next byte, or -1 at the end (or past the limit).
    int Next()
    {
        for (;;) {
            if (at_ == buffer_.size() && !Refill()) return -1;
            const std::uint64_t position = taken_ - buffer_.size() + at_;
            const auto c = static_cast<unsigned char>(buffer_[at_++]);
            if (position >= skip_ && position % step_ == phase_) return c;
        }
    }

private:
    bool Refill()
    {
        if (taken_ >= kPrologLimit) return false;
        buffer_.resize(64 * 1024);
        buffer_.resize(in_.Read(buffer_.data(), buffer_.size()));
        at_ = 0;
        taken_ += buffer_.size();
        return !buffer_.empty();
    }

    InFile in_;
    std::string buffer_;
    size_t at_ = 0;
    std::uint64_t taken_ = 0;  // bytes read from the file
    size_t step_, phase_, skip_;
};

bool IsXmlSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads on to the end of `close`; false when the bytes end first.
bool SkipPast(MarkupBytes& in, std::string_view close)
{
    std::string last;  // the latest bytes, as many as `close` has
    for (int c; (c = in.Next()) >= 0;) {
        if (last.size() == close.size()) last.erase(0, 1);
        last += static_cast<char>(c);
        if (last == close) return true;
    }
    return false;
}

// The rest of a declaration after "<!": its quoted strings and an internal subset in brackets,
// with the comments and processing instructions there, may hold '>' of their own. The subset's
// own declarations need no more: a '>' inside the brackets ends nothing.
bool SkipDeclaration(MarkupBytes& in)
{
    int depth = 0;
    for (int c; (c = in.Next()) >= 0;) {
        if (c == '"' || c == '\'') {
            if (!SkipPast(in, c == '"' ? "\"" : "'")) return false;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            depth = std::max(0, depth - 1);
        } else if (c == '<' && depth > 0) {
            // A comment or a processing instruction; the first letter of a declaration is
            // taken with them, which changes nothing.
            c = in.Next();
            const bool comment = c == '!' && in.Next() == '-' && in.Next() == '-';
            if ((comment && !SkipPast(in, "-->")) || (c == '?' && !SkipPast(in, "?>"))) return false;
        } else if (c == '>' && depth == 0) {
            return true;
        }
    }
    return false;
}

// The name of the document's root element (lower case, without a namespace prefix), past the
// XML declaration, processing instructions, comments and the document type declaration however
// long they are; empty when the bytes are not markup.
std::string RootElementName(MarkupBytes& in)
{
    for (;;) {
        int c = in.Next();
        while (IsXmlSpace(c)) c = in.Next();
        if (c != '<') return {};
        c = in.Next();
        if (c == '?') {
            if (!SkipPast(in, "?>")) return {};
        } else if (c == '!') {
            c = in.Next();
            if (c == '-') {
                if (in.Next() != '-' || !SkipPast(in, "-->")) return {};
            } else if (c < 0 || !SkipDeclaration(in)) {
                return {};
            }
        } else {
            std::string name;
            for (; c >= 0 && !IsXmlSpace(c) && c != '>' && c != '/' && name.size() < 64; c = in.Next()) {
                name += static_cast<char>(std::tolower(c));
                if (c == ':') name.clear();
            }
            return name;
        }
    }
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
    // A UTF-16 book, with a byte-order mark or without, is recognised by the ASCII of its markup.
    size_t skip = 0, step = 1, phase = 0;
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
        skip = 2, step = 2, phase = head[0] == '\xFF' ? 0 : 1;
    } else if (const auto order = Utf16OrderWithoutMark(head)) {
        step = 2, phase = *order == ByteOrder::Little ? 0 : 1;
    } else if (head.starts_with("\xEF\xBB\xBF")) {
        skip = 3;
    }
    if (step == 2) {
        std::string narrow;
        for (size_t i = skip + phase; i < head.size(); i += 2) narrow += head[i];
        head = std::move(narrow);
    } else {
        head.erase(0, skip);
    }
    const size_t first = head.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || head[first] != '<') return std::nullopt;
    // The root element decides, however long the comments and the document type before it are;
    // markup that is no whole document is judged by the names in its beginning.
    MarkupBytes markup(file, skip, step, phase);
    const std::string root = RootElementName(markup);
    if (root == "fictionbook") return BookFormat::Fb2;
    if (root == "html") return BookFormat::Html;
    const std::string lower = LowerAscii(head);
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
