#include "cli/book_settings.h"

#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/language.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace lumira {

std::filesystem::path ProgramFolder::File(const char* name) const
{
    return folders.DataFile(name);
}

std::filesystem::path ProgramFolder::Setting(const char* name) const
{
    return folders.ConfigFile(name);
}

ProgramFolder ChooseProgramFolder(const CliOptions& options)
{
    ProgramFolder folder;
    if (options.appDir) {
        const QFileInfo info(*options.appDir);
        if (!info.isDir()) throw UsageError(FormatText(Translate("lumira-cli", "Папка программы не найдена: %1"), {options.appDir->toStdString()}));
        folder.folders = PortableFolders(ToFsPath(info.absoluteFilePath()));
    } else {
        folder.folders = ChooseAppFolders(ToFsPath(ExecutableDir()));
        PrepareAppFolders(folder.folders);
    }
    folder.dir = FolderText(folder.folders.documentDir);
    return folder;
}

QSize BookSettings::Screen() const
{
    return PreviewScreenSize(profile ? &*profile : nullptr);
}

namespace {

ColorValue ToColorValue(const RgbColor& c)
{
    return MakeColorValue(c.red, c.green, c.blue);
}

} // namespace

BookSettings ResolveSettings(const BookModel& stored, std::vector<std::string> notices,
                             const std::vector<PhoneProfile>& profiles, const CliOptions& options)
{
    BookSettings s;
    s.notices = std::move(notices);
    s.font = stored.font;
    s.background = stored.background;

    // The window applies the stored cuts one after the other, each only when the strip keeps a
    // row with it, and puts a refused one back to what it had.
    {
        const int cell = TextCellHeight(QFontMetrics(MakeQFont(s.font)));
        if (stored.bottCut != 0) {
            if (CutsFit(cell, 0, stored.bottCut)) s.bottCut = stored.bottCut;
            else s.notices.push_back(Translate("FontStrip", kCutSumMessage) + " (config.ini: BottCut=" + std::to_string(stored.bottCut) + ")");
        }
        if (stored.upperCut != 0) {
            if (CutsFit(cell, stored.upperCut, s.bottCut)) s.upperCut = stored.upperCut;
            else s.notices.push_back(Translate("FontStrip", kCutSumMessage) + " (config.ini: UpperCut=" + std::to_string(stored.upperCut) + ")");
        }
    }

    if (options.fontName) s.font.name = *options.fontName;
    if (options.fontSize) s.font.size = *options.fontSize;
    if (options.bold) s.font.bold = *options.bold;
    if (options.italic) s.font.italic = *options.italic;
    if (options.underline) s.font.underline = *options.underline;
    if (options.color) s.font.color = ToColorValue(*options.color);
    if (options.background) s.background = ToColorValue(*options.background);
    if (options.upperCut) s.upperCut = *options.upperCut;
    if (options.bottomCut) s.bottCut = *options.bottomCut;
    if (!CutsFit(TextCellHeight(QFontMetrics(MakeQFont(s.font))), s.upperCut, s.bottCut))
        throw UsageError(Translate("FontStrip", kCutSumMessage) +
                         FormatText(Translate("lumira-cli", " (подрезка сверху %1, снизу %2)"),
                                    {std::to_string(s.upperCut), std::to_string(s.bottCut)}));

    if (options.profile) {
        const PhoneProfile* p = FindProfile(profiles, QStringToCp1251(*options.profile));
        if (!p) {
            std::string known;
            for (const auto& q : profiles) known += "\n  " + Cp1251ToUtf8(q.Name);
            throw UsageError(FormatText(Translate("lumira-cli", "Профиль «%1» не найден в profiles.ini."), {options.profile->toStdString()}) +
                             (known.empty() ? Translate("lumira-cli", " Профилей нет.") : Translate("lumira-cli", " Есть профили:") + known));
        }
        s.profile = *p;
    } else {
        const int at = StoredListPosition(stored.profile, static_cast<int>(profiles.size()));
        if (at >= 0) s.profile = profiles[static_cast<size_t>(at)];
    }

    if (s.profile && (s.profile->Width > kMaxScreenSide || s.profile->Height > kMaxScreenSide))
        s.notices.push_back("profiles.ini: экран " + std::to_string(s.profile->Width) + "x" +
                            std::to_string(s.profile->Height) + " больше " + std::to_string(kMaxScreenSide) +
                            " точек по стороне; просмотр ограничен этим размером.");

    s.band = options.sysline ? BandAt(*options.sysline) : stored.band;
    s.encoding = options.encoding ? *options.encoding : stored.encoding;
    s.dictionaryHyphens = options.dictionaryHyphens ? *options.dictionaryHyphens : stored.dictionaryHyphens;
    return s;
}

} // namespace lumira
