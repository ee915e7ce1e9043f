#pragma once
// The laid-out text straight into cp1251, the encoding every book carries: characters cp1251
// lacks take their closest form (cp1251_fallback.h); those with none become "?", and are counted
// with the first one's line and column exactly as the text path counts them when it converts a
// UTF-8 text (platform/text_encoding.h).
#include "formats/text_layout.h"
#include "platform/text_encoding.h"

#include <cstdint>
#include <string>

namespace lumira {

class Cp1251TextSink : public TextSink {
public:
    // Writes into `out`; the report tells of a UTF-8 text read (its encoding is UTF-8).
    explicit Cp1251TextSink(TextSink& out);
    // Takes UTF-8; a character cut between two calls is finished by the next one.
    void Write(std::string_view utf8) override;
    void CheckGoing() override { out_.CheckGoing(); }
    // Writes the last byte, which each call holds back for a combining mark that may follow, and
    // returns the report once the whole text has gone through (a character left unfinished
    // becomes "?"). Nothing of the text is complete before this.
    const ConversionReport& Finish();
    const ConversionReport& Report() const { return report_; }

private:
    // Writes `u` at `dst` in cp1251 (this call's output began at `start`).
    char* Put(char32_t u, char* start, char* dst);
    char* Replace(char32_t u, char* dst);
    void Count(const char* end);

    TextSink& out_;
    ConversionReport report_;
    std::string buffer_;
    Utf8Carry carry_;               // the start of a character cut at the end of a call
    char heldBack_ = 0;             // the last byte written, which a mark may still change,
    bool holding_ = false;          // when there is one
    const char* counted_ = nullptr; // up to where this call's output has been counted
    LineCounter lines_;
};

} // namespace lumira
