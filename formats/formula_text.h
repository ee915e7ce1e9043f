#pragma once
// A MathML formula as a reader reads it aloud: its own letters, digits and signs (the text of
// its mi, mn, mo, ms and mtext tokens) in order with a blank between tokens, so that "the basis
// C yields" keeps its C. Only a formula without tokens is read by its text form (the alttext
// attribute), or else by its annotation: books often give every formula the same alttext,
// such as "Alternative text not available", which tells a reader nothing.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

class FormulaText {
public:
    // True between a formula's start and its end.
    bool Inside() const { return depth_ > 0; }

    // The value of the element's attribute of a name (without a prefix), empty when it has none.
    using Attribute = std::function<std::string(std::string_view)>;

    // An element starts (`name` without a prefix); "math" begins a formula, or nests in one.
    void Open(std::string_view name, const Attribute& attribute);
    // Text within the formula.
    void Text(std::string_view text);
    // An element ends. Returns true when it ended the formula; `text` then holds what to read
    // for it (the blanks around it are the book's own), or nothing when it holds no text.
    bool Close(std::string_view name, std::string& text);

private:
    // Appends a token, with a blank before it unless it is `glued` or stands against the last.
    // Returns where it begins.
    size_t Put(std::string_view token, bool glued);

    int depth_ = 0;           // formulas open, a formula in a formula counting again
    int skipped_ = 0;         // open elements whose text is no token (a formula's source)
    bool inToken_ = false;    // inside a token
    size_t tokenStart_ = 0;   // where its text began in tokens_, npos before it has any
    bool glue_ = true;        // the next token follows the last without a blank
    bool inAnnotation_ = false;
    bool isNumber_ = false;      // the token is a number
    bool glueNumber_ = false;    // it goes on the number just before it
    bool numberBefore_ = false;  // a number's token ended, and nothing came since
    std::vector<std::string> fences_;  // the closing fence of each fenced group open
    std::string tokens_;      // the tokens so far
    std::string alttext_;     // the formula's text form
    std::string annotation_;  // its annotations' text
};

} // namespace lumira
