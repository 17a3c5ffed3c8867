// Opening a large photo through the picture session, as the window does from the
// open dialog (through the DIB engine) and from a drop or the command line:
// decode, draw at its own size on white, keep the bitmap, and draw the preview
// fitted into the 400 x 400 panel. The steps underneath are also timed alone.
// open_preview.sh times djpeg on the same files.
//
// "--make-photo W H" only writes the test photo of that size and prints its path.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_photos.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/stream.h"
#include "session/picture_kinds.h"
#include "session/picture_session.h"

namespace {

constexpr gfx::Rect kPreview{0, 0, 398, 265};

void EnsureFormats() {
    static const bool registered = [] {
        gfx::RegisterStandardFormats();
        kvdib::RegisterKvDIB();
        return true;
    }();
    (void)registered;
}

// Arguments: width, height, and the road (1: the open dialog, through the DIB
// engine; 0: a drop or the command line).
void BM_OpenPreview(benchmark::State& state) {
    EnsureFormats();
    const int32_t width = static_cast<int32_t>(state.range(0)), height = static_cast<int32_t>(state.range(1));
    const QString path = QString::fromStdString(bench::TestPhoto(width, height));
    const bool normalise = state.range(2) == 1;
    morvi::PictureSession session;
    for (auto _ : state) {
        session.Load(path, normalise);
        const morvi::Preview preview = session.RenderPreview(400, 400);
        benchmark::DoNotOptimize(preview.bitmap->ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{width} * height);
}
BENCHMARK(BM_OpenPreview)
    ->Args({5120, 2880, 0})
    ->Args({5120, 2880, 1})
    ->Args({6000, 4000, 0})
    ->Args({6000, 4000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DecodeJpeg(benchmark::State& state) {
    const std::vector<uint8_t> bytes = gfx::ReadWholeFile(bench::TestPhoto(6000, 4000));
    for (auto _ : state) {
        auto bitmap = gfx::ReadJpeg(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(bitmap->ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

std::unique_ptr<gfx::Bitmap> Painted(int32_t width, int32_t height) {
    auto photo = std::make_unique<gfx::Bitmap>(width, height, gfx::PixelFormat::pf32bit);
    bench::PaintPhoto(*photo);
    return photo;
}

void BM_DrawAtOwnSize(benchmark::State& state) {
    const auto photo = Painted(6000, 4000);
    gfx::Bitmap work(6000, 4000, gfx::PixelFormat::pf32bit);
    for (auto _ : state) {
        work.GetCanvas().FillRect({0, 0, 6000, 4000});
        work.GetCanvas().StretchDraw({0, 0, 6000, 4000}, *photo);
        benchmark::DoNotOptimize(std::as_const(work).ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * int64_t{6000} * 4000 * 4);
}
BENCHMARK(BM_DrawAtOwnSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReduceToPreview(benchmark::State& state) {
    const auto photo = Painted(6000, 4000);
    gfx::Bitmap preview(kPreview.right, kPreview.bottom, gfx::PixelFormat::pf32bit);
    preview.GetCanvas().stretchMode = static_cast<gfx::StretchMode>(state.range(0));
    for (auto _ : state) {
        preview.GetCanvas().StretchDraw(kPreview, *photo);
        benchmark::DoNotOptimize(preview.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{6000} * 4000);
}
BENCHMARK(BM_ReduceToPreview)
    ->Arg(static_cast<int>(gfx::StretchMode::HighQuality))
    ->Arg(static_cast<int>(gfx::StretchMode::ColorOnColor))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--make-photo") == 0) {
        std::puts(bench::TestPhoto(std::atoi(argv[2]), std::atoi(argv[3])).c_str());
        return 0;
    }
    // The session's readers want an application object, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
