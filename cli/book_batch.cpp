#include "cli/book_batch.h"

#include "book/text_stream.h"

#include "book/naming.h"
#include "book/book_job.h"
#include "book/book_volumes.h"
#include "platform/ordered_work.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "formats/hyphenator.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/scratch_folder.h"
#include "platform/language.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <set>
#include <thread>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

namespace {

QString WithSeparator(QString dir)
{
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

std::string U8(const QString& s)
{
    return s.toStdString();
}

void ReportFailure(std::FILE* err, const TextSource& text, const std::string& message)
{
    std::fputs((std::string(kProgramName) + ": " + U8(text.Given()) + ": " + message + "\n").c_str(), err);
    std::fflush(err);
}

// What the conversion of a text did that the user should know, a line each, naming the text.
void ReportNotice(std::FILE* err, const TextSource& text, const QString& notice)
{
    if (notice.isEmpty()) return;
    for (const QString& line : notice.split(QLatin1Char('\n')))
        std::fputs((std::string(kProgramName) + ": " + U8(text.Given()) + ": " + U8(line) + "\n").c_str(), err);
    std::fflush(err);
}

// Removes a working folder and everything below it, links as links.
void RemoveFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::remove_all(folder, ec);
}

// Which dictionaries split the book's words, and why: the language the book names, or the
// words' own letters.
QString HyphenationNotice(const BookJob& job)
{
    const Hyphenator hyphenator(job.hyphenationFolders, job.bookLanguage);
    const QString names = QString::fromStdString(hyphenator.DictionaryNames());
    if (job.bookLanguage.empty())
        return QString::fromStdString(Translate("lumira-cli", "Переносы по словарям %1 (язык каждого слова — по его буквам).")).arg(names);
    return QString::fromStdString(Translate("lumira-cli", "Переносы по словарям %1 (язык книги: %2)."))
        .arg(names, QString::fromStdString(job.bookLanguage));
}

} // namespace

OutputPlan PlanOutput(const CliOptions& options)
{
    OutputPlan plan;
    if (options.out) {
        const QFileInfo jar(*options.out);
        const QFileInfo folder(jar.absolutePath());
        if (!folder.isDir()) throw UsageError(FormatText(Translate("lumira-cli", "Папка для пакета не найдена: %1"), {U8(QDir::toNativeSeparators(jar.absolutePath()))}));
        if (jar.isDir()) throw UsageError(FormatText(Translate("lumira-cli", "Ключ --out называет папку, а не файл пакета: %1"), {U8(*options.out)}));
        plan.jar = QDir::toNativeSeparators(jar.absoluteFilePath());
        plan.folder = WithSeparator(jar.absolutePath());
    } else if (options.outDir) {
        const QFileInfo folder(*options.outDir);
        if (!folder.isDir()) throw UsageError(FormatText(Translate("lumira-cli", "Папка для пакетов не найдена: %1"), {U8(*options.outDir)}));
        plan.folder = WithSeparator(folder.absoluteFilePath());
    } else {
        plan.folder = WithSeparator(QDir::currentPath());
    }
    return plan;
}

namespace {

// How one text ended, with what is to be said about it.
struct BookOutcome {
    enum { Built, Failed, Interrupted, Deferred } result = Built;
    std::string failure;  // the message of a failure
    QString notice;       // what the conversion did
    std::vector<fs::path> volumes;  // the packages written, when the book became several
};

// Everything one batch shares between the texts it builds.
struct Batch {
    const std::vector<TextSource>& texts;
    const BookSettings& settings;
    const ProgramFolder& program;
    const CliOptions& options;
    const OutputPlan& plan;
    const fs::path scratch;
    const FontStripImage& glyphs;
    unsigned threadsPerBook;

    fs::path JarOf(const TextSource& text) const
    {
        const QString jarText = plan.jar ? *plan.jar : plan.folder + TransliterateName(WithJarExtension(text.FileName()));
        return ToFsPath(jarText);
    }

    // Builds text `index` in a working folder of its own. `archived` follows the archive.
    BookOutcome Build(std::size_t index, const std::set<fs::path>& written,
                      const std::function<void(std::uint64_t, std::uint64_t)>& archived) const
    {
        BookOutcome outcome;
        const TextSource& text = texts[index];
        const fs::path jar = JarOf(text);
        const fs::path work = scratch / ("book" + std::to_string(index));
        try {
            CheckInterrupt();
            // Every stage below reads this one open file, whatever takes the text's name meanwhile.
            const TextFile opened = text.Open();
            // A book is read through once for what it tells of itself: its title and its language.
            const std::optional<BookInfo> info =
                !options.title || settings.dictionaryHyphens ? text.Book(opened, settings.encoding) : std::nullopt;
            const QString title = options.title ? *options.title : text.DefaultTitle(info);
            if (title.trimmed().isEmpty())
                throw AppError(options.title ? Translate("BookBuilder", kBlankTitleMessage)
                                             : Translate("lumira-cli", "Название книги пусто (имя файла не даёт его): задайте название ключом --title."));
            if (written.count(fs::absolute(jar).lexically_normal()))
                throw AppError(FormatText(Translate("lumira-cli", "Пакет %1 уже создан в этом запуске из другого текста с тем же именем."), {PathText(jar)}));

            RemoveFolder(work);
            // As the window's font strip does: the folder first, a failure there shows as the first file's.
            CreateFolderChain(work / "fonts");
            WriteFontFiles(work / "fonts", glyphs.table, glyphs.strip);

            // A text in another encoding is converted into a copy beside the working folder.
            BookJob job;
            job.text = opened;
            job.encoding = settings.encoding;
            job.title = title;
            job.profile = settings.profile;
            job.background = settings.background;
            job.band = settings.band;
            job.dictionaryHyphens = settings.dictionaryHyphens;
            job.hyphenationFolders = HyphenationFolders(program.folders);
            if (info) job.bookLanguage = info->language;
            job.workFolder = work;
            job.templateFile = program.File("velmar.dat");
            job.jar = jar;
            job.scratch = scratch;
            job.maxJarBytes = options.maxJarSize ? std::uint64_t(*options.maxJarSize) * 1024
                              : settings.profile ? settings.profile->MaxJarBytes()
                                                 : 0;
            job.threads = threadsPerBook;
            // A stop request is heard while the book's text has not yet begun to come.
            job.stopCheck = CheckInterrupt;
            job.progress = [&](BookStage stage, std::uint64_t done, std::uint64_t total) {
                CheckInterrupt();
                if (stage == BookStage::Archive && archived) archived(done, total);
            };
            SettingsRecord record{};
            const BookJobResult result = RunBookJob(job, record);
            const VolumesResult& made = result.made;
            const std::uint64_t limit = job.maxJarBytes;
            QStringList notices;
            const int count = static_cast<int>(made.volumes.size());
            if (count > 1)
                for (const BookVolume& v : made.volumes) outcome.volumes.push_back(v.jar);
            if (count > 1)
                for (int v = 0; v < count; ++v)
                    notices << QString::fromStdString(Translate("lumira-cli", "том %1 из %2: %3, %4 байт, «%5»"))
                                   .arg(v + 1)
                                   .arg(count)
                                   .arg(QString::fromStdString(PathText(made.volumes[v].jar)))
                                   .arg(made.volumes[v].jarSize)
                                   .arg(QString::fromStdString(made.volumes[v].titleUtf8));
            if (options.verbose && job.dictionaryHyphens) notices << HyphenationNotice(job);
            for (const std::string& w : made.warnings) notices << QString::fromStdString(w);
            if (made.removedVolumes > 0) notices << QString::fromStdString(RemovedVolumesNotice(made.removedVolumes));
            // A book kept whole bears its title as given, which phones may refuse all the same.
            if (count == 1) {
                notices << QString::fromStdString(LongTitleWarning(title.toStdString()));
                notices << QString::fromStdString(LargePackageNote(made.volumes.front().jarSize, limit));
            }
            notices.removeAll(QString());
            // A book's encoding is its own, not a guess of "Авто".
            const QString guessed = result.fromBook ? QString() : AutoChoiceNotice(settings.encoding, result.encoding);
            for (const QString& line : {guessed, result.conversionNotice})
                if (!line.isEmpty()) notices << line;
            outcome.notice = notices.join(QLatin1Char('\n'));
        } catch (const Interrupted&) {
            outcome.result = BookOutcome::Interrupted;
        } catch (const std::exception& e) {
            outcome.result = BookOutcome::Failed;
            outcome.failure = FailureText(e);
        }
        RemoveFolder(work);
        return outcome;
    }
};

unsigned CoreCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

BatchReport BuildBooks(const std::vector<TextSource>& texts, const BookSettings& settings, const ProgramFolder& program,
                       const CliOptions& options, const OutputPlan& plan, std::FILE* err, bool errIsTerminal)
{
    BatchReport report;

    // The private folder replaces the window's "temp": nothing of the window's is touched. What
    // killed runs left beside it goes first.
    const fs::path systemTemp = ToFsPath(QDir::tempPath());
    RemoveAbandonedScratchFolders(systemTemp);
    std::optional<ScratchFolder> scratchDir;
    try {
        scratchDir.emplace(systemTemp, "cli-");
    } catch (const AppError& e) {
        for (const auto& text : texts) ReportFailure(err, text, e.what());
        report.failed = static_cast<int>(texts.size());
        return report;
    }
    const ScratchRemovedOnStop removedOnStop(scratchDir->Path().string());

    // The dictionaries load while the glyphs are drawn and the first texts are read.
    std::future<void> dictionaries;
    if (settings.dictionaryHyphens) dictionaries = LoadDictionariesMeanwhile(HyphenationFolders(program.folders));
    // The glyphs are the same for every book: drawn once, written into each working folder.
    FontStripImage glyphs;
    try {
        glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
    } catch (const AppError& e) {
        for (const auto& text : texts) ReportFailure(err, text, e.what());
        report.failed = static_cast<int>(texts.size());
        return report;
    }

    // Several books at once share the cores; a single one compresses on all of them.
    const unsigned jobs = std::min<std::size_t>(options.jobs ? static_cast<unsigned>(*options.jobs) : CoreCount(),
                                                std::max<std::size_t>(1, texts.size()));
    const Batch batch{texts, settings, program, options, plan, scratchDir->Path(), glyphs,
                      std::max(1u, CoreCount() / jobs)};

    ProgressLine progress(err, errIsTerminal, options.verbose);
    std::set<fs::path> written;  // packages made by this run, as far as they were reported
    // The packages of the texts that go ahead of each, to tell which must wait for their turn.
    std::set<fs::path> planned;
    std::vector<bool> sharesPackage(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        sharesPackage[i] = !planned.insert(fs::absolute(batch.JarOf(texts[i])).lexically_normal()).second;

    const auto label = [&](std::size_t i) { return U8(texts[i].Given()) + " → " + PathText(batch.JarOf(texts[i])); };
    // A book in volumes names those written, never the one package that it did not become.
    const auto volumesLabel = [&](std::size_t i, const std::vector<fs::path>& volumes) {
        if (volumes.empty()) return std::string();
        std::string names = PathText(volumes.front());
        for (std::size_t v = 1; v < volumes.size(); ++v) names += ", " + PathText(volumes[v].filename());
        return U8(texts[i].Given()) + " → " + names;
    };
    const auto archived = [&](std::uint64_t done, std::uint64_t total) { progress.Archived(done, total); };

    // Each text is built on any thread, and told about in the order given. One that names the
    // package of a text before it waits for that one's result, as a run of one at a time would.
    // After a stop request no text is begun; the books already made are still told about.
    const auto build = [&](std::size_t i) -> BookOutcome {
        if (InterruptRequested()) return BookOutcome{BookOutcome::Interrupted, {}, {}, {}};
        if (jobs == 1) {
            progress.Begin(label(i));
            return batch.Build(i, written, archived);
        }
        if (sharesPackage[i]) return BookOutcome{BookOutcome::Deferred, {}, {}, {}};
        return batch.Build(i, {}, {});
    };
    const auto tell = [&](std::size_t i, BookOutcome& outcome) {
        if (jobs > 1 && outcome.result != BookOutcome::Interrupted) {
            progress.Begin(label(i));
            if (outcome.result == BookOutcome::Deferred) {
                if (InterruptRequested()) outcome.result = BookOutcome::Interrupted;
                else outcome = batch.Build(i, written, archived);
            }
        }
        const TextSource& text = texts[i];
        switch (outcome.result) {
        case BookOutcome::Built:
            written.insert(fs::absolute(batch.JarOf(text)).lexically_normal());
            progress.Done(volumesLabel(i, outcome.volumes));
            ReportNotice(err, text, outcome.notice);
            ++report.built;
            break;
        case BookOutcome::Failed:
            progress.Abandon();
            ReportFailure(err, text, outcome.failure);
            ++report.failed;
            break;
        default:
            progress.Abandon();
            report.interrupted = true;
        }
    };
    RunInOrder<BookOutcome>(texts.size(), jobs, jobs, build, tell);
    return report;
}

} // namespace lumira
