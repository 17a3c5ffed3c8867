#include <gtest/gtest.h>

#include <string>

#include "conversion_fixture.h"
#include "dib/errors.h"
#include "dib/halftone.h"

namespace kvdib::test {
namespace {

using Rows = std::vector<Colors>;
using Grid = std::vector<std::vector<int>>;

Rows Uniform(gfx::RGBQuad c, int width, int height) { return Rows(height, Colors(width, c)); }

// Palette indices (8 bits) or bits (1 bit) of every pixel, rows in memory order.
Grid Indices(const Picture& p) {
    Grid out;
    for (int32_t y = 0; y < std::abs(p.info.Header.biHeight); ++y) {
        out.emplace_back();
        const uint8_t* bits = p.info.Bits + y * p.Stride();
        for (int32_t x = 0; x < p.info.Header.biWidth; ++x)
            out.back().push_back(p.info.Header.biBitCount == 8 ? bits[x] : (bits[x / 8] >> (7 - x % 8)) & 1);
    }
    return out;
}

struct HalftoneCase {
    const char* name;
    Rows pixels;
    Grid colour;  // expected palette indices
    Grid mono;    // expected bits
};
void PrintTo(const HalftoneCase& c, std::ostream* os) { *os << c.name; }

class HalftoneTest : public ::testing::TestWithParam<HalftoneCase> {};

TEST_P(HalftoneTest, DiffusesTheErrorAlongTheSerpentine) {
    const HalftoneCase& c = GetParam();
    std::vector<Bytes> rows;
    for (const Colors& row : c.pixels) rows.push_back(Bgr(row));
    for (int32_t sign : {1, -1}) {
        // Rows are taken in memory order either way; only the sign differs.
        Picture source, colour, mono;
        MakePlain(source, static_cast<int32_t>(rows[0].size() / 3), sign * static_cast<int32_t>(rows.size()), 24, rows);
        ConvertToHalfTone(source.info, colour.info, false);
        ConvertToHalfToneBW(source.info, mono.info, false);
        EXPECT_EQ(Indices(colour), c.colour) << "height sign " << sign;
        EXPECT_EQ(Indices(mono), c.mono) << "height sign " << sign;
        EXPECT_EQ(colour.info.Header.biHeight, source.info.Header.biHeight);
        EXPECT_EQ(mono.info.Header.biHeight, source.info.Header.biHeight);
    }
}

const gfx::RGBQuad kGrey = Rgb(128, 128, 128);

INSTANTIATE_TEST_SUITE_P(
    Pictures, HalftoneTest,
    ::testing::Values(
        // Exact levels carry no error in colour; in black and white red is a dark
        // pixel whose error adds up to a white one.
        HalftoneCase{"PureRed", Uniform(Rgb(255, 0, 0), 3, 2), Grid(2, {175, 175, 175}), {{0, 0, 1}, {1, 0, 0}}},
        HalftoneCase{"White", Uniform(Rgb(255, 255, 255), 3, 2), Grid(2, {209, 209, 209}), Grid(2, {1, 1, 1})},
        // Grey: red level 153 first (index 122) carrying 25; a channel sum of
        // exactly 384 is white, and its error makes the next pixel black.
        HalftoneCase{"Grey", Uniform(kGrey, 4, 3), {{122, 87, 122, 87}, {87, 122, 87, 122}, {122, 87, 122, 87}},
                     {{1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}}},
        // One column: odd rows read the right border, which stays zero.
        HalftoneCase{"OneWide", Uniform(kGrey, 1, 4), {{122}, {87}, {122}, {87}}, {{1}, {0}, {1}, {0}}},
        HalftoneCase{"Mixed",
                     {{Rgb(10, 200, 30), kGrey, Rgb(250, 5, 60), Rgb(90, 90, 200), Rgb(33, 66, 99)},
                      {kGrey, Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(140, 20, 20), Rgb(70, 180, 240)},
                      {Rgb(200, 200, 0), Rgb(17, 170, 171), Rgb(128, 64, 32), Rgb(60, 60, 60), kGrey}},
                     {{25, 122, 176, 83, 47}, {87, 0, 209, 105, 59}, {165, 23, 80, 41, 122}},
                     {{0, 1, 0, 1, 0}, {1, 0, 1, 0, 1}, {0, 0, 0, 0, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HalftoneTest, ReadsPaletteSourcesAndWritesTheFixedPalettes) {
    // A black-and-white 1-bit picture passes the mono halftone unchanged; a
    // 4-bit picture of exact levels maps straight to their indices.
    Picture one, mono, four, colour;
    MakePlain(one, 11, 3, 1, {{0xA5, 0xC0}, {0x3C, 0x20}, {0xFF, 0xE0}}, {Rgb(0, 0, 0), Rgb(255, 255, 255)});
    MakePlain(four, 3, 1, 4, {{0x01, 0x20}}, {Rgb(255, 0, 0), Rgb(0, 0, 0), Rgb(102, 85, 64)});
    four.info.Colors[220] = Rgb(1, 2, 3);
    ConvertToHalfToneBW(one.info, mono.info, false);
    ConvertToHalfTone(four.info, colour.info, false);
    EXPECT_EQ(mono.AllBits(), one.AllBits());
    EXPECT_EQ(colour.Row(0), (Bytes{175, 0, 2 * 35 + 2 * 5 + 1, 0}));
    EXPECT_EQ(colour.info.Header.biClrUsed, 215u);
    EXPECT_EQ(Colors(colour.info.Colors, colour.info.Colors + 215),
              Colors(HalfTonePalette.begin(), HalfTonePalette.end()));
    EXPECT_EQ(colour.info.Colors[122], Rgb(153, 128, 128));
    EXPECT_EQ(colour.info.Colors[213], Rgb(192, 192, 192));
    EXPECT_EQ(colour.info.Colors[220], Rgb(1, 2, 3));  // behind the new table: kept
}

TEST(HalftoneTest, RejectsCompressedAndDeepSourcesByAssertion) {
    Picture rle, deep, result;
    MakeRLE(rle, 4, 1, 8, {0, 1});
    MakePlain(deep, 4, 1, 16);
    const int64_t live = testing::LiveAllocations();
    using Routine = void (*)(const DIBInfos&, DIBInfos&, bool);
    for (const auto& [convert, name] : {std::pair<Routine, std::string>{ConvertToHalfTone, "ConvertToHalfTone"},
                                        std::pair<Routine, std::string>{ConvertToHalfToneBW, "ConvertToHalfToneBW"}}) {
        const Routine routine = convert;  // clang 14 lambdas cannot capture structured bindings
        EXPECT_EQ(AssertionOf([&] { routine(rle.info, result.info, false); }), name + ": Invalid DIB Format");
        EXPECT_EQ(AssertionOf([&] { routine(deep.info, result.info, false); }), name + ": Invalid Bit Count");
    }
    EXPECT_EQ(testing::LiveAllocations(), live);
}

}  // namespace
}  // namespace kvdib::test
