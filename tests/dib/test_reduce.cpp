#include <gtest/gtest.h>

#include <string>

#include "conversion_fixture.h"
#include "dib/errors.h"
#include "dib/expand.h"
#include "dib/reduce.h"

namespace kvdib::test {
namespace {

using Palette = Colors;
using Reduction = void (*)(const DIBInfos&, DIBInfos&, bool, const ProgressProc&);

const struct Quality {
    const char* name;
    Reduction routine;
    int bits;
    const char* badType;
} kTrueColorReductions[] = {
    {"Low8", ConvertTrueColorTo8BitRGBLow, 8, "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount"},
    {"Low4", ConvertTrueColorTo4BitRGBLow, 4, "ConvertTrueColorTo4BitRGBLow: Invalid Bitcount"},
    {"High8", ConvertTrueColorTo8BitRGBHigh, 8, "ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount"},
    {"High4", ConvertTrueColorTo4BitRGBHigh, 4, "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount"},
};

// A 24-bit picture whose rows all hold the given colours.
void MakeTrueColorRow(Picture& p, const Palette& colors, int32_t height = 1) {
    MakePlain(p, static_cast<int32_t>(colors.size()), height, 24, std::vector<Bytes>(std::abs(height), Bgr(colors)));
}

Palette PaletteOf(const Picture& p) { return Palette(p.info.Colors, p.info.Colors + p.info.Header.biClrUsed); }

TEST(ReduceTest, OneColourGivesOneEntryAndAFullTreeOfProgress) {
    for (const Quality& q : kTrueColorReductions) {
        Picture source, result;
        MakeTrueColorRow(source, Palette(5, Rgb(10, 200, 31)), -3);
        source.info.Colors[1] = Rgb(9, 9, 9);
        int calls = 0;
        q.routine(source.info, result.info, false, [&] { ++calls; });
        EXPECT_EQ(calls, 1 << q.bits) << q.name;
        EXPECT_EQ(PaletteOf(result), Palette{Rgb(10, 200, 31)}) << q.name;
        EXPECT_EQ(result.info.Colors[1], Rgb(9, 9, 9)) << q.name;  // behind the new table: kept
        EXPECT_EQ(result.info.Header.biHeight, -3) << q.name;
        EXPECT_EQ(result.info.BitsSize, result.Stride() * 3) << q.name;
        EXPECT_EQ(result.Row(2), Bytes(result.Stride(), 0)) << q.name;
    }
}

struct PaletteCase {
    const char* name;
    Palette pixels;
    Palette low8, low4, high8, high4;  // expected palettes
};
void PrintTo(const PaletteCase& c, std::ostream* os) { *os << c.name; }

class PaletteOrderTest : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteOrderTest, MatchesTheSplitOrder) {
    const PaletteCase& c = GetParam();
    const Palette* expected[] = {&c.low8, &c.low4, &c.high8, &c.high4};
    for (size_t i = 0; i < std::size(kTrueColorReductions); ++i) {
        Picture source, result;
        MakeTrueColorRow(source, c.pixels);
        kTrueColorReductions[i].routine(source.info, result.info, false, {});
        EXPECT_EQ(PaletteOf(result), *expected[i]) << kTrueColorReductions[i].name;
    }
}

Palette Reds(int from, int to, int step) {
    Palette out;
    for (int r = from; step > 0 ? r <= to : r >= to; r += step) out.push_back(Rgb(static_cast<uint8_t>(r), 0, 0));
    return out;
}

const gfx::RGBQuad kA = Rgb(64, 12, 0), kB = Rgb(64, 12, 16), kC = Rgb(64, 0, 16);
const gfx::RGBQuad kP = Rgb(16, 4, 64), kQ = Rgb(0, 32, 24), kR = Rgb(32, 16, 48);

INSTANTIATE_TEST_SUITE_P(
    Cases, PaletteOrderTest,
    ::testing::Values(
        // The cell split tests blue 2:3 against green, the pixel split 2:4: Low
        // cuts on blue first, High on green. Brighter halves come first.
        PaletteCase{"BlueTestsDiffer", {kA, kB, kC}, {kB, kC, kA}, {kB, kC, kA}, {kB, kA, kC}, {kB, kA, kC}},
        // 3 vR = 2 vB in exact arithmetic, yet extended precision cuts on blue.
        PaletteCase{"ExtendedPrecisionTie", {kP, kP, kP, kP, kQ, kQ, kR, kR, kR, kR}, {kP, kR, kQ}, {kP, kR, kQ},
                    {kP, kR, kQ}, {kP, kR, kQ}},
        // 32 reds in 16 leaves of two: means n + 0.5 round to the even n. Low
        // sees four boxes of eight reds, each represented by base + 3.
        PaletteCase{"HalvesRoundToEven", Reds(0, 31, 1), Reds(27, 3, -8), Reds(27, 3, -8), Reds(31, 0, -1),
                    Reds(30, 0, -2)},
        // Two colours of one box in equal numbers: base plus the mean low bits.
        PaletteCase{"LowBoxRepresentative", {Rgb(255, 255, 255), Rgb(248, 252, 248)}, {Rgb(251, 253, 251)},
                    {Rgb(251, 253, 251)}, {Rgb(255, 255, 255), Rgb(248, 252, 248)},
                    {Rgb(255, 255, 255), Rgb(248, 252, 248)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReduceTest, EightToFourWeighsOnlyTheIndicesInUse) {
    Palette colors(256, Rgb(0, 0, 0));
    colors[0] = Rgb(10, 20, 30);
    colors[1] = Rgb(200, 100, 0);
    Picture first, second, a, b;
    MakePlain(first, 3, 1, 8, {{0, 1, 1}}, colors);
    for (int i = 2; i < 256; ++i) colors[i] = Rgb(static_cast<uint8_t>(i), 255, static_cast<uint8_t>(255 - i));
    MakePlain(second, 3, 1, 8, {{0, 1, 1}}, colors);  // unused entries differ
    int calls = 0;
    Convert8BitRGBTo4BitRGB(first.info, a.info, false, [&] { ++calls; });
    Convert8BitRGBTo4BitRGB(second.info, b.info, false, {});
    EXPECT_EQ(calls, 16);
    EXPECT_EQ(PaletteOf(a), (Palette{Rgb(200, 100, 0), Rgb(10, 20, 30)}));
    EXPECT_EQ(PaletteOf(b), PaletteOf(a));
    EXPECT_EQ(a.Row(0), (Bytes{0x10, 0x00, 0, 0}));
    EXPECT_EQ(b.Row(0), a.Row(0));
}

// Up to depth + 1 distinct colours in distinct boxes survive any reduction: each
// cut separates at least one colour from the rest, and a set of one colour is
// its own mean. So widen a palette picture, reduce it, widen again: same colours.
TEST(ReduceTest, ExpandThenReduceKeepsEveryColour) {
    const Palette palette = {Rgb(0, 0, 0),    Rgb(255, 255, 255), Rgb(200, 16, 40), Rgb(16, 200, 40), Rgb(40, 16, 200),
                             Rgb(128, 128, 0), Rgb(0, 128, 128),  Rgb(96, 32, 160), Rgb(250, 180, 10)};
    for (int32_t width : {1, 2, 7, 13}) {
        std::vector<Bytes> rows(3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < width; ++x) rows[y].push_back(static_cast<uint8_t>((x * 5 + y * 3) % 9));
        Picture indexed, trueColor, four, fourBack;
        MakePlain(indexed, width, -3, 8, rows, palette);
        Convert8BitRGBToTrueColor(indexed.info, trueColor.info, false);
        const bool fitsFourBits = width <= 2;  // at most five colours
        for (const Quality& q : kTrueColorReductions) {
            if (q.bits == 4 && !fitsFourBits) continue;
            Picture reduced, back;
            q.routine(trueColor.info, reduced.info, false, {});
            (q.bits == 8 ? Convert8BitRGBToTrueColor : Convert4BitRGBToTrueColor)(reduced.info, back.info, false);
            EXPECT_EQ(back.AllBits(), trueColor.AllBits()) << q.name << " width " << width;
        }
        if (!fitsFourBits) continue;
        Convert8BitRGBTo4BitRGB(indexed.info, four.info, false, {});
        Convert4BitRGBToTrueColor(four.info, fourBack.info, false);
        EXPECT_EQ(fourBack.AllBits(), trueColor.AllBits()) << "8 to 4, width " << width;
    }
}

TEST(ReduceTest, MaskMarksExactlyTheChosenColour) {
    const Palette colors = {Rgb(255, 255, 255), Rgb(254, 255, 255), Rgb(0, 0, 0), Rgb(1, 2, 3)};
    const uint8_t pixels[9] = {0, 1, 2, 0, 3, 3, 0, 1, 0};  // the ninth is white: bit 7 of byte 1
    using MaskRoutine = void (*)(const DIBInfos&, DIBInfos&, uint32_t, bool);
    const std::pair<int, MaskRoutine> routines[] = {
        {24, ConvertTrueColorTo1BitRGB}, {8, Convert8BitTo1BitRGB}, {4, Convert4BitRGBTo1BitRGB}};
    for (const auto& [bits, routine] : routines) {
        Bytes row(DIBStride(9, bits), 0);
        for (int x = 0; x < 9; ++x) {
            const auto& c = colors[pixels[x]];
            if (bits == 24) std::memcpy(&row[3 * x], Bgr({c}).data(), 3);
            if (bits == 8) row[x] = pixels[x];
            if (bits == 4) row[x / 2] |= static_cast<uint8_t>(x % 2 ? pixels[x] : pixels[x] << 4);
        }
        Picture source, white, other;
        MakePlain(source, 9, 2, bits, {row, row}, bits == 24 ? Palette{} : colors);
        routine(source.info, white.info, gfx::clWhite, false);
        routine(source.info, other.info, gfx::RGB(1, 2, 3), false);
        EXPECT_EQ(white.Row(1), (Bytes{0x92, 0x80, 0, 0})) << bits;
        EXPECT_EQ(other.Row(0), (Bytes{0x0C, 0x00, 0, 0})) << bits;
        EXPECT_EQ(PaletteOf(white), (Palette{Rgb(0, 0, 0), Rgb(255, 255, 255)})) << bits;
    }
}

TEST(ReduceTest, RejectsWrongSourcesWithoutAllocating) {
    Picture rle8, result;
    MakeRLE(rle8, 4, 1, 8, {0, 1});
    const int64_t live = testing::LiveAllocations();
    for (const Quality& q : kTrueColorReductions)
        EXPECT_EQ(MessageOf<EKvDIBBadDIBType>([&] { q.routine(rle8.info, result.info, false, {}); }), q.badType);
    EXPECT_EQ(MessageOf<EKvDIBBadDIBType>([&] { Convert8BitRGBTo4BitRGB(rle8.info, result.info, false, {}); }),
              "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
    EXPECT_EQ(MessageOf<EKvDIBBadDIBType>([&] { Convert8BitTo1BitRGB(rle8.info, result.info, 0, false); }),
              "Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
    EXPECT_EQ(testing::LiveAllocations(), live);
}

}  // namespace
}  // namespace kvdib::test
