// The picture menu's heavy commands on a camera-sized picture: a quarter turn and
// the five tone commands, each on a 24-bit picture as the session holds one.
// bench/tone.sh runs this next to ImageMagick on the same picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "gfx/bitmap.h"
#include "gfx/rotate.h"
#include "tone/abitmap.h"

namespace {

std::unique_ptr<gfx::Bitmap> Photo(int32_t w, int32_t h) {
    auto b = std::make_unique<gfx::Bitmap>(w, h, gfx::PixelFormat::pf24bit);
    std::mt19937 random(42);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = b->ScanLine(y);
        for (int64_t i = 0; i < int64_t{w} * 3; ++i) row[i] = static_cast<uint8_t>(random());
    }
    return b;
}

void SetPixels(benchmark::State& state, int64_t w, int64_t h) {
    state.SetItemsProcessed(state.iterations() * w * h);
    state.SetBytesProcessed(state.iterations() * w * h * 3);
}

void BM_Rotate(benchmark::State& state) {
    const auto w = static_cast<int32_t>(state.range(0));
    const auto h = static_cast<int32_t>(state.range(1));
    const auto angle = static_cast<int>(state.range(2));
    auto source = Photo(w, h);
    // 24 bits: a normalised photo; 32 bits: the device format of a working image.
    if (state.range(3) == 32) source->SetPixelFormat(gfx::PixelFormat::pf32bit);
    for (auto _ : state) {
        auto turned = gfx::RotateBitmap(*source, angle, gfx::clWhite);
        benchmark::DoNotOptimize(turned->ScanLine(0));
    }
    SetPixels(state, w, h);
}
BENCHMARK(BM_Rotate)
    ->ArgNames({"w", "h", "angle", "bits"})
    ->Args({6000, 4000, 90, 24})
    ->Args({6000, 4000, 90, 32})
    ->Args({6000, 4000, 180, 24})
    ->Unit(benchmark::kMillisecond);

// The tone commands change the picture in place, so one picture serves every
// iteration: the work per byte does not depend on its value.
template <typename Command>
void RunTone(benchmark::State& state, Command command) {
    const auto w = static_cast<int32_t>(state.range(0));
    const auto h = static_cast<int32_t>(state.range(1));
    auto picture = Photo(w, h);
    tone::TABitmap tone;
    for (auto _ : state) {
        command(tone, *picture);
        benchmark::ClobberMemory();
    }
    SetPixels(state, w, h);
}

void BM_Brighter(benchmark::State& state) {
    RunTone(state, [](const tone::TABitmap& t, gfx::Bitmap& b) { t.AdjustBrightness(b, 20); });
}
void BM_Darker(benchmark::State& state) {
    RunTone(state, [](const tone::TABitmap& t, gfx::Bitmap& b) { t.AdjustBrightness(b, -20); });
}
void BM_MoreContrast(benchmark::State& state) {
    RunTone(state, [](const tone::TABitmap& t, gfx::Bitmap& b) { t.AdjustContrast(20, b); });
}
void BM_LessContrast(benchmark::State& state) {
    RunTone(state, [](const tone::TABitmap& t, gfx::Bitmap& b) { t.AdjustContrast(-20, b); });
}
void BM_Monochrome(benchmark::State& state) {
    RunTone(state, [](const tone::TABitmap& t, gfx::Bitmap& b) { t.ToMonochrome(b, 150, 150, 150); });
}
BENCHMARK(BM_Brighter)->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Darker)->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoreContrast)->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LessContrast)->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Monochrome)->Args({6000, 4000})->Unit(benchmark::kMillisecond);

// A palette picture pays the widening to 24 bits once, on the first command.
void BM_MonochromeFrom8Bit(benchmark::State& state) {
    const auto w = static_cast<int32_t>(state.range(0));
    const auto h = static_cast<int32_t>(state.range(1));
    gfx::Bitmap indexed(w, h, gfx::PixelFormat::pf8bit);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) indexed.ScanLine(y)[x] = static_cast<uint8_t>(x ^ y);
    tone::TABitmap tone;
    for (auto _ : state) {
        state.PauseTiming();
        auto picture = indexed.CloneBitmap();
        state.ResumeTiming();
        tone.ToMonochrome(*picture, 150, 150, 150);
        benchmark::DoNotOptimize(picture->ScanLine(0));
    }
    SetPixels(state, w, h);
}
BENCHMARK(BM_MonochromeFrom8Bit)->Args({6000, 4000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
