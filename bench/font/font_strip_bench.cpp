// The strip is rebuilt on every change of font, colour or cut, so it must feel instant.
//   bench_font_strip [benchmark options]   (QT_QPA_PLATFORM=offscreen when there is no display)
// BM_Rebuild is the whole rebuild (render, encode, write both files); BM_Render and BM_EncodePng
// split it; the counters give the strip's size and the compressed size.
#include "font/font_strip.h"
#include "font/png_writer.h"
#include "platform/files.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

using namespace lumira;

namespace fs = std::filesystem;

namespace {

// The program's default face: Tahoma, or what the font system puts in its place.
BookFontStyle BenchFont(int points)
{
    BookFontStyle fontStyle;
    fontStyle.name = QStringLiteral("Tahoma");
    fontStyle.size = points;
    return fontStyle;
}

fs::path WorkFolder()
{
    static const fs::path folder = [] {
        std::random_device rd;
        fs::path p = fs::temp_directory_path() / ("lumira-bench-font-" + std::to_string(rd()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void SizeCounters(benchmark::State& state, const QImage& strip)
{
    state.counters["width"] = strip.width();
    state.counters["height"] = strip.height();
}

void BM_Rebuild(benchmark::State& state)
{
    const BookFontStyle font = BenchFont(int(state.range(0)));
    FontStripImage last;
    for (auto _ : state) {
        // As the window makes them: the folder, the strip, then both files.
        CreateFolderChain(WorkFolder() / "fonts");
        last = RenderFontStrip(font, 0xFFFFFF, 0, 0);
        WriteFontFiles(WorkFolder() / "fonts", last.table, last.strip);
        benchmark::DoNotOptimize(last.strip.constBits());
    }
    SizeCounters(state, last.strip);
}

void BM_Render(benchmark::State& state)
{
    const BookFontStyle font = BenchFont(int(state.range(0)));
    FontStripImage last;
    for (auto _ : state) {
        last = RenderFontStrip(font, 0xFFFFFF, 0, 0);
        benchmark::DoNotOptimize(last.strip.constBits());
    }
    SizeCounters(state, last.strip);
}

void BM_EncodePng(benchmark::State& state)
{
    const QImage strip = RenderFontStrip(BenchFont(int(state.range(0))), 0xFFFFFF, 0, 0).strip;
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string png = EncodePng(strip);
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    SizeCounters(state, strip);
    state.counters["png_bytes"] = double(bytes);
}

} // namespace

BENCHMARK(BM_Rebuild)->Arg(8)->Arg(16)->Arg(48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render)->Arg(8)->Arg(16)->Arg(48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Arg(8)->Arg(16)->Arg(48)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(WorkFolder(), ec);
    return 0;
}
