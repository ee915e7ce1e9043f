#include "cli/book_batch.h"

#include "app/naming.h"
#include "book/book_builder.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <system_error>

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

// The same file, whether or not the names are spelled alike.
bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

// Removes a working folder and everything below it, links as links.
void RemoveFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace

OutputPlan PlanOutput(const CliOptions& options)
{
    OutputPlan plan;
    if (options.out) {
        const QFileInfo jar(*options.out);
        const QFileInfo folder(jar.absolutePath());
        if (!folder.isDir()) throw UsageError("Папка для пакета не найдена: " + U8(QDir::toNativeSeparators(jar.absolutePath())));
        if (jar.isDir()) throw UsageError("Ключ --out называет папку, а не файл пакета: " + U8(*options.out));
        plan.jar = QDir::toNativeSeparators(jar.absoluteFilePath());
        plan.folder = WithSeparator(jar.absolutePath());
    } else if (options.outDir) {
        const QFileInfo folder(*options.outDir);
        if (!folder.isDir()) throw UsageError("Папка для пакетов не найдена: " + U8(*options.outDir));
        plan.folder = WithSeparator(folder.absoluteFilePath());
    } else {
        plan.folder = WithSeparator(QDir::currentPath());
    }
    return plan;
}

BatchReport BuildBooks(const std::vector<TextSource>& texts, const BookSettings& settings, const ProgramFolder& program,
                       const CliOptions& options, const OutputPlan& plan, std::FILE* err, bool errIsTerminal)
{
    BatchReport report;

    // The private folder replaces the window's "temp": nothing of the window's is touched.
    QTemporaryDir scratchDir(QDir::tempPath() + QStringLiteral("/lumira-cli-XXXXXX"));
    if (!scratchDir.isValid()) {
        for (const auto& text : texts) ReportFailure(err, text, "Cannot create file " + U8(QDir::toNativeSeparators(QDir::tempPath())));
        report.failed = static_cast<int>(texts.size());
        return report;
    }
    const fs::path scratch = ToFsPath(scratchDir.path());
    const ScratchRemovedOnStop removedOnStop(QFile::encodeName(scratchDir.path()).toStdString());

    // The glyphs are the same for every book: drawn once, written into each working folder.
    FontStripImage glyphs;
    try {
        glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
    } catch (const AppError& e) {
        for (const auto& text : texts) ReportFailure(err, text, e.what());
        report.failed = static_cast<int>(texts.size());
        return report;
    }

    ProgressLine progress(err, errIsTerminal, options.verbose);
    std::set<fs::path> written;  // packages made by this run
    for (const TextSource& text : texts) {
        if (InterruptRequested()) {
            report.interrupted = true;
            break;
        }
        const QString name = text.FileName();
        const QString jarText = plan.jar ? *plan.jar : plan.folder + TransliterateName(WithJarExtension(name));
        const fs::path jar = ToFsPath(jarText);
        const fs::path work = scratch / "book";
        progress.Begin(U8(text.Given()) + " → " + PathText(jar));
        try {
            const QString title = options.title ? *options.title : text.DefaultTitle(settings.encoding);
            if (title.isEmpty())
                throw AppError("Название книги пусто (имя файла не даёт его): задайте название ключом --title.");
            const fs::path textFile = ToFsPath(text.Path());
            if (SameFile(jar, textFile) || SameFile(JadPathFor(jar), textFile))
                throw AppError("Пакет " + PathText(jar) + " записался бы поверх самого текста.");
            if (written.count(fs::absolute(jar).lexically_normal()))
                throw AppError("Пакет " + PathText(jar) + " уже создан в этом запуске из другого текста с тем же именем.");

            RemoveFolder(work);
            // As the window's font strip does: the folder first, a failure there shows as the first file's.
            CreateFolderChain(work / "fonts");
            WriteFontFiles(work / "fonts", glyphs.table, glyphs.strip);

            // A text in another encoding is converted into a copy beside the working folder.
            const BookText book = text.BookFile(scratch, settings.encoding);
            BookRequest request;
            request.textFile = book.File();
            request.titleCp1251 = QStringToCp1251(title);
            request.profile = settings.profile ? &*settings.profile : nullptr;
            request.background = settings.background;
            request.syslineIndex = settings.syslineIndex;
            request.workFolder = work;
            request.templateArchive = program.File("velmar.dat");
            request.jarPath = jar;
            request.progress = [&](BookStage stage, std::uint64_t done, std::uint64_t total) {
                CheckInterrupt();
                if (stage == BookStage::Archive) progress.Archived(done, total);
            };
            SettingsRecord record{};
            BuildBook(request, record);
            written.insert(fs::absolute(jar).lexically_normal());
            RemoveFolder(work);
            progress.Done();
            ReportNotice(err, text, AutoChoiceNotice(settings.encoding, book.Encoding()));
            ReportNotice(err, text, book.Notice());
            ++report.built;
        } catch (const Interrupted&) {
            RemoveFolder(work);
            progress.Abandon();
            report.interrupted = true;
            break;
        } catch (const std::exception& e) {
            RemoveFolder(work);
            progress.Abandon();
            ReportFailure(err, text, e.what());
            ++report.failed;
        }
    }
    return report;
}
