// StretchBitmap: exact copies and mirrors at 1:1 in every format and mode, the
// area average when reducing, bounded smooth enlargement, nearest-neighbour
// sample centres, clipping, and drawing a bitmap onto itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "gfx/bitmap.h"
#include "gfx/pixels.h"
#include "gfx/resample.h"
#include "pictures.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;
using gfx::Rect;
using gfx::StretchMode;

constexpr PixelFormat kAllFormats[] = {PixelFormat::pf1bit,  PixelFormat::pf4bit,  PixelFormat::pf8bit,
                                       PixelFormat::pf16bit, PixelFormat::pf24bit, PixelFormat::pf32bit};

// format, stretch mode, mirror left-right, mirror top-bottom, destination in the source's own format
using OneToOne = std::tuple<PixelFormat, StretchMode, bool, bool, bool>;
class ExactAtOneToOne : public ::testing::TestWithParam<OneToOne> {};

TEST_P(ExactAtOneToOne, CopiesOrMirrorsEveryPixel) {
    const auto [format, mode, flipX, flipY, sameFormat] = GetParam();
    const bool mirrorX = flipX, mirrorY = flipY;  // clang 14 lambdas cannot capture structured bindings
    const int32_t w = 13, h = 7;
    const auto source = gfxtest::Numbered(w, h, format);
    auto dest = sameFormat ? source->CloneBitmap() : std::make_unique<Bitmap>(w, h, PixelFormat::pf32bit);
    if (sameFormat) dest->GetCanvas().FillRect({0, 0, w, h});
    const Rect destRect{mirrorX ? w : 0, mirrorY ? h : 0, mirrorX ? 0 : w, mirrorY ? 0 : h};
    gfx::StretchBitmap(*dest, destRect, *source, {0, 0, w, h}, mode);
    EXPECT_TRUE(gfxtest::SameColours(*dest, *source, [&](int32_t x, int32_t y) {
        return std::pair{mirrorX ? w - 1 - x : x, mirrorY ? h - 1 - y : y};
    }));
    if (sameFormat && !gfx::IsIndexed(format)) {
        // Raw bytes too, fourth byte of device pixels included.
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(gfx::LoadRaw(dest->ScanLine(y), x, format),
                          gfx::LoadRaw(source->ScanLine(mirrorY ? h - 1 - y : y), mirrorX ? w - 1 - x : x, format));
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ExactAtOneToOne,
                         ::testing::Combine(::testing::ValuesIn(kAllFormats),
                                            ::testing::Values(StretchMode::HighQuality, StretchMode::ColorOnColor),
                                            ::testing::Bool(), ::testing::Bool(), ::testing::Bool()));

std::unique_ptr<Bitmap> GreyRow(const std::vector<int>& values) {
    auto b = std::make_unique<Bitmap>(static_cast<int32_t>(values.size()), 1, PixelFormat::pf32bit);
    for (size_t i = 0; i < values.size(); ++i) {
        const auto v = static_cast<uint8_t>(values[i]);
        b->SetPixel(static_cast<int32_t>(i), 0, gfx::RGB(v, v, v));
    }
    return b;
}

std::vector<int> Greys(const Bitmap& b) {
    std::vector<int> out;
    for (int32_t x = 0; x < b.Width(); ++x) out.push_back(gfx::GetRValue(b.Pixel(x, 0)));
    return out;
}

struct ReduceCase {
    std::vector<int> source;
    int32_t width;
    std::vector<int> expected;
};

TEST(AreaAverage, WeighsEachSourcePixelByTheAreaItCovers) {
    const ReduceCase cases[] = {
        {{10, 20, 30, 40}, 2, {15, 35}},
        {{0, 90, 180}, 2, {30, 150}},                     // the middle pixel is split in halves
        {{0, 0, 0, 255, 255}, 2, {0, 204}},               // 5 -> 2: 2.5 source pixels each
        {{0, 30, 60, 90, 120, 150}, 1, {75}},
        {{255, 255, 255, 255, 255, 255, 255}, 3, {255, 255, 255}},
    };
    for (const ReduceCase& c : cases) {
        const auto source = GreyRow(c.source);
        Bitmap dest(c.width, 1, PixelFormat::pf32bit);
        gfx::StretchBitmap(dest, {0, 0, c.width, 1}, *source, {0, 0, source->Width(), 1}, StretchMode::HighQuality);
        EXPECT_EQ(Greys(dest), c.expected) << "from " << c.source.size() << " to " << c.width;
    }
}

TEST(AreaAverage, KeepsTheMeanBrightnessAtOddRatios) {
    const auto source = gfxtest::Numbered(397, 211, PixelFormat::pf32bit);
    for (const auto& [w, h] : {std::pair{100, 61}, std::pair{33, 200}, std::pair{396, 1}}) {
        Bitmap dest(w, h, PixelFormat::pf32bit);
        gfx::StretchBitmap(dest, {0, 0, w, h}, *source, {0, 0, 397, 211}, StretchMode::HighQuality);
        auto mean = [](const Bitmap& b) {
            double s = 0;
            for (int32_t y = 0; y < b.Height(); ++y)
                for (int32_t x = 0; x < b.Width(); ++x) s += gfx::GetGValue(b.Pixel(x, y));
            return s / (static_cast<double>(b.Width()) * b.Height());
        };
        EXPECT_NEAR(mean(dest), mean(*source), 0.6) << w << " x " << h;
    }
}

TEST(Enlargement, StaysWithinNeighboursAndRisesSmoothly) {
    const auto source = GreyRow({0, 200});
    Bitmap dest(9, 1, PixelFormat::pf32bit);
    gfx::StretchBitmap(dest, {0, 0, 9, 1}, *source, {0, 0, 2, 1}, StretchMode::HighQuality);
    const std::vector<int> got = Greys(dest);
    EXPECT_EQ(got.front(), 0);
    EXPECT_EQ(got.back(), 200);
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    for (size_t i = 1; i < got.size(); ++i) EXPECT_LE(got[i] - got[i - 1], 50) << "jump at " << i;

    // A flat picture stays flat, whatever the factor.
    const auto flat = GreyRow({77, 77, 77});
    Bitmap wide(17, 5, PixelFormat::pf32bit);
    gfx::StretchBitmap(wide, {0, 0, 17, 5}, *flat, {0, 0, 3, 1}, StretchMode::HighQuality);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 17; ++x) ASSERT_EQ(wide.Pixel(x, y), gfx::RGB(77, 77, 77));
}

TEST(NearestNeighbour, SamplesUnderPixelCentres) {
    const auto source = GreyRow({0, 10, 20, 30, 40, 50});
    const std::pair<int32_t, std::vector<int>> cases[] = {
        {3, {10, 30, 50}}, {2, {10, 40}}, {4, {0, 20, 30, 50}}, {12, {0, 0, 10, 10, 20, 20, 30, 30, 40, 40, 50, 50}}};
    for (const auto& [width, expected] : cases) {
        Bitmap dest(width, 1, PixelFormat::pf32bit);
        gfx::StretchBitmap(dest, {0, 0, width, 1}, *source, {0, 0, 6, 1}, StretchMode::ColorOnColor);
        EXPECT_EQ(Greys(dest), expected) << "width " << width;
    }
}

TEST(Clipping, WritesOnlyInsideTheDestinationAndTheSource) {
    const auto source = gfxtest::Numbered(4, 4, PixelFormat::pf32bit);
    Bitmap dest(6, 6, PixelFormat::pf32bit);
    dest.GetCanvas().brushColor = gfx::RGB(1, 2, 3);
    dest.GetCanvas().FillRect({0, 0, 6, 6});
    // Destination hangs over the top-left corner; source rectangle over the right edge.
    gfx::StretchBitmap(dest, {-2, -2, 2, 2}, *source, {0, 0, 4, 4}, StretchMode::HighQuality);
    gfx::StretchBitmap(dest, {2, 2, 6, 6}, *source, {2, 0, 6, 4}, StretchMode::ColorOnColor);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            gfx::Color expected = gfx::RGB(1, 2, 3);
            if (x < 2 && y < 2) expected = source->Pixel(x + 2, y + 2);
            if (x >= 2 && x < 4 && y >= 2) expected = source->Pixel(x, y - 2);
            EXPECT_EQ(dest.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST(Clipping, AHugeSourceRectangleOverASmallBitmapIsCheap) {
    const auto source = GreyRow({40, 80});
    Bitmap dest(2, 1, PixelFormat::pf32bit);
    // Each destination pixel covers a billion source columns: the left one none
    // that exist (it stays as it was), the right one both.
    gfx::StretchBitmap(dest, {0, 0, 2, 1}, *source, {-1000000000, 0, 1000000000, 1}, StretchMode::HighQuality);
    EXPECT_EQ(Greys(dest), (std::vector<int>{0, 60}));
}

TEST(SelfDraw, MirrorsInPlaceWithoutSmearing) {
    auto b = gfxtest::Numbered(9, 5, PixelFormat::pf24bit);
    const auto original = b->CloneBitmap();
    gfx::StretchBitmap(*b, {9, 5, 0, 0}, *b, {0, 0, 9, 5}, StretchMode::HighQuality);
    EXPECT_TRUE(gfxtest::SameColours(*b, *original, [](int32_t x, int32_t y) { return std::pair{8 - x, 4 - y}; }));
}

}  // namespace
