#include "platform/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <vector>

namespace lumira {

namespace {

Language current = Language::Russian;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The translators in use, owned by the application object (and gone with it).
QPointer<QTranslator> program;
QPointer<QTranslator> qtDialogs;

void Remove(QPointer<QTranslator>& translator)
{
    if (!translator) return;
    QCoreApplication::removeTranslator(translator);
    delete translator.data();
    translator = nullptr;
}

QTranslator* Load(const QString& name, const QString& folder)
{
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(name, folder)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator.release();
}

} // namespace

std::optional<Language> LanguageFromKey(const std::string& key)
{
    const std::string k = Lower(Trimmed(key));
    if (k == "ru") return Language::Russian;
    if (k == "en") return Language::English;
    return std::nullopt;
}

Language DefaultLanguage(const std::string& localeName)
{
    const std::string name = Lower(Trimmed(localeName));
    if (name.empty() || name == "c" || name.rfind("c.", 0) == 0 || name == "posix") return Language::Russian;
    if (name.rfind("ru", 0) == 0 && (name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@'))
        return Language::Russian;
    return Language::English;
}

std::string SystemLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

void ApplyLanguage(Language language)
{
    current = language;
    if (!QCoreApplication::instance()) return;
    Remove(program);
    Remove(qtDialogs);
    if (language == Language::English) {
        program = Load(QStringLiteral(":/i18n/lumira_en.qm"), QString());
    } else {
        // Qt's own texts (the standard dialogs' buttons) in Russian, where Qt's translation exists.
        qtDialogs = Load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
}

Language CurrentLanguage()
{
    return current;
}

std::string Translate(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source).toStdString();
}

std::string FormatText(const std::string& pattern, std::initializer_list<std::string> args)
{
    // One pass, so that an argument holding "%2" is never replaced in its turn.
    const std::vector<std::string> values(args);
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace lumira
