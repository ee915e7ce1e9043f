// The font strip: rebuilding the book's glyphs whenever font, colour or cut values change.
#include "app/form1.h"

#include "app/font_configuration.h"
#include "font/font_strip.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QSignalBlocker>
#include <functional>
#include <future>
#include <system_error>
#include <utility>

namespace lumira {

namespace {

// Runs `write` on a second thread while `draw` runs on this one: compressing the strip's image
// takes about as long as drawing the preview. A failure of `write` is thrown first, then one of
// `draw`. Without a thread to spare the two run in turn.
void WriteWhileDrawing(const std::function<void()>& write, const std::function<void()>& draw)
{
    std::future<void> written;
    try {
        written = std::async(std::launch::async, write);
    } catch (const std::system_error&) {
        write();
        draw();
        return;
    }
    try {
        draw();
    } catch (...) {
        written.get();
        throw;
    }
    written.get();
}

} // namespace

void TForm1::StartEarlyStrip(const BookFontStyle& font, ColorValue background, int upperCut, int bottCut)
{
    // This thread leaves the font configuration as it is: the window's own fonts, made meanwhile,
    // must not get the book's antialiasing rule. So it draws only a face the configuration already
    // antialiases; anything else (and any failure) is left to the end of construction.
    auto draw = [font, background, upperCut, bottCut]() -> std::optional<EarlyStrip> {
        try {
            const QFont qfont = BookQFontAsConfigured(font);
            if (!AntialiasedAsConfigured(qfont)) return std::nullopt;
            return EarlyStrip{font, background, upperCut, bottCut, RenderFontStrip(qfont, font.color, background, upperCut, bottCut)};
        } catch (...) {
            return std::nullopt;
        }
    };
    try {
        earlyStripDrawing_ = std::async(std::launch::async, std::move(draw));
    } catch (const std::system_error&) {
        // No thread to spare: the strip is drawn at the end of construction.
    }
}

void TForm1::AwaitEarlyStrip()
{
    if (earlyStripDrawing_.valid()) earlyStrip_ = earlyStripDrawing_.get();
}

void TForm1::BuildFontStrip()
{
    AwaitEarlyStrip();
    const QString fontsFolder = TempDir() + QStringLiteral("fonts");
    // A folder that cannot be made shows up as the failure to write the first file.
    CreateFolderChain(ToFsPath(fontsFolder));

    // Cut values whose sum reaches the text height would leave the strip without a row: such a
    // font or such cuts are not applied, and the strip, the files and the preview stay as they are.
    const int upperCut = e_upper_cut->value();
    const int bottCut = e_bott_cut->value();
    if (!CutsFit(TextCellHeight(QFontMetrics(MakeQFont(BookFont))), upperCut, bottCut)) {
        RestoreAppliedGlyphSettings();
        return;
    }

    // While the window is being built only the last settings count: the strip is made at its end.
    if (startingUp_) {
        appliedFont_ = BookFont;
        appliedUpperCut_ = upperCut;
        appliedBottCut_ = bottCut;
        stripDue_ = true;
        return;
    }

    // The table and the strip; drawn already when the early strip was made for these settings.
    std::optional<EarlyStrip> early = std::exchange(earlyStrip_, std::nullopt);
    if (early && !(early->font == BookFont && early->background == BackgroundColor && early->upperCut == upperCut &&
                   early->bottCut == bottCut))
        early.reset();
    FontStripImage rendered = early ? std::move(early->image) : RenderFontStrip(BookFont, BackgroundColor, upperCut, bottCut);
    FontStrip = std::move(rendered.strip);
    GlyphTable = rendered.table;
    appliedFont_ = BookFont;
    appliedUpperCut_ = upperCut;
    appliedBottCut_ = bottCut;

    // default.props, then default.png, while the preview follows the new glyphs.
    WriteWhileDrawing([folder = ToFsPath(fontsFolder), table = GlyphTable, strip = FontStrip] { WriteFontFiles(folder, table, strip); },
                      [this] { RenderPreview(); });
}

void TForm1::RestoreAppliedGlyphSettings()
{
    // Nothing to go back to before the first strip: the start-up cannot go on without one.
    if (!appliedFont_) throw AppError(Translate("FontStrip", kCutSumMessage));
    {
        // Quietly: putting the old values back is no change that needs a rebuild.
        const QSignalBlocker upperBlocker(e_upper_cut);
        const QSignalBlocker bottBlocker(e_bott_cut);
        e_upper_cut->setValue(appliedUpperCut_);
        e_bott_cut->setValue(appliedBottCut_);
    }
    if (!(BookFont == *appliedFont_)) {
        BookFont = *appliedFont_;
        UpdateFontLabel();
    }
    TheDesktop().ShowMessage(this, QCoreApplication::translate("FontStrip", kCutSumMessage));
}

void TForm1::e_upper_cutPropertiesChange()
{
    BuildFontStrip();
}

void TForm1::FinishStartUp()
{
    startingUp_ = false;
    if (stripDue_) {
        stripDue_ = false;
        BuildFontStrip();  // draws the preview too
    } else {
        RenderPreview();
    }
    AwaitEarlyStrip();
    earlyStrip_.reset();  // made for the start only
}

} // namespace lumira
