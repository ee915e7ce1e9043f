// Choosing the book's text: path, title, default package name and the preview text.
#include "app/form1.h"

#include "app/naming.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QLineEdit>
#include <string>

namespace {

// The beginning of a text as the preview shows it: at most 2047 bytes, ending early at a zero byte.
constexpr std::uint64_t kPreviewReadLimit = 2048;

} // namespace

LineList ReadPreviewText(const std::filesystem::path& file)
{
    InFile in(file);
    const std::uint64_t size = in.Size();
    const size_t length = static_cast<size_t>(std::min(size, kPreviewReadLimit));
    std::string buffer(length, '\0');
    in.ReadExact(buffer.data(), length);
    if (length <= 1) return {};
    return SplitLines(std::string_view(buffer).substr(0, length - 1));
}

void TForm1::cxButtonEdit1PropertiesButtonClick()
{
    OpenDialog1.initialDir = OpenDir;
    OpenDialog1.filter = QStringLiteral("Текстовые фалы|*.txt|Все файлы|*.*");
    OpenDialog1.defaultExt = QStringLiteral("txt");
    const auto chosen = TheDesktop().OpenFile(this, OpenDialog1);
    if (!chosen) return;
    OpenDir = FolderPart(*chosen);
    e_text->setText(*chosen);
    const QString name = FileNamePart(e_text->text());
    SaveDialog1.fileName = SaveDir + TransliterateName(WithJarExtension(name));
    e_caption->setText(SanitizeCaption(WithoutExtension(name)));
    PreviewText = ReadPreviewText(ToFsPath(e_text->text()));
    RenderPreview();
}
