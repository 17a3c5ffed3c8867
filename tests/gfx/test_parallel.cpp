// Work split over the cores gives the same bytes as on one thread: the resampler
// in every direction and mode, the format conversions and the turns; the pool runs every
// band once, passes failures on and never makes nested or concurrent callers
// wait for each other.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/parallel.h"
#include "gfx/rotate.h"
#include "pictures.h"

namespace {

// Runs make once on one thread and once on four, and compares the bitmaps byte by
// byte. The pictures are large enough to be split into bands.
template <typename Make>
void ExpectSameOnAnyThreads(const char* what, Make make) {
    const int threads = gfx::RowThreads();
    gfx::SetRowThreads(1);
    const std::unique_ptr<gfx::Bitmap> alone = make();
    gfx::SetRowThreads(4);
    const std::unique_ptr<gfx::Bitmap> shared = make();
    gfx::SetRowThreads(threads);
    ASSERT_EQ(alone->Width(), shared->Width()) << what;
    ASSERT_EQ(alone->Height(), shared->Height()) << what;
    ASSERT_EQ(alone->Format(), shared->Format()) << what;
    const size_t rowBytes = gfx::RowBytes(alone->Format(), alone->Width());
    for (int32_t y = 0; y < alone->Height(); ++y) {
        ASSERT_EQ(std::memcmp(alone->ScanLine(y), shared->ScanLine(y), rowBytes), 0) << what << ", row " << y;
    }
}

TEST(Parallel, StretchingGivesTheSameBytesOnAnyNumberOfThreads) {
    struct Case {
        const char* name;
        gfx::Rect dest;
        gfx::StretchMode mode;
        gfx::PixelFormat target;
    };
    const Case cases[] = {
        {"2:1 reduction", {0, 0, 600, 450}, gfx::StretchMode::HighQuality, gfx::pfDevice},
        {"uneven reduction", {0, 0, 421, 397}, gfx::StretchMode::HighQuality, gfx::pfDevice},
        {"enlargement", {0, 0, 1500, 1100}, gfx::StretchMode::HighQuality, gfx::pfDevice},
        {"mirrored reduction", {600, 450, 0, 0}, gfx::StretchMode::HighQuality, gfx::pfDevice},
        {"nearest neighbour", {0, 0, 450, 733}, gfx::StretchMode::ColorOnColor, gfx::pfDevice},
        {"into 24 bits", {0, 0, 533, 622}, gfx::StretchMode::HighQuality, gfx::PixelFormat::pf24bit},
        {"into 8 bits", {0, 0, 533, 622}, gfx::StretchMode::HighQuality, gfx::PixelFormat::pf8bit},
    };
    const std::unique_ptr<gfx::Bitmap> source = gfxtest::Numbered(1200, 900, gfx::PixelFormat::pf24bit);
    for (const Case& c : cases) {
        ExpectSameOnAnyThreads(c.name, [&] {
            auto dest = std::make_unique<gfx::Bitmap>(std::abs(c.dest.Width()), std::abs(c.dest.Height()), c.target);
            dest->GetCanvas().stretchMode = c.mode;
            dest->GetCanvas().StretchDraw(c.dest, *source);
            return dest;
        });
    }
}

TEST(Parallel, FormatConversionsGiveTheSameBytesOnAnyNumberOfThreads) {
    for (const auto& [from, to] : {std::pair{gfx::PixelFormat::pf32bit, gfx::PixelFormat::pf24bit},
                                   std::pair{gfx::PixelFormat::pf24bit, gfx::PixelFormat::pf32bit},
                                   std::pair{gfx::PixelFormat::pf8bit, gfx::PixelFormat::pf32bit},
                                   std::pair{gfx::PixelFormat::pf4bit, gfx::PixelFormat::pf8bit}}) {
        ExpectSameOnAnyThreads("conversion", [&] {
            auto bitmap = gfxtest::Numbered(1100, 700, from);
            bitmap->SetPixelFormat(to);
            return bitmap;
        });
    }
}

TEST(Parallel, TurnsGiveTheSameBytesOnAnyNumberOfThreads) {
    const std::unique_ptr<gfx::Bitmap> source = gfxtest::Numbered(1400, 1000, gfx::PixelFormat::pf24bit);
    for (const int angle : {90, -90, 180, 33}) {
        ExpectSameOnAnyThreads("turn", [&] { return gfx::RotateBitmap(*source, angle, gfx::RGB(1, 2, 3)); });
    }
}

TEST(Parallel, EveryRowIsWorkedOnceAndFailuresReachTheCaller) {
    const int threads = gfx::RowThreads();
    gfx::SetRowThreads(3);
    std::vector<std::atomic<int>> seen(1000);
    gfx::ForEachRowBand(1000, 10, [&](int64_t begin, int64_t end) {
        for (int64_t row = begin; row < end; ++row) ++seen[static_cast<size_t>(row)];
        // A band that splits its own rows runs them itself instead of waiting
        // for the pool it is running on.
        gfx::ForEachRowBand(end - begin, 1, [](int64_t, int64_t) {});
    });
    for (size_t row = 0; row < seen.size(); ++row) ASSERT_EQ(seen[row], 1) << "row " << row;
    EXPECT_THROW(gfx::ForEachRowBand(100, 1,
                                     [](int64_t begin, int64_t) {
                                         if (begin > 0) throw std::runtime_error("band failed");
                                     }),
                 std::runtime_error);
    // Callers on other threads (a converter's sessions) each get their work done.
    std::atomic<int64_t> rows = 0;
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i)
        callers.emplace_back([&] {
            for (int round = 0; round < 50; ++round)
                gfx::ForEachRowBand(64, 1, [&](int64_t begin, int64_t end) { rows += end - begin; });
        });
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(rows, 4 * 50 * 64);
    gfx::SetRowThreads(threads);
}

}  // namespace
