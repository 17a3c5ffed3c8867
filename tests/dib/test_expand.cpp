#include <gtest/gtest.h>

#include <functional>

#include "conversion_fixture.h"
#include "dib/errors.h"
#include "dib/expand.h"

namespace kvdib::test {
namespace {

using Routine = void (*)(const DIBInfos&, DIBInfos&, bool);

struct ExpandCase {
    const char* name;
    Routine routine;
    int fromBits;
    int toBits;
    int32_t width;
    std::vector<Bytes> rows;      // source rows (two of them)
    std::vector<Bytes> expected;  // whole destination rows, padding included
};
void PrintTo(const ExpandCase& c, std::ostream* os) { *os << c.name; }

const std::vector<gfx::RGBQuad> kColors = {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(1, 2, 3), Rgb(10, 20, 30)};

class ExpandTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTest, WritesEveryPixelAndLeavesPaddingZero) {
    const ExpandCase& c = GetParam();
    Picture source;
    MakePlain(source, c.width, 2, c.fromBits, c.rows, kColors);
    Picture result;
    c.routine(source.info, result.info, false);
    ASSERT_EQ(result.info.Header.biBitCount, c.toBits);
    ASSERT_EQ(result.info.BitsSize, result.Stride() * 2);
    EXPECT_EQ(result.Row(0), c.expected[0]);
    EXPECT_EQ(result.Row(1), c.expected[1]);
    // The colour table travels unchanged, also to 24 bits.
    EXPECT_EQ(result.info.Header.biClrUsed, kColors.size());
    EXPECT_EQ(result.info.Colors[3], kColors[3]);
}

INSTANTIATE_TEST_SUITE_P(
    Routines, ExpandTest,
    ::testing::Values(
        // Nine 1-bit pixels: the ninth is bit 7 of the second byte; 4-bit rows use
        // five bytes of a stride of eight and the fifth has a zero low nibble.
        ExpandCase{"OneTo4NineWide", Convert1BitRGBTo4BitRGB, 1, 4, 9, {{0xA5, 0x80}, {0x00, 0x80}},
                   {{0x10, 0x10, 0x01, 0x01, 0x10, 0, 0, 0}, {0, 0, 0, 0, 0x10, 0, 0, 0}}},
        ExpandCase{"OneTo8", Convert1BitRGBTo8BitRGB, 1, 8, 5, {{0xA8}, {0x50}},
                   {{1, 0, 1, 0, 1, 0, 0, 0}, {0, 1, 0, 1, 0, 0, 0, 0}}},
        ExpandCase{"FourTo8OddWidth", Convert4BitRGBTo8BitRGB, 4, 8, 3, {{0xF1, 0x2E}, {0x03, 0x40}},
                   {{15, 1, 2, 0}, {0, 3, 4, 0}}},
        ExpandCase{"OneTo24", Convert1BitRGBToTrueColor, 1, 24, 2, {{0x80}, {0x40}},
                   {{0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}, {0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}}},
        ExpandCase{"FourTo24", Convert4BitRGBToTrueColor, 4, 24, 1, {{0x20}, {0x30}}, {{3, 2, 1, 0}, {30, 20, 10, 0}}},
        // Index 200 lies beyond biClrUsed and reads the zero entry stored there.
        ExpandCase{"EightTo24", Convert8BitRGBToTrueColor, 8, 24, 3, {{2, 3, 200}, {1, 0, 2}},
                   {{3, 2, 1, 30, 20, 10, 0, 0, 0, 0, 0, 0}, {255, 255, 255, 0, 0, 0, 3, 2, 1, 0, 0, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExpandTest, KeepsTopDownRowOrder) {
    Picture source;
    MakePlain(source, 2, -2, 8, {{1, 2}, {3, 0}}, kColors);
    Picture result;
    Convert8BitRGBToTrueColor(source.info, result.info, false);
    EXPECT_EQ(result.info.Header.biHeight, -2);
    EXPECT_EQ(result.Row(0), (Bytes{255, 255, 255, 3, 2, 1, 0, 0}));
}

TEST(ExpandTest, RejectsEveryOtherFormatAndAllocatesNothing) {
    const struct {
        Routine routine;
        int goodBits;
        const char* message;
    } routines[] = {
        {Convert1BitRGBTo4BitRGB, 1, "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert1BitRGBTo8BitRGB, 1, "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert4BitRGBTo8BitRGB, 4, "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {Convert1BitRGBToTrueColor, 1, "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {Convert4BitRGBToTrueColor, 4, "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {Convert8BitRGBToTrueColor, 8, "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
    };
    for (const auto& r : routines) {
        for (int bits : {1, 4, 8, 24}) {
            for (uint32_t compression : {gfx::BI_RGB, gfx::BI_RLE8, gfx::BI_RLE4}) {
                if (bits == r.goodBits && compression == gfx::BI_RGB) continue;
                Picture source;
                MakePlain(source, 4, 2, bits);
                source.info.Header.biCompression = compression;
                const int64_t live = testing::LiveAllocations();
                Picture result;
                EXPECT_EQ(MessageOf<EKvDIBBadDIBType>([&] { r.routine(source.info, result.info, false); }), r.message)
                    << bits << " bits, compression " << compression;
                EXPECT_EQ(testing::LiveAllocations(), live);
            }
        }
    }
}

}  // namespace
}  // namespace kvdib::test
