#pragma once
// The one text layout every book format is turned into: UTF-8 lines ending in CR LF, each
// paragraph one line starting with three blanks, each title line starting with the title mark
// (byte 1) instead of the indent, and the empty lines (before and after a title, between stanzas,
// a section break) written as a line holding only the spacer mark (byte 2), so that the page
// layout shows a title on screen lines of its own and an empty screen line where one is asked
// for. Never two empty lines in a row, none at the start or the end. A paragraph that is only a
// row of asterisks ("* * *", "***") is a section break: an empty line.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// Where the laid-out text goes.
class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Throws when the text is no longer wanted (whoever reads it has given it up): a reader
    // that goes a long way without writing asks now and then.
    virtual void CheckGoing() {}
};

// Into a string.
class StringSink : public TextSink {
public:
    void Write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Keeps the first `keep` bytes and counts the rest: the beginning of a book read whole.
class HeadSink : public TextSink {
public:
    explicit HeadSink(size_t keep) : keep_(keep) {}
    void Write(std::string_view bytes) override;
    const std::string& Head() const { return head_; }
    std::uint64_t Total() const { return total_; }

private:
    size_t keep_;
    std::string head_;
    std::uint64_t total_ = 0;
};

// Into a file, 64 KiB at a time ("Cannot create file %s", "Unable to write to %s").
class FileSink : public TextSink {
public:
    explicit FileSink(const std::filesystem::path& path);
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    void Write(std::string_view bytes) override;
    // Writes what is buffered and closes; failures are thrown.
    void Close();

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
};

// A stretch of layout made apart from the writer it belongs to, on another thread (an EPUB
// chapter): a detached writer lays it out knowing nothing of what came before, and Join puts it
// in place, giving exactly what one writer would have given for the whole text.
struct LayoutPart {
    std::string lines;           // its lines; the first lacks what depends on earlier ones
    bool any = false;            // it holds a line
    bool blankBefore = false;    // an empty line was asked for before its first line
    bool firstIndented = false;  // its first line starts with the indent
    bool ownMark = false;        // a mark was set before its first line, else a pending one goes there
    bool blankAfter = false;     // an empty line is asked for after its last line
    bool markAfter = false;      // a mark was set after its last line: `mark`
    std::string mark;
    std::uint64_t lineCount = 0; // the lines in `lines`
    // Places named in it (LayoutWriter::Place) with their lines counted from its first, and
    // those still waiting for a line with text when it ended.
    std::vector<std::pair<std::string, std::uint64_t>> places;
    std::vector<std::string> openPlaces;
};

class LayoutWriter {
public:
    explicit LayoutWriter(TextSink& sink) : sink_(&sink) {}
    // A detached writer, laying out a LayoutPart of its own.
    LayoutWriter() : sink_(&part_sink_), detached_(true) {}
    LayoutWriter(const LayoutWriter&) = delete;
    LayoutWriter& operator=(const LayoutWriter&) = delete;

    // Running text: white space (blanks, tabs, line breaks, no-break spaces) becomes one blank,
    // none at a line's ends; soft hyphens and zero-width characters are dropped. In
    // preformatted mode a line break ends the line instead.
    void Text(std::string_view utf8);
    void SetPreformatted(bool on) { preformatted_ = on; }
    // Ends the current line as a paragraph (indented); nothing when it holds no text.
    void EndParagraph();
    // Ends the current line as a title line (the title mark, no indent); nothing when it holds no text.
    void EndTitleLine();
    // Places an empty line here: before the next line, only if something came before it.
    void BlankLine();
    // A whole title: an empty line, its lines, an empty line.
    void Title(std::string_view utf8);
    // Puts text before the next paragraph's own, separated by a blank (a note's mark).
    void SetMark(std::string mark)
    {
        mark_ = std::move(mark);
        markSet_ = true;
    }
    // Lines already laid out by another writer, placed as they are.
    void AppendLaidOut(std::string_view lines);
    // A detached writer's part, its line ended; the writer starts a new part.
    LayoutPart TakePart();
    // Places a part laid out by a detached writer as if its text had been written here.
    void Join(LayoutPart&& part);
    // True while the current line holds no text.
    bool LineEmpty() const { return line_.empty(); }
    // True once any line was written.
    bool Started() const { return started_; }
    // Names the place where the next line with text begins (the current line when it holds
    // text): a chapter's title, an anchor a link may lead to. Once that line is written, Places()
    // tells its number; a place no text follows is never told.
    void Place(std::string name);
    // The places whose lines were written: the name and the line's number in this writer's text
    // (0 the first, empty lines counted), in the order their lines came.
    const std::vector<std::pair<std::string, std::uint64_t>>& Places() const { return places_; }

private:
    void EndLine(bool indent);
    void WriteBlankLine();

    StringSink part_sink_;
    TextSink* sink_;
    LayoutPart part_;
    std::string line_;
    std::string mark_;
    bool space_ = false;
    bool blank_ = false;
    bool started_ = false;
    bool preformatted_ = false;
    bool detached_ = false;
    bool markSet_ = false;  // SetMark was called since the last line
    std::uint64_t lines_ = 0;  // lines written
    std::vector<std::pair<std::string, std::uint64_t>> places_;
    std::vector<std::string> openPlaces_;  // waiting for the next line with text
};

// A book's title as one line: white space collapsed, trimmed.
std::string CollapseSpaces(std::string_view utf8);

} // namespace lumira
