#pragma once
// The language of the interface. The texts are written in Russian and go through Qt's
// translation system; English comes from the translation that ships inside the program.
#include <QtGlobal>  // QT_TRANSLATE_NOOP marks texts translated later
#include <initializer_list>
#include <optional>
#include <string>

namespace lumira {

enum class Language { Russian, English };

// "ru" or "en" as config.ini's [Global] Language and lumira-cli --lang spell it (any case, blanks
// around ignored); nullopt for anything else.
std::optional<Language> LanguageFromKey(const std::string& key);

// The language when nothing names one: Russian when the system's language is Russian or unset
// (the C and POSIX locales), English otherwise. `localeName` is a POSIX locale name such as
// "ru_RU.UTF-8", "en_GB" or "C".
Language DefaultLanguage(const std::string& localeName);
// The locale name of the process's messages: LC_ALL, else LC_MESSAGES, else LANG ("" when unset).
std::string SystemLocaleName();

// Installs the translators of `language` on the running application (and removes those of the
// other one): the program's own texts and Qt's standard dialogs. Russian is the default.
void ApplyLanguage(Language language);
// The language applied last.
Language CurrentLanguage();

// A program text for code that works with std::string: `source` (Russian, UTF-8) translated in
// `context`, as UTF-8.
std::string Translate(const char* context, const char* source);

// `pattern` with %1 .. %9 replaced by the matching entry of `args`, in one pass.
std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args);

} // namespace lumira
