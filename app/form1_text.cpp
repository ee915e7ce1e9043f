// Choosing the book's text: path, title, default package name and the preview text.
#include "app/form1.h"

#include "app/naming.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QLineEdit>
#include <string>

namespace {

// The preview reads at most this many bytes of a text and shows all of them but the last.
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
    // Line splitting ends at the first zero byte.
    return SplitLines(std::string_view(buffer).substr(0, length - 1));
}

void TForm1::cxButtonEdit1PropertiesButtonClick()
{
    OpenDialog1.initialDir = OpenDir;
    const auto chosen = TheDesktop().OpenFile(this, OpenDialog1);
    if (!chosen) return;
    OpenDir = FolderPart(*chosen);
    e_text->setText(*chosen);
    const QString name = FileNamePart(e_text->text());
    SaveDialog1.fileName = SaveDir + TransliterateName(WithJarExtension(name));
    e_caption->setText(SanitizeCaption(WithoutExtension(name)));
    // A file that cannot be opened or read leaves the preview text as it was.
    PreviewText = ReadPreviewText(ToFsPath(e_text->text()));
    RenderPreview();
}
