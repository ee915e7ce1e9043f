// Dictionary hyphenation alone, as Create does it (64 KiB blocks of whole words into a buffer
// used again) and as the preview and --dump-pages do it (the whole text, where it stands).
//   LUMIRA_BENCH_TEXT=text.txt bench_hyphenate [benchmark options]
// The text is cp1251 (bench/book/hyphenation_cost.sh KEEP=1 leaves its texts in /dev/shm); without
// one, the sample text repeated to 4 MiB. Each run starts with an empty word memory, as a new
// text does (but for BM_HyphenateKnownWords); the dictionaries are loaded before the timing.
// Counter: MiB_per_s of text.
#include "formats/hyphenator.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace lumira;

namespace {

const std::vector<std::filesystem::path> kFolders{"/usr/share/hyphen"};

const std::string& Text()
{
    static const std::string text = [] {
        if (const char* path = std::getenv("LUMIRA_BENCH_TEXT")) return ReadFileBytes(std::filesystem::path(path));
        const std::string sample = ReadFileBytes(std::filesystem::path(LUMIRA_SOURCE_DIR) / "data" / "sample");
        std::string repeated;
        while (repeated.size() < (4u << 20)) repeated += sample;
        return repeated;
    }();
    return text;
}

void Count(benchmark::State& state)
{
    state.counters["MiB_per_s"] = benchmark::Counter(static_cast<double>(Text().size()) / (1 << 20),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_HyphenateInBlocks(benchmark::State& state)
{
    const std::string& text = Text();
    std::string out;
    for (auto _ : state) {
        state.PauseTiming();
        Hyphenator hyphenator(kFolders);
        hyphenator.LoadDictionaries();
        state.ResumeTiming();
        std::string_view rest = text;
        while (!rest.empty()) {
            size_t end = std::min<size_t>(rest.size(), 64 * 1024);
            end -= std::min(end, Hyphenator::OpenTail(rest.substr(0, end)));
            if (end == 0) end = rest.size();
            out.clear();
            hyphenator.Hyphenate(rest.substr(0, end), out);
            rest.remove_prefix(end);
        }
        benchmark::DoNotOptimize(out.data());
    }
    Count(state);
}
BENCHMARK(BM_HyphenateInBlocks)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_HyphenateWhole(benchmark::State& state)
{
    const std::string& text = Text();
    for (auto _ : state) {
        state.PauseTiming();
        Hyphenator hyphenator(kFolders);
        hyphenator.LoadDictionaries();
        // As the page layout's text comes: with room for the soft hyphens where it stands.
        std::string whole;
        whole.reserve(text.size() + text.size() / 8 + Hyphenator::kInPlaceRoom);
        whole = text;
        state.ResumeTiming();
        hyphenator.HyphenateInPlace(whole);
        benchmark::DoNotOptimize(whole.data());
    }
    Count(state);
}
BENCHMARK(BM_HyphenateWhole)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The same text again with its words already known: the pass over the text alone.
void BM_HyphenateKnownWords(benchmark::State& state)
{
    const std::string& text = Text();
    Hyphenator hyphenator(kFolders);
    std::string out;
    hyphenator.Hyphenate(text, out);
    for (auto _ : state) {
        out.clear();
        hyphenator.Hyphenate(text, out);
        benchmark::DoNotOptimize(out.data());
    }
    Count(state);
}
BENCHMARK(BM_HyphenateKnownWords)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

BENCHMARK_MAIN();
