#include "cli/page_dump.h"

#include "book/book_contents.h"
#include "cli/interrupt.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "font/qt_colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "formats/hyphenator.h"
#include "preview/page_painter.h"
#include "preview/page_setup.h"
#include "platform/language.h"

#include <QFontMetrics>

#include <algorithm>
#include <vector>

namespace lumira {

PageSetup MakePageSetup(std::string text, const BookSettings& settings, int lineHeight,
                        const std::vector<std::filesystem::path>& hyphenationFolders, const std::string& bookLanguage,
                        BookOutline outline)
{
    PageChoices choices;
    choices.font = settings.font;
    choices.screen = settings.Screen();
    choices.lineHeight = lineHeight;
    choices.bandIndex = BandIndex(settings.band);
    choices.showSysline = true;
    choices.dictionaryHyphens = settings.dictionaryHyphens;
    choices.hyphenationFolders = hyphenationFolders;
    return MakePageSetup(std::move(text), choices, bookLanguage, std::move(outline));
}

namespace {

[[noreturn]] void ThrowStdoutUnwritable()
{
    const std::string reason = SystemReason(errno);
    throw AppError(Translate("lumira-cli", "Не удаётся записать в стандартный вывод") + (reason.empty() ? "" : ": " + reason));
}

} // namespace

void PageDumpWriter::Write(int number, const PageLayout& page)
{
    if (number > 1) buffer_ += "\f\n";
    for (const std::string& line : page.lines) {
        buffer_ += Cp1251ToUtf8(line);
        buffer_ += '\n';
    }
    if (buffer_.size() >= 1 << 16) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) ThrowStdoutUnwritable();
        buffer_.clear();
    }
}

void PageDumpWriter::Finish()
{
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size() || std::fflush(out_) != 0)
        ThrowStdoutUnwritable();
    buffer_.clear();
}

void PrintContents(const PageIndex& index, std::FILE* out)
{
    const PageSetup& setup = index.Setup();
    const std::vector<ContentsEntry> entries = ContentsOf(setup.text, setup.outline.given ? &setup.outline : nullptr);
    std::string text;
    if (entries.empty())
        text = Translate("lumira-cli", "В тексте нет содержания: ни заголовков книги, ни строк, похожих на заголовки глав.") + "\n";
    for (const ContentsEntry& e : entries) {
        // The index counts positions from 1.
        const int number = std::max(1, index.PageAt(static_cast<std::int64_t>(e.position) + 1));
        text += FormatText(Translate("lumira-cli", "%1%2 … стр. %3"),
                           {std::string(2 * static_cast<std::size_t>(e.level), ' '), Cp1251ToUtf8(e.title), std::to_string(number)}) +
                "\n";
    }
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) ThrowStdoutUnwritable();
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
