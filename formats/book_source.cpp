#include "formats/book_source.h"

#include "formats/text_layout.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QTemporaryFile>
#include <system_error>

namespace fs = std::filesystem;

BookTextFile::BookTextFile(const fs::path& source, TextEncoding chosen, const fs::path& folder)
    : file_(source), encoding_(chosen)
{
    const std::optional<BookFormat> format = RecogniseBook(source);
    if (!format) return;
    {
        QTemporaryFile reserve(FromFsPath(folder / "lumira-book-XXXXXX.txt"));
        reserve.setAutoRemove(false);
        if (!reserve.open()) ThrowCannotCreate(folder / "lumira-book.txt");
        copy_ = ToFsPath(reserve.fileName());
    }
    try {
        FileSink sink(copy_);
        book_ = ConvertBook(source, *format, sink, chosen);
        sink.Close();
    } catch (...) {
        std::error_code ec;
        fs::remove(copy_, ec);
        throw;
    }
    file_ = copy_;
    encoding_ = TextEncoding::Utf8;
}

BookTextFile::~BookTextFile()
{
    if (copy_.empty()) return;
    std::error_code ec;
    fs::remove(copy_, ec);
}
