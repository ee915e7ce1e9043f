// Books of random structure in every format: the converted book holds the source's words in
// reading order, none lost, none moved, none added but the marks of notes and the notes' title.
// Notes come last, in the order they stand in the book, each after the mark its reference
// shows ("[3]").
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "sample_books.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <algorithm>
#include <sstream>

namespace lumira {

namespace {

enum class Kind { Fb2, Epub, Html };

// A book written in one format while the words it must give are noted down.
class RandomBook {
public:
    RandomBook(Kind kind, unsigned seed) : kind_(kind), random_(seed) {}

    // The chapters' markup (one document each) and, for EPUB, a document of endnotes.
    void Make()
    {
        const int chapters = Pick(1, 4);
        for (int c = 0; c < chapters; ++c) {
            chapter_.clear();
            pendingAsides_.clear();
            Section(0);
            chapter_ += pendingAsides_;
            chapters_.push_back(chapter_);
        }
    }

    std::vector<std::string> ExpectedWords() const
    {
        std::vector<std::string> words = main_;
        if (asideNotes_.empty() && endNotes_.empty()) return words;
        words.push_back("Примечания");
        for (const auto* notes : {&asideNotes_, &endNotes_})
            for (const auto& note : *notes) words.insert(words.end(), note.begin(), note.end());
        return words;
    }

    void Write(const std::filesystem::path& file) const
    {
        if (kind_ == Kind::Fb2) {
            std::string book = "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\">"
                               "<description><title-info><book-title>Книга</book-title><lang>ru</lang></title-info>"
                               "</description><body>";
            for (const std::string& c : chapters_) book += c;
            book += "</body>";
            if (!fb2Notes_.empty()) book += "<body name=\"notes\"><title><p>Примечания</p></title>" + fb2Notes_ + "</body>";
            std::ofstream(file, std::ios::binary) << book << "</FictionBook>";
            return;
        }
        const auto page = [](const std::string& body) {
            return "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
                   "xmlns:epub=\"http://www.idpf.org/2007/ops\" lang=\"ru\"><head><title>Книга</title></head><body>" +
                   body + "</body></html>";
        };
        if (kind_ == Kind::Html) {
            std::string all;
            for (const std::string& c : chapters_) all += c;
            std::ofstream(file, std::ios::binary) << page(all);
            return;
        }
        std::string items;
        std::string spine;
        std::vector<NamedEntry> entries;
        for (size_t i = 0; i <= chapters_.size(); ++i) {
            const bool notes = i == chapters_.size();
            if (notes && endNotesMarkup_.empty()) break;
            const std::string name = notes ? "notes.xhtml" : "c" + std::to_string(i) + ".xhtml";
            items += "<item id=\"i" + std::to_string(i) + "\" href=\"" + name + "\" media-type=\"application/xhtml+xml\"/>";
            spine += "<itemref idref=\"i" + std::to_string(i) + "\"/>";
            entries.push_back({"OEBPS/" + name, page(notes ? "<h1>Примечания</h1><ol>" + endNotesMarkup_ + "</ol>" : chapters_[i])});
        }
        std::vector<NamedEntry> all = EpubFrame(
            "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><metadata xmlns:dc=\"http://purl.org/dc/"
            "elements/1.1/\"><dc:title>Книга</dc:title><dc:language>ru</dc:language></metadata><manifest>" + items +
            "</manifest><spine>" + spine + "</spine></package>");
        all.insert(all.end(), entries.begin(), entries.end());
        WriteArchive(file, all);
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::vector<std::string> Words(int low, int high)
    {
        static const char* const vocabulary[] = {"ветер", "море", "Капитан", "шторм,", "парус", "wind", "sea;", "берег.",
                                                 "«Беда»", "2024", "x-ray", "ёлка"};
        std::vector<std::string> words(static_cast<size_t>(Pick(low, high)));
        for (auto& w : words) w = vocabulary[Pick(0, std::size(vocabulary) - 1)];
        return words;
    }

    static std::string Join(const std::vector<std::string>& words)
    {
        std::string out;
        for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
        return out;
    }

    // Running text with emphasis, now and then a note's reference, a formula; its words noted.
    std::string Inline(std::vector<std::string>& into, bool withNotes)
    {
        std::vector<std::string> words = Words(1, 8);
        std::string markup;
        for (size_t i = 0; i < words.size(); ++i) {
            const bool emphasis = Pick(0, 5) == 0;
            const std::string em = kind_ == Kind::Fb2 ? "emphasis" : "em";
            markup += (i ? " " : "") + (emphasis ? "<" + em + ">" + words[i] + "</" + em + ">" : words[i]);
            into.push_back(words[i]);
        }
        if (kind_ != Kind::Fb2 && Pick(0, 4) == 0) {
            // A formula: its tokens, a blank between each.
            markup += " <math><mi>y</mi><mo>+</mo><mn>1</mn></math> конец";
            into.insert(into.end(), {"y", "+", "1", "конец"});
        }
        if (withNotes && Pick(0, 3) == 0) Note(markup, into);
        return markup;
    }

    void Note(std::string& markup, std::vector<std::string>& into)
    {
        const std::string n = std::to_string(++notes_);
        into.push_back("[" + n + "]");
        std::vector<std::string> note = {"[" + n + "]"};
        std::vector<std::string> words = Words(1, 6);
        note.insert(note.end(), words.begin(), words.end());
        if (kind_ == Kind::Fb2) {
            markup += "<a l:href=\"#n" + n + "\" type=\"note\">" + n + "</a>";
            fb2Notes_ += "<section id=\"n" + n + "\"><title><p>" + n + "</p></title><p>" + Join(words) + "</p></section>";
            asideNotes_.push_back(note);
        } else if (kind_ == Kind::Epub && Pick(0, 1)) {
            markup += "<a epub:type=\"noteref\" href=\"notes.xhtml#e" + n + "\">" + n + "</a>";
            endNotesMarkup_ += "<li id=\"e" + n + "\"><p><a href=\"c.xhtml\">" + n + "</a>. " + Join(words) + "</p></li>";
            endNotes_.push_back(note);
        } else {
            markup += "<sup><a href=\"#f" + n + "\">" + n + "</a></sup>";
            pendingAsides_ += "<aside epub:type=\"footnote\" id=\"f" + n + "\"><p>" + Join(words) + "</p></aside>";
            asideNotes_.push_back(note);
        }
    }

    void Section(int depth)
    {
        const bool fb2 = kind_ == Kind::Fb2;
        if (fb2) chapter_ += "<section>";
        if (Pick(0, 2)) {
            std::vector<std::string> title = Words(1, 4);
            main_.insert(main_.end(), title.begin(), title.end());
            chapter_ += fb2 ? "<title><p>" + Join(title) + "</p></title>" : "<h" + std::to_string(depth + 1) + ">" + Join(title) + "</h" + std::to_string(depth + 1) + ">";
        }
        const int blocks = Pick(1, 6);
        for (int b = 0; b < blocks; ++b) {
            switch (Pick(0, fb2 ? 3 : 6)) {
            case 0:
            case 1: chapter_ += fb2 ? "<p>" + Inline(main_, true) + "</p>" : "<p>" + Inline(main_, true) + "</p>\n"; break;
            case 2: Poem(); break;
            case 3: Table(); break;
            case 4: {
                const std::vector<std::string> words = Words(1, 5);
                main_.insert(main_.end(), words.begin(), words.end());
                chapter_ += "<svg xmlns=\"http://www.w3.org/2000/svg\"><title>рисунок</title><text x=\"0\" y=\"9\">" +
                            Join(words) + "</text></svg>";
                break;
            }
            case 5: {
                const std::vector<std::string> words = Words(1, 5);
                main_.insert(main_.end(), words.begin(), words.end());
                chapter_ += "<object data=\"quiz.swf\"><param name=\"q\" value=\"нет\"/><p>" + Join(words) + "</p></object>";
                break;
            }
            case 6: chapter_ += "<div><img src=\"a.png\" alt=\"нет\"/></div>"; break;
            }
        }
        if (depth < 2 && Pick(0, 2) == 0) Section(depth + 1);
        if (fb2) chapter_ += "</section>";
    }

    void Poem()
    {
        const bool fb2 = kind_ == Kind::Fb2;
        chapter_ += fb2 ? "<poem>" : "<div class=\"poem\">";
        for (int s = Pick(1, 3); s > 0; --s) {
            chapter_ += fb2 ? "<stanza>" : "<div class=\"stanza\">";
            for (int v = Pick(1, 4); v > 0; --v) chapter_ += fb2 ? "<v>" + Inline(main_, false) + "</v>" : "<p>" + Inline(main_, false) + "</p>";
            chapter_ += fb2 ? "</stanza>" : "</div>";
        }
        chapter_ += fb2 ? "</poem>" : "</div>";
    }

    void Table()
    {
        chapter_ += "<table>";
        for (int r = Pick(1, 3); r > 0; --r) {
            chapter_ += "<tr>";
            for (int c = Pick(1, 3); c > 0; --c) chapter_ += "<td>" + Inline(main_, false) + "</td>";
            chapter_ += "</tr>";
        }
        chapter_ += "</table>";
    }

    Kind kind_;
    std::mt19937 random_;
    std::vector<std::string> chapters_;
    std::string chapter_;
    std::string pendingAsides_;
    std::string fb2Notes_;
    std::string endNotesMarkup_;
    int notes_ = 0;
    std::vector<std::string> main_;
    std::vector<std::vector<std::string>> asideNotes_;
    std::vector<std::vector<std::string>> endNotes_;
};

// The words of a laid-out text, a reference's mark apart from the word it follows.
// The words of a laid-out text; the layout's title and spacer marks (bytes 1 and 2) part words as
// blanks do.
std::vector<std::string> WordsOf(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\x01' || c == '\x02'; }, ' ');
    for (size_t at = text.find('['); at != std::string::npos; at = text.find('[', at + 2)) text.insert(at, " ");
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

} // namespace

TEST(BookWordsProperty, EveryFormatKeepsEveryWordInReadingOrder)
{
    TempDir dir;
    for (Kind kind : {Kind::Fb2, Kind::Epub, Kind::Html}) {
        const char* name = kind == Kind::Fb2 ? "book.fb2" : kind == Kind::Epub ? "book.epub" : "book.html";
        for (unsigned seed = 1; seed <= 60; ++seed) {
            SCOPED_TRACE(std::string(name) + " seed " + std::to_string(seed));
            RandomBook book(kind, seed);
            book.Make();
            book.Write(dir / name);
            StringSink sink;
            ConvertBook(dir / name, *RecogniseBook(dir / name), sink);
            ASSERT_EQ(WordsOf(sink.text), book.ExpectedWords()) << sink.text;
        }
    }
}

} // namespace lumira
