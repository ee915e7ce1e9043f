#include "cli/text_source.h"

#include "book/naming.h"
#include "cli/interrupt.h"
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "platform/text_kind.h"
#include "preview/page_layout.h"
#include "preview/page_setup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lumira {

TextSource::TextSource(const QString& given)
    : given_(given), path_(QDir::toNativeSeparators(QFileInfo(given).absoluteFilePath()))
{
}

QString TextSource::FileName() const
{
    return FileNamePart(path_);
}

TextFile TextSource::Open() const
{
    return TextFile(ToFsPath(path_));
}

BookText TextSource::BookFile(const TextFile& opened, const std::filesystem::path& scratch, TextEncoding encoding) const
{
    return BookText(opened, encoding, scratch, BookText::Streamed{});
}

std::string TextSource::LayoutString(const TextFile& opened, TextEncoding encoding, QString* notice,
                                     std::string* language, BookOutline* outline) const
{
    ConversionReport report;
    TextEncoding resolved = TextEncoding::Cp1251;
    std::string text = ReadLayoutText(opened, encoding, language, &resolved, &report, outline);
    if (notice) {
        notice->clear();
        if (resolved != TextEncoding::Cp1251) {
            // A book is read as UTF-8 whatever was chosen: no choice of "Авто" to tell of.
            if (RecogniseBook(opened)) encoding = TextEncoding::Utf8;
            QStringList lines;
            for (const QString& line : {AutoChoiceNotice(encoding, report.encoding), ConversionNotice(resolved, report)})
                if (!line.isEmpty()) lines << line;
            *notice = lines.join(QLatin1Char('\n'));
        }
    }
    return text;
}

QString AutoChoiceNotice(TextEncoding chosen, TextEncoding read)
{
    if (chosen != TextEncoding::Auto || read == TextEncoding::Cp1251) return {};
    return QCoreApplication::translate("TextSource", "Кодировка определена автоматически: %1.").arg(EncodingDisplayName(read));
}

namespace {

// The text of a book read for its title and language only: dropped, and given up on a stop request.
class TitleOnlySink : public TextSink {
public:
    void Write(std::string_view) override { CheckInterrupt(); }
    void CheckGoing() override { CheckInterrupt(); }
};

} // namespace

std::optional<BookInfo> TextSource::Book(const TextFile& opened, TextEncoding encoding) const
{
    const auto format = RecogniseBook(opened);
    if (!format) return std::nullopt;
    TitleOnlySink nothing;
    return ConvertBook(opened, *format, nothing, encoding);
}

QString TextSource::DefaultTitle(const std::optional<BookInfo>& book) const
{
    if (book) {
        const QString title = ShortBookTitle(book->title);
        if (!title.isEmpty()) return title;
    }
    return SanitizeCaption(WithoutExtension(FileName()));
}

} // namespace lumira
