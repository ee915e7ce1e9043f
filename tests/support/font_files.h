#pragma once
// The glyph files of a working folder in one step, as the window makes them: `workFolder`/fonts
// with any missing parents, the strip rendered, then default.props and default.png.
#include "font/font_strip.h"
#include "platform/files.h"

#include <filesystem>

namespace lumira {

inline FontStripImage BuildFontFiles(const std::filesystem::path& workFolder, const BookFontStyle& font,
                                     ColorValue background, int upperCut, int lowerCut)
{
    const std::filesystem::path fontsFolder = workFolder / "fonts";
    CreateFolderChain(fontsFolder);
    FontStripImage rendered = RenderFontStrip(font, background, upperCut, lowerCut);
    WriteFontFiles(fontsFolder, rendered.table, rendered.strip);
    return rendered;
}

} // namespace lumira
