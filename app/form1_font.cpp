// The font strip: rebuilding the book's glyphs whenever font, colour or cut values change.
#include "app/form1.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFontMetrics>

void TForm1::BuildFontStrip()
{
    CreateFolderChain(ToFsPath(TempDir() + QStringLiteral("fonts")));
    const QFontMetrics metrics(MakeQFont(BookFont));
    const int height = metrics.ascent() + metrics.descent() - e_upper_cut->value() - e_bott_cut->value();
    FontStrip = QImage(1, std::max(1, height), QImage::Format_RGB32);
    RenderPreview();
}

void TForm1::e_upper_cutPropertiesChange()
{
    BuildFontStrip();
}
