#include "formats/formula_text.h"

#include "formats/xml_support.h"

#include <utility>

namespace lumira {

namespace {

bool IsToken(std::string_view name)
{
    return OneOf(name, {"mi", "mn", "mo", "ms", "mtext"});
}

// Parts of a formula that are no reading of it: empty places, the marks of prescripts, and the
// formula's source or description in another notation.
bool IsSkipped(std::string_view name)
{
    return OneOf(name, {"none", "mprescripts", "annotation", "annotation-xml"});
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends `text` with its runs of blanks made one.
void AppendCollapsed(std::string& to, std::string_view text)
{
    for (char c : text) {
        if (!IsBlank(c)) to += c;
        else if (!to.empty() && to.back() != ' ') to += ' ';
    }
}

std::string Trimmed(std::string_view text)
{
    std::string s;
    AppendCollapsed(s, text);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s.empty() || s.front() != ' ' ? s : s.substr(1);
}

// Signs that stand against what follows them, and those that stand against what precedes them.
bool Opens(std::string_view token)
{
    return OneOf(token, {"(", "[", "{", "\u27E8", "\u2329"});
}

bool Closes(std::string_view token)
{
    return OneOf(token, {")", "]", "}", ",", ".", ";", ":", "!", "\u27E9", "\u232A", "\u2032", "'"});
}

} // namespace

void FormulaText::Open(std::string_view name, const Attribute& attribute)
{
    if (name == "math" && depth_++ == 0) {
        tokens_.clear();
        annotation_.clear();
        alttext_ = Trimmed(attribute("alttext"));
        fences_.clear();
        glue_ = true;
        skipped_ = 0;
        inToken_ = false;
        inAnnotation_ = false;
        numberBefore_ = false;
        return;
    }
    if (!Inside()) return;
    const bool afterNumber = std::exchange(numberBefore_, false);
    if (IsSkipped(name)) {
        if (skipped_++ == 0) inAnnotation_ = name == "annotation";
        return;
    }
    if (skipped_) return;
    if (IsToken(name)) {
        inToken_ = true;
        tokenStart_ = std::string::npos;
        // Digits set as tokens of their own, one after another, are one number, and a letter
        // right after a number is its factor ("2x").
        glueNumber_ = afterNumber && (name == "mn" || name == "mi");
        isNumber_ = name == "mn";
    } else if (name == "mfenced") {
        // Fences given as attributes, round brackets when not.
        const std::string open = attribute("open"), close = attribute("close");
        const bool given = !open.empty() || !close.empty();
        fences_.push_back(given ? Trimmed(close) : ")");
        Put(given ? Trimmed(open) : "(", false);
        glue_ = true;
    }
}

void FormulaText::Text(std::string_view text)
{
    if (!Inside()) return;
    if (skipped_) {
        if (inAnnotation_) AppendCollapsed(annotation_, text);
        return;
    }
    if (!inToken_) return;  // blanks between elements
    if (tokenStart_ == std::string::npos) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        if (text.empty()) return;
        tokenStart_ = Put(text, glueNumber_);
    } else {
        AppendCollapsed(tokens_, text);
    }
}

size_t FormulaText::Put(std::string_view token, bool glued)
{
    // A blank before a token unless the last one or this one stands against the other.
    if (token.empty()) return tokens_.size();
    if (!glued && !glue_ && !Closes(Trimmed(token)) && !tokens_.empty()) tokens_ += ' ';
    const size_t start = tokens_.size();
    AppendCollapsed(tokens_, token);
    glue_ = false;
    return start;
}

bool FormulaText::Close(std::string_view name, std::string& text)
{
    if (!Inside()) return false;
    if (name == "math") {
        if (--depth_ > 0) return false;
        const std::string& chosen = !tokens_.empty() ? tokens_ : !alttext_.empty() ? alttext_ : annotation_;
        text = Trimmed(chosen);
        return true;
    }
    numberBefore_ = false;
    if (IsSkipped(name)) {
        if (skipped_ > 0) --skipped_;
        return false;
    }
    if (skipped_) return false;
    if (IsToken(name) && inToken_) {
        inToken_ = false;
        if (tokenStart_ != std::string::npos) {
            while (tokens_.size() > tokenStart_ && tokens_.back() == ' ') tokens_.pop_back();
            glue_ = Opens(std::string_view(tokens_).substr(tokenStart_));
            numberBefore_ = isNumber_;
        }
    } else if (name == "mfenced" && !fences_.empty()) {
        Put(fences_.back(), true);
        fences_.pop_back();
    }
    return false;
}

} // namespace lumira
