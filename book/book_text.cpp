#include "book/book_text.h"

#include "book/book_builder.h"
#include "formats/book_source.h"
#include "formats/cp1251_sink.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/text_kind.h"

#include <QCoreApplication>
#include <QTemporaryFile>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Reserves a file name of its own in `folder` (created empty, left in place).
fs::path ReserveCopyName(const fs::path& folder)
{
    QTemporaryFile file(FromFsPath(folder / "lumira-text-XXXXXX.txt"));
    file.setAutoRemove(false);
    if (!file.open()) ThrowCannotCreate(folder / "lumira-text.txt");
    const fs::path name = ToFsPath(file.fileName());
    file.close();
    return name;
}

} // namespace

BookText::BookText(const TextFile& chosenFile, TextEncoding chosenEncoding, const fs::path& copyFolder)
{
    Open(chosenFile, chosenEncoding, copyFolder);
}

namespace {

// The laid-out book's cp1251 bytes into the stream.
class StreamSink : public TextSink {
public:
    explicit StreamSink(TextStream& stream) : stream_(stream) {}
    void Write(std::string_view bytes) override { stream_.Write(bytes); }
    void CheckGoing() override { stream_.CheckGoing(); }

private:
    TextStream& stream_;
};

} // namespace

BookText::BookText(const TextFile& chosenFile, TextEncoding chosenEncoding, const fs::path& copyFolder, Streamed)
{
    const std::optional<BookFormat> format = RecogniseBook(chosenFile);
    if (!format) {
        Open(chosenFile, chosenEncoding, copyFolder);
        return;
    }
    fromBook_ = true;
    stream_ = std::make_unique<TextStream>();
    stream_->SetSizeHint(chosenFile.Size());
    report_.encoding = TextEncoding::Utf8;
    maker_ = std::thread([this, chosenFile, chosenEncoding, format = *format] {
        try {
            StreamSink out(*stream_);
            Cp1251TextSink sink(out);
            outline_ = ConvertBook(chosenFile, format, sink, chosenEncoding).outline;
            report_ = sink.Finish();
            stream_->End();
        } catch (...) {
            stream_->Fail(std::current_exception());
        }
    });
}

void BookText::Settle() const
{
    if (!maker_.joinable()) return;
    stream_->Abandon();  // nothing more is read: a book still being laid out stops
    maker_.join();
}

const ConversionReport& BookText::Report() const
{
    Settle();
    return report_;
}

void BookText::Into(BookRequest& request) const
{
    request.textStream = stream_.get();
    request.textFile = file_;
    request.outline = fromBook_ ? &outline_ : nullptr;
}

void BookText::Open(const TextFile& chosenFile, TextEncoding chosenEncoding, const fs::path& copyFolder)
{
    // A book (FB2, EPUB, HTML) is laid out straight into a cp1251 copy, which this object keeps.
    BookTextFile book(chosenFile, chosenEncoding, copyFolder);
    if (book.Book()) {
        fromBook_ = true;
        report_ = book.Report();
        outline_ = book.Book()->outline;
        file_ = book.File();
        copy_ = book.Release();
        return;
    }
    const TextFile& source = book.File();
    RefuseNonText(source);
    const TextEncoding chosen = book.Encoding();
    const TextEncoding resolved = ResolveEncoding(source, chosen);
    if (resolved == TextEncoding::Cp1251) {
        file_ = source;
        report_.encoding = TextEncoding::Cp1251;
        return;
    }
    copy_ = ReserveCopyName(copyFolder);
    try {
        // "Авто" is passed on as such, so that a text broken past its beginning falls back.
        report_ = ConvertFileToCp1251(source, chosen == TextEncoding::Auto ? chosen : resolved, copy_);
        file_ = TextFile(copy_);
    } catch (...) {
        std::error_code ec;
        fs::remove(copy_, ec);
        throw;
    }
    fellBack_ = report_.encoding != resolved;
}

BookText::~BookText()
{
    Settle();
    if (copy_.empty()) return;
    file_ = TextFile();  // closed first: some systems keep an open file from being removed
    std::error_code ec;
    fs::remove(copy_, ec);
}

QString BookText::Notice() const
{
    return ConversionNotice(fellBack_ ? TextEncoding::Utf8 : Report().encoding, Report());
}

QString ConversionNotice(TextEncoding resolved, const ConversionReport& report)
{
    QStringList parts;
    if (report.encoding != resolved)
        parts << QCoreApplication::translate("BookText", "Текст не целиком в кодировке %1 и прочитан как %2.")
                     .arg(EncodingDisplayName(resolved), EncodingDisplayName(report.encoding));
    if (report.replaced > 0) parts << report.Summary();
    return parts.join(QLatin1Char('\n'));
}

} // namespace lumira
