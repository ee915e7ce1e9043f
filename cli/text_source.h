#pragma once
// A text named on the command line, and the two ways it is read: whole and unchanged by the
// book builder, and as a list of lines by the page layout. Every reading of a text goes
// through here.
#include <QString>
#include <filesystem>
#include <string>

class TextSource {
public:
    // `given` is the name as typed; a relative name is taken from the current folder.
    explicit TextSource(const QString& given);

    // The name as the user typed it, for messages.
    const QString& Given() const { return given_; }
    // The absolute path, native separators.
    const QString& Path() const { return path_; }
    // The file name without its folder.
    QString FileName() const;

    // The cp1251 file the book is made from, copied into the package byte for byte. `scratch` is
    // a private folder the caller removes afterwards.
    std::filesystem::path BookFile(const std::filesystem::path& scratch) const;

    // The whole text as the page layout reads it: split into lines, every line followed by
    // CR LF, ending early at a zero byte; never shortened.
    std::string LayoutString() const;

private:
    QString given_;
    QString path_;
};
