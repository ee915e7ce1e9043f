#include "app/font_configuration.h"

#include <QByteArray>
#include <QFont>
#include <QFontInfo>
#include <QString>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef LUMIRA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace lumira {

namespace {

std::mutex readerMutex;
std::thread reader;

} // namespace

EarlyFontConfiguration::EarlyFontConfiguration()
{
#ifdef LUMIRA_HAVE_FONTCONFIG
    const std::lock_guard lock(readerMutex);
    if (reader.joinable()) return;
    try {
        reader = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the window reads the configuration itself when it needs it.
    }
#endif
}

EarlyFontConfiguration::~EarlyFontConfiguration()
{
    WaitForFontConfiguration();
}

void WaitForFontConfiguration()
{
    const std::lock_guard lock(readerMutex);
    if (reader.joinable()) reader.join();
}

#ifdef LUMIRA_HAVE_FONTCONFIG
namespace {

using PatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

// The configuration's match for `pattern`, prepared for drawing.
PatternPtr Match(FcPattern* pattern)
{
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    return PatternPtr(FcFontMatch(nullptr, pattern, &result), FcPatternDestroy);
}

} // namespace
#endif

bool AntialiasedAsConfigured(const QFont& font)
{
#ifdef LUMIRA_HAVE_FONTCONFIG
    const QFontInfo resolved(font);
    const QByteArray family = resolved.family().toUtf8();
    const double pixelSize = resolved.pixelSize();

    // The face's file, as the family, weight and slant choose it.
    PatternPtr wanted(FcPatternCreate(), FcPatternDestroy);
    if (!wanted) return false;
    FcPatternAddString(wanted.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddDouble(wanted.get(), FC_PIXEL_SIZE, pixelSize);
    FcPatternAddInteger(wanted.get(), FC_WEIGHT, FcWeightFromOpenType(resolved.weight()));
    FcPatternAddInteger(wanted.get(), FC_SLANT, resolved.italic() ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    const PatternPtr face = Match(wanted.get());
    FcChar8* faceFamily = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (!face || FcPatternGetString(face.get(), FC_FAMILY, 0, &faceFamily) != FcResultMatch ||
        QString::fromUtf8(reinterpret_cast<const char*>(faceFamily)).compare(resolved.family(), Qt::CaseInsensitive) != 0 ||
        FcPatternGetString(face.get(), FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetInteger(face.get(), FC_INDEX, 0, &index) != FcResultMatch)
        return false;

    // Then that file asked for as the font engine asks for it: family, file, index, pixel size.
    // A match that does not say counts as antialiased, as the engine takes it.
    PatternPtr asked(FcPatternCreate(), FcPatternDestroy);
    if (!asked) return false;
    FcPatternAddString(asked.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddString(asked.get(), FC_FILE, file);
    FcPatternAddInteger(asked.get(), FC_INDEX, index);
    FcPatternAddDouble(asked.get(), FC_PIXEL_SIZE, pixelSize);
    const PatternPtr drawn = Match(asked.get());
    if (!drawn) return false;
    FcBool antialias = FcTrue;
    if (FcPatternGetBool(drawn.get(), FC_ANTIALIAS, 0, &antialias) != FcResultMatch) antialias = FcTrue;
    return antialias == FcTrue;
#else
    (void)font;
    return false;
#endif
}

} // namespace lumira
