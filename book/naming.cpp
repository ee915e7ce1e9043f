#include "book/naming.h"

#include "platform/cp1251.h"

#include <QList>

namespace lumira {

namespace {

// Two-character cells: a lower-case key letter and a blank, beside its Latin value.
constexpr std::string_view kTranslitKeys =
    "  \xE0 \xE1 \xE2 \xE3 \xE4 \xE5 \xB8 \xE6 \xE7 \xE8 \xE9 \xEA \xEB \xEC \xED \xEE \xEF "
    "\xF0 \xF1 \xF2 \xF3 \xF4 \xF5 \xF6 \xF7 \xF8 \xF9 \xFA \xFB \xFC \xFD \xFE \xFF ";
constexpr std::string_view kTranslitValues = "_ a b v g d e yozhz i j k l m n o p r s t u f h tschshsh  i ' e yuya";
static_assert(kTranslitKeys.size() == 68 && kTranslitValues.size() == 68);

} // namespace

const std::string_view TranslitKeys = kTranslitKeys;
const std::string_view TranslitValues = kTranslitValues;

std::string SanitizeCaption(std::string_view text)
{
    std::string out(text);
    for (auto& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (!(IsLetter(c) || c == ' ' || (c >= 0x30 && c <= 0x3A))) ch = '_';
    }
    return out;
}

std::string TransliterateChar(unsigned char c)
{
    // A control character would break the descriptor's line that names the package.
    if (c < 0x20 || c == 0x7F) return "_";
    const char key[2] = {static_cast<char>(Cp1251Lower(c)), ' '};
    const size_t at = kTranslitKeys.find(std::string_view(key, 2));
    if (at == std::string_view::npos) return std::string(1, static_cast<char>(c));
    const char first = kTranslitValues[at];
    const char second = kTranslitValues[at + 1];
    return second != ' ' ? std::string{first, second} : std::string(1, first);
}

std::string TransliterateName(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) out += TransliterateChar(c);
    return out;
}

QString SanitizeCaption(const QString& text)
{
    QString out;
    for (char32_t u : text.toUcs4()) {
        const int b = UnicodeToCp1251(u);
        if (b >= 0 && SanitizeCaption(std::string(1, static_cast<char>(b)))[0] != '_')
            out += QString::fromUcs4(&u, 1);
        else
            out += QLatin1Char('_');
    }
    return out;
}

QString TransliterateName(const QString& text)
{
    QString out;
    for (char32_t u : text.toUcs4()) {
        const int b = UnicodeToCp1251(u);
        if (b < 0) out += QString::fromUcs4(&u, 1);
        else out += Cp1251ToQString(TransliterateChar(static_cast<unsigned char>(b)));
    }
    return out;
}

QString WithJarExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? fileName : fileName.left(dot)) + QStringLiteral(".jar");
}

QString WithoutExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace lumira
