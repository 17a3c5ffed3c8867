// Opening a large photo the way the main window does: decode the JPEG, draw it at
// its own size on white into the working bitmap, take the copy the session
// keeps, and reduce that copy to the 398 x 265 preview. Each step is also timed
// alone. The 6000 x 4000 test photo is made once in /tmp (open_preview.sh times
// djpeg on the same file).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
constexpr gfx::Rect kPreview{0, 0, 398, 265};

// Smooth colour fields with fine grain on top, so the file decodes like a photo
// rather than like a flat test pattern.
void Paint(gfx::Bitmap& photo) {
    uint32_t noise = 12345;
    for (int32_t y = 0; y < photo.Height(); ++y) {
        uint8_t* row = photo.ScanLine(y);
        for (int32_t x = 0; x < photo.Width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 31) - 16;
            auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[4 * x + 0] = clamp(x * 255 / kWidth + grain);
            row[4 * x + 1] = clamp(y * 255 / kHeight + grain);
            row[4 * x + 2] = clamp(((x / 97 + y / 61) % 7) * 36 + grain);
            row[4 * x + 3] = 0xFF;
        }
    }
}

const std::string& PhotoPath() {
    static const std::string path = [] {
        const std::string p = "/tmp/morvi-bench-6000x4000.jpg";
        if (!std::filesystem::exists(p)) {
            gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
            Paint(photo);
            gfx::SaveFileAtomically(p, [&photo](gfx::Stream& out) { gfx::WriteJpeg(photo, out); });
        }
        return p;
    }();
    return path;
}

// What the window does between choosing the file and showing the preview.
void OpenAndPreview(const std::string& path, gfx::Bitmap& work, gfx::Bitmap& preview) {
    gfx::JpegImage jpeg;
    jpeg.LoadFromFile(path);
    work.SetSize(jpeg.Width(), jpeg.Height());
    gfx::Canvas& canvas = work.GetCanvas();
    canvas.brushColor = gfx::clWhite;
    canvas.FillRect({0, 0, jpeg.Width(), jpeg.Height()});
    canvas.StretchDraw({0, 0, jpeg.Width(), jpeg.Height()}, jpeg);
    const auto source = work.CloneBitmap();
    preview.GetCanvas().StretchDraw(kPreview, *source);
    benchmark::DoNotOptimize(preview.ScanLine(0));
}

void BM_OpenPreview(benchmark::State& state) {
    const std::string& path = PhotoPath();
    gfx::Bitmap work(0, 0, gfx::PixelFormat::pf32bit);
    gfx::Bitmap preview(kPreview.right, kPreview.bottom, gfx::PixelFormat::pf32bit);
    for (auto _ : state) {
        // A fresh working bitmap each time, as after any other picture.
        work.SetSize(0, 0);
        OpenAndPreview(path, work, preview);
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_OpenPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeJpeg(benchmark::State& state) {
    const std::vector<uint8_t> bytes = gfx::ReadWholeFile(PhotoPath());
    for (auto _ : state) {
        auto bitmap = gfx::ReadJpeg(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(bitmap->ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DrawAtOwnSize(benchmark::State& state) {
    gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    Paint(photo);
    gfx::Bitmap work(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    for (auto _ : state) {
        work.GetCanvas().FillRect({0, 0, kWidth, kHeight});
        work.GetCanvas().StretchDraw({0, 0, kWidth, kHeight}, photo);
        benchmark::DoNotOptimize(std::as_const(work).ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_DrawAtOwnSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Copy(benchmark::State& state) {
    gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    for (auto _ : state) {
        auto copy = photo.CloneBitmap();
        benchmark::DoNotOptimize(std::as_const(*copy).ScanLine(0));
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReduceToPreview(benchmark::State& state) {
    gfx::Bitmap photo(kWidth, kHeight, gfx::PixelFormat::pf32bit);
    Paint(photo);
    gfx::Bitmap preview(kPreview.right, kPreview.bottom, gfx::PixelFormat::pf32bit);
    const auto mode = static_cast<gfx::StretchMode>(state.range(0));
    preview.GetCanvas().stretchMode = mode;
    for (auto _ : state) {
        preview.GetCanvas().StretchDraw(kPreview, photo);
        benchmark::DoNotOptimize(preview.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_ReduceToPreview)
    ->Arg(static_cast<int>(gfx::StretchMode::HighQuality))
    ->Arg(static_cast<int>(gfx::StretchMode::ColorOnColor))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
