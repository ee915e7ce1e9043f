// The whole book's page index, built as the preview builds it off the window's thread.
//   bench_page_index [benchmark options]   (QT_QPA_PLATFORM=offscreen when there is no display)
// Each run prepares a text as lumira-cli does (read, converted, split into lines, hyphenated by
// the dictionary or not) on the indexer's worker thread and walks all its pages on a 240 x 320
// screen at 8 points. Counters: first_page_ms (from the start until the first page can be
// shown), pages, index_KB (what the index itself holds), peak_RSS_MB (the process's high-water
// mark so far). The texts: a 10 MB plain cp1251 text and an FB2 book of about 10 MB, both made of
// the sample's paragraphs.
#include "cli/book_settings.h"
#include "cli/page_dump.h"
#include "cli/text_source.h"
#include "font/font_strip.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "preview/page_indexer.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace lumira;

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(LUMIRA_SOURCE_DIR) / "data";
constexpr size_t kTextBytes = 10u * 1000 * 1000;

fs::path BenchFolder()
{
    static const fs::path folder = [] {
        const fs::path f = fs::temp_directory_path() / ("lumira_bench_page_index_" + std::to_string(::getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

std::string Escaped(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The 10 MB plain text, once.
const fs::path& PlainText()
{
    static const fs::path path = [] {
        const std::vector<std::string> lines = ReadLineList(kData / "sample");
        std::string text;
        while (text.size() < kTextBytes)
            for (const std::string& line : lines) text += line + "\r\n";
        const fs::path p = BenchFolder() / "plain.txt";
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }();
    return path;
}

// The FB2 book: chapters of the sample's paragraphs, each with a title, about 10 MB.
const fs::path& Fb2Book()
{
    static const fs::path path = [] {
        const std::vector<std::string> lines = ReadLineList(kData / "sample");
        std::string xml = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                          "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><description><title-info>"
                          "<book-title>Bench</book-title></title-info></description><body>";
        for (int chapter = 1; xml.size() < kTextBytes; ++chapter) {
            xml += "<section><title><p>Chapter " + std::to_string(chapter) + "</p></title>";
            for (int round = 0; round < 4; ++round)
                for (const std::string& line : lines)
                    if (!line.empty()) xml += "<p>" + Escaped(line) + "</p>\n";
            xml += "<empty-line/></section>\n";
        }
        xml += "</body></FictionBook>\n";
        const fs::path p = BenchFolder() / "book.fb2";
        std::ofstream(p, std::ios::binary) << xml;
        return p;
    }();
    return path;
}

BookSettings Settings(bool dictionary)
{
    BookSettings settings;
    settings.font.size = 8;
    PhoneProfile phone;
    phone.Name = "Bench";
    phone.Width = 240;
    phone.Height = 320;
    settings.profile = phone;
    settings.dictionaryHyphens = dictionary;
    return settings;
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Arg 0: 0 the plain text, 1 the FB2 book; arg 1: 1 with dictionary hyphenation.
void BM_WholeBookIndex(benchmark::State& state)
{
    const fs::path& file = state.range(0) == 0 ? PlainText() : Fb2Book();
    const BookSettings settings = Settings(state.range(1) != 0);
    const int lineHeight = RenderFontStrip(settings.font, settings.background, 0, 0).strip.height();
    const std::vector<fs::path> dictionaries{"/usr/share/hyphen"};
    double firstPageMs = 0;
    int pages = 0;
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        std::atomic<Clock::time_point> firstPage{};
        PageIndexer indexer([&](std::uint64_t) {
            auto none = Clock::time_point{};
            firstPage.compare_exchange_strong(none, Clock::now());
        });
        const auto start = Clock::now();
        indexer.Start([&](std::stop_token) {
            const TextSource text(FromFsPath(file));
            return MakePageSetup(text.LayoutString(text.Open(), settings.encoding), settings, lineHeight, dictionaries);
        });
        while (indexer.Busy()) std::this_thread::sleep_for(std::chrono::microseconds(200));
        const auto index = indexer.Index();
        if (!index || !index->Complete()) {
            state.SkipWithError(indexer.Failure().value_or("the index was not completed").c_str());
            break;
        }
        pages = index->PageCount();
        firstPageMs = std::chrono::duration<double, std::milli>(firstPage.load() - start).count();
    }
    state.counters["first_page_ms"] = firstPageMs;
    state.counters["pages"] = pages;
    state.counters["index_KB"] = pages * 4.0 / 1024;
    state.counters["peak_RSS_MB"] = static_cast<double>(PeakRssKb()) / 1024;
}
BENCHMARK(BM_WholeBookIndex)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"fb2", "dictionary"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The index's own part: the walk over a prepared 10 MB text, on the calling thread.
void BM_IndexWalkOnly(benchmark::State& state)
{
    const BookSettings settings = Settings(false);
    const int lineHeight = RenderFontStrip(settings.font, settings.background, 0, 0).strip.height();
    const TextSource text(FromFsPath(PlainText()));
    const auto setup = std::make_shared<const PageSetup>(
        MakePageSetup(text.LayoutString(text.Open(), settings.encoding), settings, lineHeight, {}));
    for (auto _ : state) {
        PageIndex index(setup);
        index.Build({});
        benchmark::DoNotOptimize(index.PageCount());
    }
}
BENCHMARK(BM_IndexWalkOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(BenchFolder(), ignored);
    return 0;
}
