// The font strip: rebuilding the book's glyphs whenever font, colour or cut values change.
#include "app/form1.h"

#include "font/font_strip.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QSignalBlocker>

void TForm1::BuildFontStrip()
{
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

    // The table and the strip.
    FontStripImage rendered = RenderFontStrip(BookFont, BackgroundColor, upperCut, bottCut);
    FontStrip = std::move(rendered.strip);
    GlyphTable = rendered.table;
    appliedFont_ = BookFont;
    appliedUpperCut_ = upperCut;
    appliedBottCut_ = bottCut;

    // default.props, then default.png; a failure stops here.
    WriteFontFiles(ToFsPath(fontsFolder), GlyphTable, FontStrip);

    // The preview follows the new glyphs.
    RenderPreview();
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
}
