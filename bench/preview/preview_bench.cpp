// Paging must never lag: a page is laid out and drawn on every click.
//   bench_preview [benchmark options]   (QT_QPA_PLATFORM=offscreen when there is no display)
// BM_LayoutPage lays out one 240 x 320 page at 8 points; BM_LayoutAndPaint also draws it;
// BM_PageThrough pages a 2 MiB text from its start to its end (layout only, or with drawing), the
// "per_page" counter giving the time of one page; BM_WindowRepaint is the window's whole
// RenderPreview, as a click on a paging button runs it.
#include "app/main_window.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "preview/page_layout.h"
#include "preview/page_painter.h"

#include <QApplication>
#include <QFontMetrics>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

using namespace lumira;

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(LUMIRA_SOURCE_DIR) / "data";

BookFontStyle BenchFont()
{
    BookFontStyle fontStyle;
    fontStyle.size = 8;
    return fontStyle;
}

const CharWidthTable& Widths()
{
    static const CharWidthTable widths = [] {
        const auto advances = GlyphAdvances(QFontMetrics(MakeQFont(BenchFont())));
        return CharWidthTable::ForLayout([&](unsigned char c) { return advances[c]; });
    }();
    return widths;
}

int LineHeight()
{
    return TextCellHeight(QFontMetrics(MakeQFont(BenchFont())));
}

PageGeometry Screen()
{
    return PageGeometry{240, 320, LineHeight(), true, 1};
}

// The sample text, as the preview shows it at start-up.
const std::string& Sample()
{
    static const std::string text = JoinLines(ReadLineList(kData / "sample"));
    return text;
}

// About 2 MiB: the sample's paragraphs over and over.
const std::string& LongText()
{
    static const std::string text = [] {
        std::string t;
        while (t.size() < 2u * 1024 * 1024) t += Sample();
        return t;
    }();
    return text;
}

// The book's glyph strip, which the pages are drawn from.
const FontStripImage& Glyphs()
{
    static const FontStripImage glyphs = RenderFontStrip(BenchFont(), 0xFFFFFF, 0, 0);
    return glyphs;
}

const QImage& BandPicture()
{
    static const QImage picture(QString::fromStdString((kData / "iface.dat").string()), "BMP");
    return picture;
}

void BM_LayoutPage(benchmark::State& state)
{
    for (auto _ : state) {
        PageLayout page = LayoutPage(Sample(), Widths(), Screen(), 1);
        benchmark::DoNotOptimize(page.nextPageStart);
    }
}
BENCHMARK(BM_LayoutPage)->Unit(benchmark::kMicrosecond);

void BM_LayoutAndPaint(benchmark::State& state)
{
    QImage surface(240, 320, QImage::Format_RGB32);
    for (auto _ : state) {
        surface.fill(Qt::white);
        const PageLayout page = LayoutPage(Sample(), Widths(), Screen(), 1);
        PaintSysline(surface, *page.bandY, BandPicture());
        PaintLines(surface, page, Glyphs().strip, Glyphs().table, Qt::white);
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_LayoutAndPaint)->Unit(benchmark::kMicrosecond);

// range(0): 0 lays out only, 1 draws every page too.
void BM_PageThrough(benchmark::State& state)
{
    const bool paint = state.range(0) != 0;
    const std::string& text = LongText();
    QImage surface(240, 320, QImage::Format_RGB32);
    std::int64_t pages = 0;
    for (auto _ : state) {
        std::int32_t start = 1;
        pages = 0;
        for (;;) {
            const PageLayout page = LayoutPage(text, Widths(), Screen(), start);
            if (paint) {
                surface.fill(Qt::white);
                PaintSysline(surface, *page.bandY, BandPicture());
                PaintLines(surface, page, Glyphs().strip, Glyphs().table, Qt::white);
            }
            ++pages;
            if (!page.downEnabled.value_or(false)) break;
            start = page.nextPageStart;
        }
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["per_page"] = benchmark::Counter(static_cast<double>(pages),
                                                    benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PageThrough)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The window's repaint: text string, layout, band picture read from disk, drawing, showing.
void BM_WindowRepaint(benchmark::State& state)
{
    std::random_device rd;
    const fs::path folder = fs::temp_directory_path() / ("lumira-bench-preview-" + std::to_string(rd()));
    fs::create_directories(folder);
    for (const char* name : {"sample", "iface.dat", "profiles.ini"}) fs::copy_file(kData / name, folder / name);
    WriteFileBytes(folder / "config.ini", "[Global]\r\nModel=7\r\nSysline=1\r\n");  // a 240 x 320 phone
    {
        MainWindow form(QString::fromStdString(folder.string() + "/"));
        state.counters["width"] = form.i_scrBitmap.width();
        state.counters["lines"] = form.LinesPerPage;
        for (auto _ : state) form.RenderPreview();
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_WindowRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
