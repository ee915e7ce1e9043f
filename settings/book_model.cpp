#include "settings/book_model.h"

#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace lumira {

BookModel ModelFromStored(const StoredSettings& stored)
{
    BookModel model;
    model.font = stored.font;
    model.background = stored.background;
    model.upperCut = stored.upperCut;
    model.bottCut = stored.bottCut;
    model.profile = stored.model;
    model.band = BandAt(stored.sysline);
    model.dictionaryHyphens = stored.dictionaryHyphens;
    model.encoding = stored.encoding;
    model.recent = stored.recent;
    model.previewZoom = stored.previewZoom;
    model.contentsShown = stored.contentsShown;
    model.openDir = stored.openDir;
    model.saveDir = stored.saveDir;
    return model;
}

QString StorableFolder(const QString& folder)
{
    QString f = folder;
    while (!f.isEmpty() && !FitsCp1251(f)) {
        f.chop(1);
        f = FolderPart(f);
    }
    return f;
}

void WriteBookModel(const IniFile& file, const BookModel& model)
{
    IniFile::Batch config(file);
    config.WriteInteger(kGlobalSection, "UpperCut", model.upperCut);
    config.WriteInteger(kGlobalSection, "BottCut", model.bottCut);
    config.WriteString(kFontSection, "Name", QStringToCp1251(model.font.name));
    config.WriteInteger(kFontSection, "Size", model.font.size);
    config.WriteBool(kFontSection, "Bold", model.font.bold);
    config.WriteBool(kFontSection, "Italic", model.font.italic);
    config.WriteBool(kFontSection, "Underline", model.font.underline);
    config.WriteInteger(kFontSection, "Color", model.font.color);
    config.WriteInteger(kGlobalSection, "Background", model.background);
    config.WriteInteger(kGlobalSection, "Model", model.profile);
    config.WriteInteger(kGlobalSection, "Sysline", BandIndex(model.band));
    config.WriteString(kGlobalSection, "OpenDir", QStringToCp1251(StorableFolder(model.openDir)));
    config.WriteString(kGlobalSection, "SaveDir", QStringToCp1251(StorableFolder(model.saveDir)));
    config.WriteString(kGlobalSection, "Encoding", EncodingKey(model.encoding));
    config.WriteString(kGlobalSection, kHyphenationKey, HyphenationKey(model.dictionaryHyphens));
    // The preview's own section only once something in it differs from the start values: a file
    // of a user who never changed them stays as it was.
    if (model.previewZoom != 1 || config.KeyExists(kPreviewSection, "Zoom"))
        config.WriteInteger(kPreviewSection, "Zoom", model.previewZoom);
    if (!model.contentsShown || config.KeyExists(kPreviewSection, "Contents"))
        config.WriteBool(kPreviewSection, "Contents", model.contentsShown);
    RecentTexts recent = model.recent;
    if (!model.text.isEmpty()) recent.Update({model.text, model.title, model.encoding});
    recent.Write(config);
    config.Save();
}

} // namespace lumira
