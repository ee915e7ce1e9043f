#include "cli/text_source.h"

#include "platform/files.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "preview/page_layout.h"

#include <QDir>
#include <QFileInfo>

TextSource::TextSource(const QString& given)
    : given_(given), path_(QDir::toNativeSeparators(QFileInfo(given).absoluteFilePath()))
{
}

QString TextSource::FileName() const
{
    return FileNamePart(path_);
}

std::filesystem::path TextSource::BookFile(const std::filesystem::path&) const
{
    return ToFsPath(path_);
}

std::string TextSource::LayoutString() const
{
    return PreviewString(SplitLines(ReadFileBytes(ToFsPath(path_))));
}
