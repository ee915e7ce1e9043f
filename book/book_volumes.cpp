#include "book/book_volumes.h"

#include "book/text_normaliser.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/file_set.h"
#include "platform/folders.h"
#include "platform/line_list.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// How far before the limit a cut is looked for: a fiftieth of the volume, and never less than this.
constexpr std::size_t kMinSearch = 256;
// A volume this close under the limit is taken without trying to fill it further: a hundredth.
constexpr std::uint64_t kFillSlackDivisor = 100;
// Trial packages per volume before the best one that fits is taken.
constexpr int kMaxTrials = 8;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool BreakEndsAt(std::string_view text, std::size_t p)
{
    return p >= 2 && text[p - 2] == '\r' && text[p - 1] == '\n';
}

std::string Kilobytes(std::uint64_t bytes)
{
    return std::to_string((bytes + 1023) / 1024);
}

std::string ReadWholeText(const BookRequest& request, std::uint64_t& zeroBytes)
{
    // A text still being made is read to its end here: the volumes are planned on the whole of it.
    std::optional<NormalisedText> opened;
    if (request.textStream) opened.emplace(*request.textStream);
    else opened.emplace(request.textFile);
    NormalisedText& in = *opened;
    std::string text;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const size_t n = in.Read(buffer.data(), buffer.size());
        if (n == 0) break;
        text.append(buffer.data(), n);
        if (text.size() > kMaxTextSize) break;  // BuildBook refuses it with its own message
    }
    zeroBytes = in.ZeroBytes();
    return text;
}

std::uint64_t LineBreaks(std::string_view s)
{
    return static_cast<std::uint64_t>(std::count(s.begin(), s.end(), '\n'));
}

// The book's outline for a volume of the text, `part`, whose first line is the text's line
// `first` (a volume may begin inside a line, which is then its first): the entries on its lines,
// counted from its first.
BookOutline VolumeOutline(const BookOutline& outline, std::uint64_t first, std::string_view part)
{
    BookOutline out;
    out.given = outline.given;
    if (part.empty()) return out;
    const std::uint64_t end = first + LineBreaks(part) + (part.back() == '\n' ? 0 : 1);
    for (const OutlineEntry& e : outline.entries)
        if (e.line >= first && e.line < end) out.entries.push_back({e.line - first, e.level, e.label});
    return out;
}

// Trial and final builds of volumes, sharing the caller's request.
class VolumeMaker {
public:
    VolumeMaker(const BookRequest& request, const fs::path& folder, SettingsRecord& record)
        : request_(request), folder_(folder), record_(record)
    {
    }

    // The size of the package of `text` titled `title`, built under `jarName` in the private folder.
    std::uint64_t TrialSize(std::string_view text, const std::string& title, const fs::path& jarName)
    {
        const fs::path jar = folder_ / jarName;
        Build(text, title, jar, [this](BookStage, std::uint64_t, std::uint64_t) { Tick(); });
        const std::uint64_t size = FileSizeOfPath(jar);
        std::error_code ec;
        fs::remove(jar, ec);
        fs::remove(JadPathFor(jar), ec);
        return size;
    }

    void Final(std::string_view text, const std::string& title, const fs::path& jar, const BookProgress& progress)
    {
        Build(text, title, jar, progress);
    }

    // The whole text the volumes are parts of, which the book's outline counts lines in.
    void SetWholeText(std::string_view whole) { whole_ = whole; }

    // The line of the whole text `part` begins on; counted on from the last one asked for, as
    // volumes are tried and made from the text's start on.
    std::uint64_t LineOf(std::string_view part)
    {
        if (part.empty()) return 0;
        const auto start = static_cast<std::size_t>(part.data() - whole_.data());
        if (start < countedTo_) countedTo_ = countedLines_ = 0;
        countedLines_ += LineBreaks(whole_.substr(countedTo_, start - countedTo_));
        countedTo_ = start;
        return countedLines_;
    }

    // Progress of the planning: how much of the text has its volume.
    void SetPlanned(std::uint64_t done, std::uint64_t total)
    {
        planned_ = done;
        total_ = total;
    }

private:
    void Tick()
    {
        if (request_.progress) request_.progress(BookStage::Pieces, planned_, total_);
    }

    void Build(std::string_view text, const std::string& title, const fs::path& jar, const BookProgress& progress)
    {
        const fs::path textFile = folder_ / "volume.txt";
        {
            OutFile out(textFile);
            out.Write(text);
            out.Close();
        }
        BookRequest r = request_;
        r.textFile = textFile;
        r.textStream = nullptr;
        r.title = title;
        r.jarPath = jar;
        r.progress = progress;
        r.openEnd = true;
        BookOutline outline;
        if (request_.outline) {
            outline = VolumeOutline(*request_.outline, LineOf(text), text);
            r.outline = &outline;
        }
        BuildBookInPlace(r, record_);
    }

    const BookRequest& request_;
    fs::path folder_;
    SettingsRecord& record_;
    std::uint64_t planned_ = 0;
    std::uint64_t total_ = 0;
    std::string_view whole_;
    std::size_t countedTo_ = 0;
    std::uint64_t countedLines_ = 0;  // line breaks before countedTo_
};

// Copies each staged file under a temporary name beside its target, and only when every copy is
// complete puts them all in place together with the removal of `removed`: a failure leaves every
// earlier file as it was.
void PlaceStagedFiles(const BookRequest& request, const std::vector<std::pair<fs::path, fs::path>>& stagedToTarget,
                      const std::vector<RemovedFile>& removed)
{
    // A target that can be neither created nor replaced is found before anything is put in place.
    for (const auto& [staged, target] : stagedToTarget) {
        CheckNotOverText(request, target);
        if (const int refusal = TargetRefusal(target)) ThrowCannotCreate(target, refusal);
    }
    FileSetCommit commit;
    for (const RemovedFile& file : removed) commit.RemoveWith(file);
    std::vector<char> buffer(1 << 16);
    for (const auto& [staged, target] : stagedToTarget) {
        const fs::path temp = commit.Add(target).TempPath();
        InFile in(staged);
        try {
            OutFile out(temp);
            for (size_t n; (n = in.Read(buffer.data(), buffer.size())) > 0;) out.Write(buffer.data(), n);
            out.Close();
        } catch (const AppError& e) {
            ThrowUnableToWrite(target, e.SystemError());
        }
    }
    commit.Commit();
}

// A volume's descriptor lines: the package it names and its size, when it is one of ours.
std::optional<std::uint64_t> OurVolumeJarSize(const fs::path& jad, const std::string& jarName, int number)
{
    constexpr std::uintmax_t kLargestDescriptor = 64 * 1024;
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(jad, ec)) || fs::file_size(jad, ec) > kLargestDescriptor || ec)
        return std::nullopt;
    LineList lines;
    try {
        lines = ReadLineList(jad);
    } catch (const AppError&) {
        return std::nullopt;
    }
    const std::string volumeTitleEnd = " " + std::to_string(number);
    bool reader = false, named = false, url = false;
    std::optional<std::uint64_t> size;
    for (const std::string& line : lines) {
        if (line.starts_with("MIDlet-1: ") && line.ends_with(", /book.png, BookReader")) reader = true;
        if (line.starts_with("MIDlet-Name: ") && line.ends_with(volumeTitleEnd)) named = true;
        if (line == "MIDlet-Jar-URL: " + jarName) url = true;
        const std::string sizeKey = "MIDlet-Jar-Size: ";
        if (line.starts_with(sizeKey) && line.size() > sizeKey.size() && line.size() <= sizeKey.size() + 19 &&
            line.find_first_not_of("0123456789", sizeKey.size()) == std::string::npos)
            size = std::stoull(line.substr(sizeKey.size()));
    }
    if (!reader || !named || !url) return std::nullopt;
    return size;
}

std::string VolumeTitle(const std::string& title, int number)
{
    return title + " " + std::to_string(number);
}

} // namespace

fs::path VolumeJarPath(const fs::path& jarPath, int number)
{
    auto name = jarPath.filename().native();
    const auto dot = name.rfind('.');
    auto ext = dot == decltype(name)::npos ? decltype(name)() : name.substr(dot);
    if (dot != decltype(name)::npos) name.erase(dot);
    name += fs::path("_" + std::to_string(number)).native() + ext;
    return jarPath.parent_path() / name;
}

std::size_t VolumeSplitPoint(std::string_view text, std::size_t start, std::size_t end)
{
    if (end >= text.size()) return text.size();
    if (end <= start) return std::min(text.size(), start + 1);
    const std::size_t reach = std::max(kMinSearch, (end - start) / 50);
    const std::size_t low = end - start > reach ? end - reach : start + 1;
    // A paragraph's end: a line break with a blank after it, or a line break after another.
    for (std::size_t p = end; p >= low; --p)
        if (BreakEndsAt(text, p) && (IsBlank(text[p]) || (p - 2 > start && BreakEndsAt(text, p - 2)))) return p;
    for (std::size_t p = end; p >= low; --p)
        if (BreakEndsAt(text, p)) return p;
    for (std::size_t p = end; p >= low; --p)
        if (IsBlank(text[p - 1])) return p;
    return end;
}

std::vector<RemovedFile> EarlierVolumes(const BookRequest& request, int kept, int& volumes)
{
    volumes = 0;
    std::vector<RemovedFile> removed;
    const fs::path& jarPath = request.jarPath;
    const fs::path folder = jarPath.has_parent_path() ? jarPath.parent_path() : fs::path(".");
    // Volume n's descriptor is "<stem>_<n>.jad", the stem being the package's name without its extension.
    const std::string stem = JadPathFor(jarPath).stem().string() + "_";
    for (const auto& entry : ListFolder(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(stem) || !name.ends_with(".jad")) continue;
        const std::string digits = name.substr(stem.size(), name.size() - stem.size() - 4);
        if (digits.empty() || digits.size() > 9 || digits[0] == '0' ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int number = std::stoi(digits);
        const fs::path jar = VolumeJarPath(jarPath, number);
        const fs::path jad = JadPathFor(jar);
        if (number <= kept || jad.filename() != entry.path().filename()) continue;
        if (request.sourceText.IsNamedBy(jad) || request.textFile.IsNamedBy(jad)) continue;
        const auto size = OurVolumeJarSize(jad, jar.filename().string(), number);
        if (!size) continue;
        std::error_code ec;
        const auto st = fs::symlink_status(jar, ec);
        if (fs::exists(st)) {
            if (!fs::is_regular_file(st) || fs::file_size(jar, ec) != *size || ec) continue;
            if (request.sourceText.IsNamedBy(jar) || request.textFile.IsNamedBy(jar)) continue;
            removed.push_back({jar, *size});
        }
        removed.push_back({jad, fs::file_size(jad, ec)});
        ++volumes;
    }
    return removed;
}

std::string RemovedVolumesNotice(int count)
{
    return FormatText(Translate("BookVolumes", "Удалены тома прежнего деления книги с тем же именем: %1."),
                      {std::to_string(count)});
}

std::string LongTitleWarning(const std::string& title)
{
    const std::string& name = title;
    if (name.size() <= kPhoneNameLimit) return {};
    return FormatText(
        Translate("BookVolumes", "Название «%1» занимает %2 байт в UTF-8: некоторые телефоны не принимают названия длиннее %3 байт."),
        {name, std::to_string(name.size()), std::to_string(kPhoneNameLimit)});
}

std::string LargePackageNote(std::uint64_t jarBytes, std::uint64_t maxJarBytes)
{
    if (maxJarBytes != 0 || jarBytes <= kCommonPackageLimit) return {};
    const std::uint64_t tenths = (jarBytes * 10 + kCommonPackageLimit / 2) / kCommonPackageLimit;
    return FormatText(Translate("BookVolumes", "Пакет занимает %1 МБ: большинство телефонов не примут пакет больше 1 МБ. Задайте в профиле телефона предел размера пакета, и книга будет разделена на тома."),
                      {std::to_string(tenths / 10) + Translate("BookVolumes", ",") + std::to_string(tenths % 10)});
}

VolumesResult BuildBookWithin(const BookRequest& request, std::uint64_t maxJarBytes, const fs::path& scratchFolder,
                              SettingsRecord& record)
{
    RecoverFolder(request.jarPath.has_parent_path() ? request.jarPath.parent_path() : fs::path("."));
    VolumesResult result;
    const auto nameWarning = [&](const std::string& title) {
        std::string warning = LongTitleWarning(title);
        if (!warning.empty()) result.warnings.push_back(std::move(warning));
    };
    const auto zeroWarning = [&](std::uint64_t zeroBytes) {
        if (zeroBytes > 0) result.warnings.push_back(ZeroBytesNotice(zeroBytes));
    };
    if (maxJarBytes == 0) {
        zeroWarning(BuildBook(request, record, EarlierVolumes(request, 0, result.removedVolumes)));
        result.volumes.push_back({request.jarPath, FileSizeOfPath(request.jarPath), request.title});
        return result;
    }
    CheckBookRequest(request);

    QTemporaryDir privateDir(FromFsPath(scratchFolder / "lumira-volumes-XXXXXX"));
    if (!privateDir.isValid()) ThrowCannotCreate(scratchFolder / "lumira-volumes");
    const fs::path folder = ToFsPath(privateDir.path());
    VolumeMaker maker(request, folder, record);
    std::uint64_t zeroBytes = 0;
    const std::string text = ReadWholeText(request, zeroBytes);
    maker.SetWholeText(text);
    const fs::path jarName = request.jarPath.filename();

    // What every volume carries besides its text: the template, the glyphs, the record, the manifest.
    const std::uint64_t overhead = maker.TrialSize({}, VolumeTitle(request.title, 1), jarName);
    if (overhead >= maxJarBytes)
        throw AppError(FormatText(Translate("BookVolumes", "Шаблон и шрифт книги занимают %1 КБ (%2 байт), а пакет для этого телефона не больше %3 КБ (%4 байт): книга не поместится. Уменьшите шрифт или снимите предел."),
                                  {Kilobytes(overhead), std::to_string(overhead), Kilobytes(maxJarBytes), std::to_string(maxJarBytes)}));

    const std::uint64_t whole = maker.TrialSize(text, request.title, jarName);
    if (whole <= maxJarBytes) {
        BookRequest r = request;
        if (r.textStream) {
            // The stream is spent: the book is built from the text as read.
            r.textStream = nullptr;
            const fs::path wholeFile = folder / "whole.txt";
            OutFile out(wholeFile);
            out.Write(text);
            out.Close();
            r.textFile = TextFile(wholeFile);
        }
        BuildBook(r, record, EarlierVolumes(request, 0, result.removedVolumes));
        zeroWarning(zeroBytes);
        result.volumes.push_back({request.jarPath, FileSizeOfPath(request.jarPath), request.title});
        return result;
    }

    // Packed bytes per byte of text, as last measured; each volume corrects it by its own trials.
    double ratio = double(whole - std::min(whole, overhead)) / double(std::max<std::size_t>(1, text.size()));
    std::vector<std::size_t> cuts{0};
    while (cuts.back() < text.size()) {
        const std::size_t start = cuts.back();
        const int number = static_cast<int>(cuts.size());
        const std::string title = VolumeTitle(request.title, number);
        maker.SetPlanned(start, text.size());
        const std::uint64_t room = maxJarBytes - overhead;
        std::optional<std::size_t> best;   // the longest cut that fitted
        std::size_t smallestOver = SIZE_MAX;  // the shortest that did not
        double goal = double(room) / std::max(ratio, 1e-6);
        for (int trial = 0; trial < kMaxTrials; ++trial) {
            std::size_t end = start + static_cast<std::size_t>(std::max(1.0, std::floor(goal)));
            if (end >= smallestOver) end = start + (smallestOver - start) * 9 / 10;
            std::size_t cut = VolumeSplitPoint(text, start, std::max(end, start + 1));
            if (cut >= smallestOver) cut = std::max(start + 1, smallestOver - 1);
            if (best && cut <= *best) break;  // nothing longer to try
            const std::uint64_t size =
                maker.TrialSize(std::string_view(text).substr(start, cut - start), title, jarName);
            const double packed = double(size > overhead ? size - overhead : 1);
            ratio = packed / double(cut - start);
            if (size <= maxJarBytes) {
                best = cut;
                if (cut == text.size() || size + maxJarBytes / kFillSlackDivisor >= maxJarBytes) break;
                goal = double(room) / ratio;
            } else {
                smallestOver = cut;
                if (cut == start + 1) break;
                goal = double(room) / ratio * 0.99;
            }
        }
        if (!best)
            throw AppError(FormatText(Translate("BookVolumes", "Пакет для этого телефона не больше %1 КБ, а шаблон и шрифт книги занимают %2 КБ: для текста места не остаётся. Уменьшите шрифт или снимите предел."),
                                      {Kilobytes(maxJarBytes), Kilobytes(overhead)}));
        cuts.push_back(*best);
    }

    // Every volume fits: each is built in the private folder under its own name, and they are put
    // where they belong together once all are made.
    const int count = static_cast<int>(cuts.size()) - 1;
    std::vector<std::pair<fs::path, fs::path>> staged;
    for (int i = 0; i < count; ++i) {
        const std::string title = VolumeTitle(request.title, i + 1);
        const fs::path jar = VolumeJarPath(request.jarPath, i + 1);
        const fs::path stagedJar = folder / jar.filename();
        const std::string_view part = std::string_view(text).substr(cuts[i], cuts[i + 1] - cuts[i]);
        maker.Final(part, title, stagedJar, [&](BookStage, std::uint64_t done, std::uint64_t total) {
            if (!request.progress) return;
            const std::uint64_t share = total == 0 ? 0 : std::min<std::uint64_t>(1000, done * 1000 / total);
            request.progress(BookStage::Archive, std::uint64_t(i) * 1000 + share, std::uint64_t(count) * 1000);
        });
        nameWarning(title);
        result.volumes.push_back({jar, FileSizeOfPath(stagedJar), title});
        staged.emplace_back(stagedJar, jar);
        staged.emplace_back(JadPathFor(stagedJar), JadPathFor(jar));
    }
    PlaceStagedFiles(request, staged, EarlierVolumes(request, count, result.removedVolumes));
    // One warning is enough when every volume's name is too long alike.
    if (result.warnings.size() > 1) result.warnings.erase(result.warnings.begin(), result.warnings.end() - 1);
    zeroWarning(zeroBytes);
    return result;
}

} // namespace lumira
