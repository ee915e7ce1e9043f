// The font strip: rebuilding the book's glyphs whenever font, colour or cut values change.
#include "app/main_window.h"

#include "app/font_configuration.h"
#include "font/book_qfont.h"
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
#include <memory>
#include <system_error>
#include <utility>

namespace lumira {

namespace {

// Runs `draw` while `written` is being written on another thread, then waits for the writing. A
// failure of the writing is thrown first, then one of `draw`.
void DrawWhileWriting(std::future<void> written, const std::function<void()>& draw)
{
    try {
        draw();
    } catch (...) {
        written.get();
        throw;
    }
    written.get();
}

// Runs `write` on a second thread while `draw` runs on this one: compressing the strip's image
// takes about as long as drawing the preview. Failures as DrawWhileWriting. Without a thread to
// spare the two run in turn.
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
    DrawWhileWriting(std::move(written), draw);
}

} // namespace

void MainWindow::StartEarlyStrip(const BookFontStyle& font, ColorValue background, int upperCut, int bottCut)
{
    // This thread leaves the font configuration as it is: the window's own fonts, made meanwhile,
    // must not get the book's antialiasing rule. So it draws only a face the configuration already
    // antialiases; anything else (and any failure) is left to the end of construction. Once the
    // strip is handed over it writes the strip's two files, still while the window is being built;
    // a strip that is not taken in the end has its files written over by the one that is.
    auto drawn = std::make_shared<std::promise<std::optional<EarlyStrip>>>();
    auto draw = [drawn, font, background, upperCut, bottCut, folder = ToFsPath(FontsFolder())] {
        std::optional<EarlyStrip> early;
        try {
            const QFont qfont = BookQFontAsConfigured(font);
            if (AntialiasedAsConfigured(qfont))
                early = EarlyStrip{font, background, upperCut, bottCut, RenderFontStrip(qfont, font.color, background, upperCut, bottCut)};
        } catch (...) {
            early.reset();
        }
        if (!early) {
            drawn->set_value(std::nullopt);
            return;
        }
        const FontStripImage written = early->image;  // the image is shared, not copied
        drawn->set_value(std::move(early));
        CreateFolderChain(folder);
        WriteFontFiles(folder, written.table, written.strip);
    };
    try {
        earlyStripWriting_ = std::async(std::launch::async, std::move(draw));
        earlyStripDrawing_ = drawn->get_future();
    } catch (const std::system_error&) {
        // No thread to spare: the strip is drawn at the end of construction.
    }
}

void MainWindow::AwaitEarlyStrip()
{
    if (earlyStripDrawing_.valid()) earlyStrip_ = earlyStripDrawing_.get();
}

void MainWindow::AwaitEarlyStripFiles()
{
    if (!earlyStripWriting_.valid()) return;
    try {
        earlyStripWriting_.get();
    } catch (...) {
        // Written over by the strip that is taken, which tells its own failure.
    }
}

void MainWindow::BuildFontStrip()
{
    AwaitEarlyStrip();
    const QString fontsFolder = FontsFolder();
    // A folder that cannot be made shows up as the failure to write the first file.
    CreateFolderChain(ToFsPath(fontsFolder));

    // Cut values whose sum reaches the text height would leave the strip without a row: such a
    // font or such cuts are not applied, and the strip, the files and the preview stay as they are.
    const int upperCut = e_upper_cut->value();
    const int bottCut = e_bott_cut->value();
    if (!CutsFit(TextCellHeight(QFontMetrics(MakeQFont(Book.font))), upperCut, bottCut)) {
        RestoreAppliedGlyphSettings();
        return;
    }

    // While the window is being built only the last settings count: the strip is made at its end.
    if (startingUp_) {
        appliedFont_ = Book.font;
        appliedUpperCut_ = upperCut;
        appliedBottCut_ = bottCut;
        stripDue_ = true;
        return;
    }

    // The table and the strip; drawn already when the early strip was made for these settings.
    std::optional<EarlyStrip> early = std::exchange(earlyStrip_, std::nullopt);
    if (early && !(early->font == Book.font && early->background == Book.background && early->upperCut == upperCut &&
                   early->bottCut == bottCut))
        early.reset();
    // Without it, the files it may be writing are waited for before this strip's replace them.
    if (!early) AwaitEarlyStripFiles();
    FontStripImage rendered = early ? std::move(early->image) : RenderFontStrip(Book.font, Book.background, upperCut, bottCut);
    FontStrip = std::move(rendered.strip);
    GlyphTable = rendered.table;
    appliedFont_ = Book.font;
    appliedUpperCut_ = upperCut;
    appliedBottCut_ = bottCut;

    // default.props, then default.png, while the preview follows the new glyphs: with the early
    // strip they are being written on its thread already.
    if (early) {
        DrawWhileWriting(std::move(earlyStripWriting_), [this] { RenderPreview(); });
        return;
    }
    WriteWhileDrawing([folder = ToFsPath(fontsFolder), table = GlyphTable, strip = FontStrip] { WriteFontFiles(folder, table, strip); },
                      [this] { RenderPreview(); });
}

void MainWindow::RestoreAppliedGlyphSettings()
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
    if (!(Book.font == *appliedFont_)) {
        Book.font = *appliedFont_;
        UpdateFontLabel();
    }
    TheDesktop().ShowMessage(this, QCoreApplication::translate("FontStrip", kCutSumMessage));
}

void MainWindow::e_upper_cutPropertiesChange()
{
    ClearCreateStatus();
    BuildFontStrip();
}

void MainWindow::FinishStartUp()
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
    AwaitEarlyStripFiles();
}

} // namespace lumira
