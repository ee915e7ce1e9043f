#include "cli/page_dump.h"

#include "cli/interrupt.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "font/qt_colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "formats/hyphenator.h"
#include "preview/page_painter.h"
#include "platform/language.h"

#include <QFontMetrics>

namespace lumira {

PageSetup MakePageSetup(std::string text, const BookSettings& settings, int lineHeight,
                        const std::vector<std::filesystem::path>& hyphenationFolders, const std::string& bookLanguage)
{
    PageSetup setup;
    if (settings.dictionaryHyphens) {
        Hyphenator hyphenator(hyphenationFolders, bookLanguage);
        hyphenator.Hyphenate(text, setup.text);
        setup.geometry.hyphenation = Hyphenation::SoftHyphens;
    } else {
        setup.text = std::move(text);
    }
    const std::array<int, 256> advances = GlyphAdvances(MakeQFont(settings.font));
    setup.widths = CharWidthTable::ForLayout([&](unsigned char c) { return advances[c]; });
    const QSize screen = settings.Screen();
    setup.geometry.width = screen.width();
    setup.geometry.height = screen.height();
    setup.geometry.lineHeight = lineHeight;
    setup.geometry.showSysline = true;
    setup.geometry.syslineIndex = settings.syslineIndex;
    return setup;
}

int WalkPages(const PageSetup& setup, const std::function<bool(int, const PageLayout&)>& visit)
{
    // Positions are 32-bit: a longer text cannot be paged.
    if (setup.text.size() > static_cast<size_t>(INT32_MAX - 2))
        throw AppError(Translate("lumira-cli", "Текст слишком велик для просмотра страниц."));
    bool downEnabled = true;
    std::int32_t start = 1;
    int number = 0;
    for (;;) {
        CheckInterrupt();
        const PageLayout page = LayoutPage(setup.text, setup.widths, setup.geometry, start);
        ++number;
        if (!visit(number, page)) break;
        if (page.downEnabled) downEnabled = *page.downEnabled;
        // A page that reads nothing (no room for a line) would be shown again and again.
        if (!downEnabled || page.nextPageStart <= start) break;
        start = page.nextPageStart;
    }
    return number;
}

namespace {

[[noreturn]] void ThrowStdoutUnwritable()
{
    const std::string reason = SystemReason(errno);
    throw AppError(Translate("lumira-cli", "Не удаётся записать в стандартный вывод") + (reason.empty() ? "" : ": " + reason));
}

} // namespace

void DumpPages(const PageSetup& setup, std::FILE* out)
{
    std::string buffer;
    WalkPages(setup, [&](int number, const PageLayout& page) {
        if (number > 1) buffer += "\f\n";
        for (const std::string& line : page.lines) {
            buffer += Cp1251ToUtf8(line);
            buffer += '\n';
        }
        if (buffer.size() >= 1 << 16) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) ThrowStdoutUnwritable();
            buffer.clear();
        }
        return true;
    });
    if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size() || std::fflush(out) != 0)
        ThrowStdoutUnwritable();
}

QImage DrawPage(const PageSetup& setup, const PageLayout& page, const BookSettings& settings, const FontStripImage& glyphs,
                const std::filesystem::path& iface)
{
    QImage surface(setup.geometry.width, setup.geometry.height, QImage::Format_RGB32);
    const QColor background = ColorValueToQColor(settings.background);
    surface.fill(background);
    if (page.bandY) PaintSysline(surface, *page.bandY, LoadSyslinePicture(iface));
    PaintLines(surface, page, glyphs.strip, glyphs.table, background);
    return surface;
}

} // namespace lumira
