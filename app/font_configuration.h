#pragma once
// The system's font configuration is read once per process and takes a large share of the start:
// dozens of small XML files and the font caches. Nothing the program does before its window's
// first text needs it, so it is read on a thread of its own from the very start of main, while
// the libraries settle, the application object is made and the program's files are read; the
// window waits for it just before it resolves its first font. Reading it twice would be harmless
// (the font library keeps whichever copy is made first), only slower.

class QFont;

namespace lumira {

// Starts reading the configuration at construction; the destructor waits for the reading to end.
class EarlyFontConfiguration {
public:
    EarlyFontConfiguration();
    ~EarlyFontConfiguration();
    EarlyFontConfiguration(const EarlyFontConfiguration&) = delete;
    EarlyFontConfiguration& operator=(const EarlyFontConfiguration&) = delete;
};

// Returns once the configuration started by an EarlyFontConfiguration is read; at once when none
// was started or it is read already.
void WaitForFontConfiguration();

// True when the font configuration as it stands antialiases the face `font` resolves to, so that
// the program's own antialiasing rule (MakeQFont) would change nothing for it: then its glyphs can
// be drawn before the rule is added, on another thread. False where it cannot tell.
bool AntialiasedAsConfigured(const QFont& font);

} // namespace lumira
