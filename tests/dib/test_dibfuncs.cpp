// The GDI-like DIB functions: bitmap -> DIB -> bitmap round trips in both row
// orders, source rectangles counted from the top, lenient RLE drawing that never
// reads past the data, and DIB sections that share the DIB's memory.
#include <gtest/gtest.h>

#include <vector>

#include "dib/dibfuncs.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/pixels.h"
#include "tests/gfx/pictures.h"

namespace {

using gfx::Bitmap;
using gfx::BITMAPINFOHEADER;
using gfx::PixelFormat;
using gfx::RGBQuad;

BITMAPINFOHEADER Header(int32_t w, int32_t h, uint16_t bits, uint32_t compression = gfx::BI_RGB) {
    BITMAPINFOHEADER header;
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = compression;
    return header;
}

// A palette where index i is the grey (i, i, i), so colours show indices.
std::vector<RGBQuad> GreyTable(int n) {
    std::vector<RGBQuad> table;
    for (int i = 0; i < n; ++i) table.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
    return table;
}

using RoundTrip = std::tuple<PixelFormat, bool>;
class DibRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(DibRoundTrip, GetThenStretchGivesBackEveryPixel) {
    const auto [format, bottomUp] = GetParam();
    const int32_t w = 11, h = 6;
    const auto original = gfxtest::Numbered(w, h, format);
    const uint16_t bits = static_cast<uint16_t>(gfx::BitsPerPixel(format));
    const BITMAPINFOHEADER header = Header(w, bottomUp ? h : -h, bits);
    std::vector<uint8_t> dib(gfx::RowBytes(format, w) * h, 0xEE);
    std::vector<RGBQuad> colors(256);
    ASSERT_EQ(gfx::GetDIBits(*original, 0, h, dib.data(), dib.size(), header, colors.data()), h);

    // The first stored row is the bottom one in a bottom-up DIB.
    auto firstRow = Bitmap::Wrap(dib.data(), w, 1, format, static_cast<ptrdiff_t>(gfx::RowBytes(format, w)),
                                 gfx::ColorTableToPalette(std::span(colors.data(), gfx::IsIndexed(format) ? size_t{1} << bits : 0)));
    EXPECT_EQ(firstRow->Pixel(3, 0), original->Pixel(3, bottomUp ? h - 1 : 0));

    auto copy = original->CloneBitmap();
    copy->GetCanvas().FillRect({0, 0, w, h});
    copy->GetCanvas().stretchMode = gfx::StretchMode::ColorOnColor;
    const gfx::BitmapInfoView info{&header, colors.data(), 256};
    ASSERT_NE(gfx::StretchDIBits(copy->GetCanvas(), 0, 0, w, h, 0, 0, w, h, dib.data(), dib.size(), info,
                                 gfx::DIB_RGB_COLORS, gfx::SRCCOPY), 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            ASSERT_EQ(gfx::LoadRaw(copy->ScanLine(y), x, format), gfx::LoadRaw(original->ScanLine(y), x, format))
                << x << "," << y;

    // A one-row source rectangle at y = 0 is the picture's top row in either order.
    Bitmap top(w, 1, PixelFormat::pf32bit);
    gfx::StretchDIBits(top.GetCanvas(), 0, 0, w, 1, 0, 0, w, 1, dib.data(), dib.size(), info, gfx::DIB_RGB_COLORS,
                       gfx::SRCCOPY);
    EXPECT_TRUE(gfxtest::SameColours(top, *original, [](int32_t x, int32_t y) { return std::pair{x, y}; }));
}

INSTANTIATE_TEST_SUITE_P(Depths, DibRoundTrip,
                         ::testing::Combine(::testing::Values(PixelFormat::pf1bit, PixelFormat::pf4bit,
                                                              PixelFormat::pf8bit, PixelFormat::pf24bit),
                                            ::testing::Bool()));

struct RleCase {
    const char* name;
    uint32_t compression;
    int32_t width, height;
    std::vector<uint8_t> data;
    std::vector<std::vector<int>> rows;  // top row first
};

TEST(DibRle, DecodesLenientlyAndStopsAtTheEndOfTheData) {
    const RleCase cases[] = {
        {"runs and end of line", gfx::BI_RLE8, 4, 2, {2, 7, 2, 8, 0, 0, 4, 9, 0, 1}, {{9, 9, 9, 9}, {7, 7, 8, 8}}},
        {"literal with padding, then end of picture", gfx::BI_RLE8, 4, 2, {0, 3, 1, 2, 3, 0, 1, 5, 0, 1},
         {{0, 0, 0, 0}, {1, 2, 3, 5}}},
        {"delta skips pixels that stay 0", gfx::BI_RLE8, 4, 3, {1, 6, 0, 2, 2, 1, 1, 4}, {{0, 0, 0, 0}, {0, 0, 0, 4}, {6, 0, 0, 0}}},
        {"run past the row end is cut", gfx::BI_RLE8, 3, 1, {200, 5}, {{5, 5, 5}}},
        {"data ends inside a literal", gfx::BI_RLE8, 4, 1, {0, 4, 1, 2}, {{1, 2, 0, 0}}},
        {"data ends inside a delta", gfx::BI_RLE8, 4, 1, {1, 3, 0, 2, 1}, {{3, 0, 0, 0}}},
        {"delta past the last row", gfx::BI_RLE8, 2, 2, {0, 2, 0, 9, 2, 4}, {{0, 0}, {0, 0}}},
        {"4-bit runs alternate nibbles", gfx::BI_RLE4, 5, 1, {5, 0x12}, {{1, 2, 1, 2, 1}}},
        {"4-bit literal of three nibbles", gfx::BI_RLE4, 4, 1, {0, 3, 0x34, 0x50, 1, 0x0F}, {{3, 4, 5, 0}}},
    };
    for (const RleCase& c : cases) {
        const uint16_t bits = c.compression == gfx::BI_RLE8 ? 8 : 4;
        const PixelFormat format = bits == 8 ? PixelFormat::pf8bit : PixelFormat::pf4bit;
        const BITMAPINFOHEADER header = Header(c.width, c.height, bits, c.compression);
        const std::vector<RGBQuad> table = GreyTable(1 << bits);
        Bitmap dest(c.width, c.height, format);
        dest.SetPalette(gfx::ColorTableToPalette(table));
        dest.GetCanvas().stretchMode = gfx::StretchMode::ColorOnColor;
        // The data lies at the very end of its block, so a read past it would be caught.
        std::vector<uint8_t> block(c.data);
        const gfx::BitmapInfoView info{&header, table.data(), static_cast<uint32_t>(table.size())};
        gfx::StretchDIBits(dest.GetCanvas(), 0, 0, c.width, c.height, 0, 0, c.width, c.height, block.data(),
                           block.size(), info, gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x)
                EXPECT_EQ(static_cast<int>(gfx::LoadRaw(dest.ScanLine(y), x, format)), c.rows[y][x])
                    << c.name << " at " << x << "," << y;
    }
}

TEST(DibChecks, RefusesHeadersAndBlocksThatDoNotFit) {
    Bitmap dest(4, 4);
    dest.GetCanvas().FillRect({0, 0, 4, 4});
    std::vector<uint8_t> bits(15, 0);  // one 24-bit row of 4 pixels and a little, far from 4 rows
    const struct {
        BITMAPINFOHEADER header;
    } cases[] = {{Header(4, 4, 24)}, {Header(0, 4, 24)}, {Header(4, 0, 24)}, {Header(4, 4, 2)},
                 {Header(4, 4, 24, gfx::BI_RLE8)}, {Header(4, INT32_MIN, 8)}};
    for (const auto& c : cases) {
        const gfx::BitmapInfoView info{&c.header, nullptr, 0};
        EXPECT_EQ(gfx::StretchDIBits(dest.GetCanvas(), 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), bits.size(), info,
                                     gfx::DIB_RGB_COLORS, gfx::SRCCOPY), 0);
        EXPECT_EQ(gfx::CreateDIBSection(info, bits.data(), bits.size()), nullptr);
    }
    EXPECT_EQ(dest.Pixel(1, 1), gfx::clWhite);

    // GetDIBits copies only the whole rows that fit, and refuses a size that differs.
    const auto source = gfxtest::Numbered(4, 4, PixelFormat::pf24bit);
    EXPECT_EQ(gfx::GetDIBits(*source, 0, 4, bits.data(), bits.size(), Header(4, 4, 24), nullptr), 1);
    EXPECT_EQ(gfx::GetDIBits(*source, 0, 4, bits.data(), bits.size(), Header(5, 4, 24), nullptr), 0);
}

TEST(DibSection, SharesTheDibMemoryInBothRowOrders) {
    for (const bool bottomUp : {true, false}) {
        std::vector<uint8_t> bits(4 * 3, 0);
        const BITMAPINFOHEADER header = Header(3, bottomUp ? 3 : -3, 8);
        const std::vector<RGBQuad> table = GreyTable(256);
        const gfx::BitmapInfoView info{&header, table.data(), 256};
        auto section = gfx::CreateDIBSection(info, bits.data(), bits.size());
        ASSERT_NE(section, nullptr);
        section->GetCanvas().penColor = gfx::RGB(9, 9, 9);
        section->GetCanvas().MoveTo(0, 0);
        section->GetCanvas().LineTo(3, 0);
        EXPECT_EQ(bits[bottomUp ? 8 : 0], 9) << "the top row lies where the row order puts it";
        EXPECT_EQ(section->Pixel(2, 0), gfx::RGB(9, 9, 9));
    }
}

}  // namespace
