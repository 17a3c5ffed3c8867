// Playing a metafile of a few thousand records (filled polygons, ellipses,
// polylines, brush and pen changes, text) into a bitmap whose long side is 2000
// pixels, as a pasted drawing is rendered; and parsing the same file.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "metafile/metafile.h"
#include "tests/metafile/record_writer.h"

namespace {

using namespace metafile_test;

// 4520 records over an A4-ish frame of 800 x 600 pixels at 96 dpi.
Bytes ManyRecords() {
    EmfWriter w;
    for (int i = 0; i < 500; ++i) {
        const int x = (i * 37) % 760, y = (i * 53) % 560;
        const uint32_t color = uint32_t(i * 2654435761u) & 0xFFFFFF;
        w.Add(39, Longs({1, 0, color, 0})).Add(37, Longs({1}));
        w.Add(38, Longs({2, 0, 1 + i % 4, 0, ~color & 0xFFFFFF})).Add(37, Longs({2}));
        w.Add(3, Longs({0, 0, 0, 0, 5, x, y, x + 40, y + 5, x + 35, y + 38, x + 12, y + 40, x, y + 20}));
        w.Add(42, Longs({x + 10, y + 10, x + 60, y + 45}));
        w.Add(4, Longs({0, 0, 0, 0, 4, x, y + 50, x + 20, y + 30, x + 40, y + 50, x + 60, y + 30}));
        if (i % 25 == 0) {
            Bytes text = Longs({0, 0, 0, 0, 1, 0, 0, x, y, 5, 76, 0, 0, 0, 0, 0, 0});
            for (char16_t c : u"Morvi") Put16(text, c);
            w.Add(84, text);
        }
        w.Add(40, Longs({1})).Add(40, Longs({2}));
    }
    return w.Finish(21167, 15875, 4);  // 800 x 600 pixels at 96 dpi
}

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "bench_metafile";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;
    return app;
}

void BM_PlayAtLongSide(benchmark::State& state) {
    App();
    gfx::MetafileGraphic graphic;
    graphic.LoadFromBytes(ManyRecords());
    const int longSide = static_cast<int>(state.range(0));
    const int width = longSide, height = longSide * graphic.Height() / graphic.Width();
    gfx::Bitmap bitmap(width, height);
    for (auto _ : state) {
        bitmap.GetCanvas().brushColor = gfx::clWhite;
        bitmap.GetCanvas().FillRect({0, 0, width, height});
        bitmap.GetCanvas().StretchDraw({0, 0, width, height}, graphic);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * 4520);
    state.counters["records"] = 4520;
}
BENCHMARK(BM_PlayAtLongSide)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_Parse(benchmark::State& state) {
    const Bytes bytes = ManyRecords();
    for (auto _ : state) {
        gfx::MetafileGraphic graphic;
        graphic.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(graphic.Width());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
