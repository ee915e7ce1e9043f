#include "cli/cli_app.h"

#include "settings/app_folders.h"
#include "settings/settings_file.h"
#include "cli/book_batch.h"
#include "cli/book_settings.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/page_dump.h"
#include "formats/hyphenator.h"
#include "cli/text_source.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"

#include <QImage>
#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace lumira {

namespace {

void Say(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

void SayError(const std::string& text)
{
    Say(stderr, std::string(kProgramName) + ": " + text + "\n");
}

void ListProfiles(const std::vector<PhoneProfile>& profiles)
{
    std::string out;
    for (const auto& p : profiles)
        out += Cp1251ToUtf8(p.Name) + "\t" + std::to_string(p.Width) + "x" + std::to_string(p.Height) + "\n";
    Say(stdout, out);
}

std::string DescribeSettings(const BookSettings& s)
{
    const QSize screen = s.Screen();
    std::string text = FormatText(Translate("lumira-cli", "Профиль: %1; экран %2x%3; шрифт: %4, %5"),
                                  {s.profile ? Cp1251ToUtf8(s.profile->Name) : Translate("lumira-cli", "нет"),
                                   std::to_string(screen.width()), std::to_string(screen.height()),
                                   s.font.name.toStdString(), std::to_string(s.font.size)});
    if (s.font.bold) text += Translate("lumira-cli", ", жирный");
    if (s.font.italic) text += Translate("lumira-cli", ", курсив");
    if (s.font.underline) text += Translate("lumira-cli", ", подчёркнутый");
    text += FormatText(Translate("lumira-cli", "; подрезка %1/%2; системная полоса %3; кодировка "),
                       {std::to_string(s.upperCut), std::to_string(s.bottCut),
                        s.band == BandPosition::Top      ? Translate("lumira-cli", "вверху")
                        : s.band == BandPosition::Bottom ? Translate("lumira-cli", "внизу")
                                              : Translate("lumira-cli", "не выбрана")}) +
            EncodingDisplayName(s.encoding).toStdString() + "\n";
    return text;
}

// --dump-pages, --pages, --toc and --preview for the one text, through its page index.
int RunPages(const CliOptions& options, const BookSettings& settings, const ProgramFolder& program)
{
    const TextSource text(options.texts.front());
    // The dictionaries load while the glyphs are drawn and the text is read.
    std::future<void> dictionaries;
    if (settings.dictionaryHyphens) dictionaries = LoadDictionariesMeanwhile(HyphenationFolders(program.folders));
    try {
        const FontStripImage glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
        const int lineHeight = glyphs.strip.height();
        QString notice;
        std::string language;
        BookOutline outline;
        std::string layout = text.LayoutString(text.Open(), settings.encoding, &notice, &language, &outline);
        const auto setup = std::make_shared<const PageSetup>(
            MakePageSetup(std::move(layout), settings, lineHeight, HyphenationFolders(program.folders), language,
                          std::move(outline)));
        if (!notice.isEmpty())
            for (const QString& line : notice.split(QLatin1Char('\n'))) SayError(text.Given().toStdString() + ": " + line.toStdString());
        PageIndex index(setup);
        PageDumpWriter dump(stdout);
        index.Build({}, [&](int number, const PageLayout& page) {
            CheckInterrupt();
            if (options.dumpPages) dump.Write(number, page);
        });
        if (options.dumpPages) dump.Finish();
        const int pages = index.PageCount();
        if (options.countPages) Say(stdout, std::to_string(pages) + "\n");
        if (options.contents) PrintContents(index, stdout);
        if (options.previewPage || options.previewPercent) {
            const int wanted = options.previewPercent ? index.PageForPercent(*options.previewPercent) : *options.previewPage;
            if (wanted > pages)
                throw AppError(FormatText(Translate("lumira-cli", "Страницы %1 нет: текст занимает %2 стр."),
                                          {std::to_string(wanted), std::to_string(pages)}));
            if (options.verbose)
                Say(stderr, FormatText(Translate("lumira-cli", "Страница %1 из %2 · %3 %"),
                                       {std::to_string(wanted), std::to_string(pages), std::to_string(index.Percent(wanted))}) +
                                "\n");
            const QImage image = DrawPage(*setup, index.Page(wanted), settings, glyphs, program.File("iface.dat"));
            if (!image.save(*options.png, "PNG")) ThrowCannotCreate(ToFsPath(*options.png));
        }
    } catch (const Interrupted&) {
        SayError(Translate("lumira-cli", "Прервано."));
        return kExitInterrupted;
    } catch (const std::exception& e) {
        SayError(text.Given().toStdString() + ": " + FailureText(e));
        return kExitFailed;
    }
    return kExitOk;
}

// The language of the run, before anything is said: --lang, else config.ini's Language, else
// the system's. A config.ini that cannot be found leaves the system's.
void ApplyCliLanguage(const QStringList& arguments)
{
    std::optional<Language> stored;
    try {
        const std::optional<QString> appDir = AppDirAsked(arguments);
        const AppFolders folders = appDir ? PortableFolders(ToFsPath(*appDir)) : ChooseAppFolders(ToFsPath(ExecutableDir()));
        stored = ReadStoredLanguage(IniFile(folders.ConfigFile("config.ini")));
    } catch (const std::exception&) {
        // The options and the folders are reported on in the language chosen without them.
    }
    ApplyLanguage(ChooseLanguage(LanguageAsked(arguments), stored));
}

} // namespace

int RunCli(const QStringList& arguments)
{
    InstallInterruptHandlers();
    ApplyCliLanguage(arguments);
    try {
        const CliOptions options = ParseOptions(arguments);
        if (options.help) {
            Say(stdout, HelpText());
            return kExitOk;
        }
        if (options.version) {
            Say(stdout, std::string(kProgramName) + " " + kProgramVersion + "\n");
            return kExitOk;
        }

        const ProgramFolder program = ChooseProgramFolder(options);
        Hyphenator::KeepCompiledDictionariesIn(program.folders.DictionaryCacheDir());
        const std::vector<PhoneProfile> profiles = ReadProfiles(IniFile(program.Setting("profiles.ini")));
        if (options.listProfiles) {
            ListProfiles(profiles);
            return kExitOk;
        }

        const StoredSettings stored = ReadStoredSettings(IniFile(program.Setting("config.ini")), program.dir);
        const BookSettings settings = ResolveSettings(ModelFromStored(stored), stored.notices, profiles, options);
        for (const std::string& notice : settings.notices) SayError(notice);
        if (options.verbose) Say(stderr, DescribeSettings(settings));

        if (options.PageMode()) return RunPages(options, settings, program);

        const OutputPlan plan = PlanOutput(options);
        std::vector<TextSource> texts;
        for (const QString& given : options.texts) texts.emplace_back(given);
        const BatchReport report = BuildBooks(texts, settings, program, options, plan, stderr, isatty(fileno(stderr)) != 0);
        if (report.interrupted) {
            SayError(Translate("lumira-cli", "Прервано."));
            return kExitInterrupted;
        }
        return report.failed > 0 ? kExitFailed : kExitOk;
    } catch (const UsageError& e) {
        SayError(e.what());
        SayError(Translate("lumira-cli", "Справка: lumira-cli --help"));
        return kExitUsage;
    } catch (const Interrupted&) {
        return kExitInterrupted;
    } catch (const std::exception& e) {
        SayError(FailureText(e));
        return kExitFailed;
    }
}

} // namespace lumira
