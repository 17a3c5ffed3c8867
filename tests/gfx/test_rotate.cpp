// RotateBitmap: quarter and half turns against the closed-form pixel mapping,
// compositions of turns, and any angle against Floor of the source point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/rotate.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;
using gfx::RotateBitmap;

// A 32-bit picture in which every pixel, fourth byte included, is distinct.
std::unique_ptr<Bitmap> Numbered(int32_t w, int32_t h) {
    auto b = std::make_unique<Bitmap>(w, h, PixelFormat::pf32bit);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t n = uint32_t(y) * 7919u + uint32_t(x) * 31u + 1u;
            const uint8_t px[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(0x80 | (x + y))};
            std::memcpy(b->ScanLine(y) + x * 4, px, 4);
        }
    return b;
}

uint32_t At(const Bitmap& b, int32_t x, int32_t y) {
    uint32_t v;
    std::memcpy(&v, b.ScanLine(y) + x * 4, 4);
    return v;
}

bool Same(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (At(a, x, y) != At(b, x, y)) return false;
    return true;
}

// Where result pixel (i, j) of a turn comes from in a w x h source.
const struct {
    int angle;
    gfx::Point (*from)(int32_t i, int32_t j, int32_t w, int32_t h);
} kTurns[] = {
    {90, [](int32_t i, int32_t j, int32_t w, int32_t) { return gfx::Point{w - 1 - j, i}; }},
    {-90, [](int32_t i, int32_t j, int32_t, int32_t h) { return gfx::Point{j, h - 1 - i}; }},
    {270, [](int32_t i, int32_t j, int32_t, int32_t h) { return gfx::Point{j, h - 1 - i}; }},
    {180, [](int32_t i, int32_t j, int32_t w, int32_t h) { return gfx::Point{w - 1 - i, h - 1 - j}; }},
    {0, [](int32_t i, int32_t j, int32_t, int32_t) { return gfx::Point{i, j}; }},
};

class RotateSizes : public testing::TestWithParam<std::pair<int32_t, int32_t>> {};

// Odd, thin, square, empty and 640 x 480 pictures: every pixel, fourth byte
// included, lands where the closed form says, and the background never shows.
TEST_P(RotateSizes, QuarterAndHalfTurnsMoveEveryPixel) {
    const auto [w, h] = GetParam();
    const auto source = Numbered(w, h);
    for (const auto& turn : kTurns) {
        const auto d = RotateBitmap(*source, turn.angle, gfx::RGB(1, 2, 3));
        const bool quarter = turn.angle % 180 != 0;
        ASSERT_EQ(d->Format(), PixelFormat::pf32bit);
        ASSERT_EQ(d->Width(), quarter ? h : w) << turn.angle;
        ASSERT_EQ(d->Height(), quarter ? w : h) << turn.angle;
        int wrong = 0;
        for (int32_t j = 0; j < d->Height(); ++j)
            for (int32_t i = 0; i < d->Width(); ++i) {
                const gfx::Point p = turn.from(i, j, w, h);
                wrong += At(*d, i, j) != At(*source, p.x, p.y);
            }
        EXPECT_EQ(wrong, 0) << w << " x " << h << " by " << turn.angle;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, RotateSizes,
                         testing::Values(std::pair{1, 1}, std::pair{3, 5}, std::pair{7, 2}, std::pair{1, 9},
                                         std::pair{0, 5}, std::pair{101, 37}, std::pair{640, 480}));

TEST(RotateBitmap, CompositionsOfTurns) {
    Bitmap source(9, 4, PixelFormat::pf24bit);  // a 24-bit source is widened, not changed
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 9; ++x) source.SetPixel(x, y, gfx::RGB(uint8_t(x * 20), uint8_t(y * 50), 7));
    const auto left = RotateBitmap(source, 90, gfx::clWhite);
    for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(left->Pixel(y, 8), source.Pixel(0, y)) << "left column to bottom row";
    EXPECT_EQ(source.Format(), PixelFormat::pf24bit);

    auto rights = RotateBitmap(source, -90, gfx::clWhite);
    rights = RotateBitmap(*RotateBitmap(*rights, -90, gfx::clWhite), -90, gfx::clWhite);
    EXPECT_TRUE(Same(*left, *rights)) << "three rights are one left";
    EXPECT_TRUE(Same(*RotateBitmap(source, 180, gfx::clWhite), *RotateBitmap(*left, 90, gfx::clWhite)))
        << "180 is two lefts";
}

// Any angle: each result pixel holds the source pixel under Floor of the source
// point, advanced pixel by pixel by additions in extended precision, or the
// background (blue, green, red, 0) where that point falls outside.
TEST(RotateBitmap, AnyAngleSamplesTheFloorOfTheSourcePoint) {
    const auto source = Numbered(13, 7);
    const uint8_t fill[4] = {3, 2, 1, 0};
    uint32_t background;
    std::memcpy(&background, fill, 4);
    for (int angle : {1, 30, 45, -60, 137, -179}) {
        const auto d = RotateBitmap(*source, angle, gfx::RGB(1, 2, 3));
        const long double a = -angle * 3.14159265358979323846264338327950288L / 180;
        const long double c = std::cos(a), s = std::sin(a);
        ASSERT_EQ(d->Width(), static_cast<int32_t>(std::fabs(13 * c) + std::fabs(7 * s) + 0.5L)) << angle;
        ASSERT_EQ(d->Height(), static_cast<int32_t>(std::fabs(13 * s) + std::fabs(7 * c) + 0.5L)) << angle;
        const long double dx = 0.5L - d->Width() / 2.0L, dy = 0.5L - d->Height() / 2.0L;
        long double rowX = 6.5L + dx * c + dy * s, rowY = 3.5L - dx * s + dy * c;
        int wrong = 0, outside = 0;
        for (int32_t j = 0; j < d->Height(); ++j, rowX += s, rowY += c) {
            long double x = rowX, y = rowY;
            for (int32_t i = 0; i < d->Width(); ++i, x += c, y -= s) {
                const auto fx = static_cast<int64_t>(std::floor(x)), fy = static_cast<int64_t>(std::floor(y));
                const bool inside = fx >= 0 && fx < 13 && fy >= 0 && fy < 7;
                outside += !inside;
                wrong += At(*d, i, j) != (inside ? At(*source, int32_t(fx), int32_t(fy)) : background);
            }
        }
        EXPECT_EQ(wrong, 0) << "angle " << angle;
        EXPECT_TRUE(outside > 0 || std::abs(angle) < 30 || std::abs(angle) > 150) << "angle " << angle;
    }
}

}  // namespace
