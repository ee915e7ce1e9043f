#include "formats/book_source.h"

#include "formats/cp1251_sink.h"
#include "formats/text_layout.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QTemporaryFile>
#include <system_error>
#include <utility>

namespace lumira {

namespace fs = std::filesystem;

BookTextFile::BookTextFile(const TextFile& source, TextEncoding chosen, const fs::path& folder)
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
        FileSink file(copy_);
        Cp1251TextSink sink(file);
        book_ = ConvertBook(source, *format, sink, chosen);
        report_ = sink.Finish();
        file.Close();
        file_ = TextFile(copy_);
    } catch (...) {
        std::error_code ec;
        fs::remove(copy_, ec);
        throw;
    }
    encoding_ = TextEncoding::Cp1251;
}

std::filesystem::path BookTextFile::Release()
{
    return std::exchange(copy_, {});
}

BookTextFile::~BookTextFile()
{
    if (copy_.empty()) return;
    file_ = TextFile();  // closed first: some systems keep an open file from being removed
    std::error_code ec;
    fs::remove(copy_, ec);
}

} // namespace lumira
