// The packed-DIB (clipboard) loader and writer: checks and messages, the mended
// negative-width check, bounds of the block, and exact written sizes.
#include <gtest/gtest.h>

#include <functional>
#include <cstring>
#include <string>

#include "bmp_builder.h"
#include "dib/errors.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "gfx/pixel_budget.h"
#include "storage_state.h"

namespace kvdib {
namespace {

using test::BmpSpec;
using test::PackedDib;

const std::string kInvalidData = "TKvDIB.LoadFromClipboardFormat: Invalid Clipboard Data";
const std::string kWidthHeight = "TKvInternalDIB.LoadFromStream: Invalid Width or Height";

BmpSpec Layout(uint16_t bits, int32_t w, int32_t h) {
    BmpSpec s;
    s.bitCount = bits;
    s.width = w;
    s.height = h;
    s.colors = test::Ramp(GetNumColors(bits));
    s.pixels = test::Pattern(static_cast<size_t>(DIBStride(std::abs(w), bits) * std::abs(h)));
    return s;
}

struct BadCase {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    std::string message;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

std::vector<BadCase> BadCases() {
    return {
        {"Empty", [] { return std::vector<uint8_t>{}; }, kInvalidData},
        {"ThreeBytes", [] { return std::vector<uint8_t>{40, 0, 0}; }, kInvalidData},
        {"HeaderSize64", [] { auto s = Layout(24, 1, 1); s.headerSize = 64; return PackedDib(s); }, kInvalidData},
        {"HeaderSize108", [] { auto s = Layout(24, 1, 1); s.headerSize = 108; return PackedDib(s); }, kInvalidData},
        {"InfoHeaderCut", [] { auto b = PackedDib(Layout(24, 1, 1)); b.resize(39); return b; }, kInvalidData},
        {"CoreHeaderCut", [] { auto s = Layout(24, 1, 1); s.headerSize = 12; auto b = PackedDib(s); b.resize(11);
                               return b; }, kInvalidData},
        {"ColourTableCut", [] { auto s = Layout(8, 1, 1); s.pixels.clear(); auto b = PackedDib(s); b.pop_back();
                                return b; }, kInvalidData},
        {"CoreColourTableCut", [] { auto s = Layout(4, 1, 1); s.headerSize = 12; s.pixels.clear();
                                    auto b = PackedDib(s); b.pop_back(); return b; }, kInvalidData},
        {"MasksCut", [] { auto s = Layout(16, 1, 1); s.compression = gfx::BI_BITFIELDS; s.masks = {0x7C00, 0x3E0};
                          s.pixels.clear(); return PackedDib(s); }, kInvalidData},
        {"HugeClrUsed", [] { auto s = Layout(24, 1, 1); s.clrUsed = 0xFFFFFFFF; return PackedDib(s); }, kInvalidData},
        {"WidthZero", [] { return PackedDib(Layout(24, 0, 1)); }, kWidthHeight},
        {"WidthNegative", [] { return PackedDib(Layout(24, -3, 2)); }, kWidthHeight},
        {"HeightZero", [] { return PackedDib(Layout(24, 2, 0)); }, kWidthHeight},
        {"BitCount2", [] { return PackedDib(Layout(2, 2, 2)); },
         "TKvInternalDIB.LoadFromClipboardFormat: Invalid biBitCount"},
        {"BitCount0", [] { auto s = Layout(24, 2, 2); s.bitCount = 0; return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Invalid biBitCount"},
        {"ZeroMask", [] { auto s = Layout(32, 1, 1); s.compression = gfx::BI_BITFIELDS; s.masks = {0xFF, 0, 0xFF0000};
                          return PackedDib(s); }, "TKvInternalDIB.LoadFromStream: Invalid Masks"},
        {"Deep16RleCompression", [] { auto s = Layout(16, 2, 1); s.compression = gfx::BI_RLE4; return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Invalid Compression"},
        {"Deep32RowsCut", [] { auto s = Layout(32, 2, 3); s.pixels.resize(23); return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Pixel data is too short"},
        {"Plain24RowsCut", [] { auto s = Layout(24, 2, 3); s.pixels.resize(23); return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Pixel data is too short"},
        {"TooLarge", [] { auto s = Layout(1, 1, 1); s.width = 0x7FFFFFFF; s.height = 300; return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Picture is too large (2147483647 x 300 pixels, at most 268435456)"},
        // The 60-byte block that once made a paste take 5 GB.
        {"Rle8ClaimsAGiganticPicture",
         [] { BmpSpec s; s.bitCount = 8; s.width = 32768; s.height = 32768; s.compression = gfx::BI_RLE8;
              s.clrUsed = 3; s.colors = test::Ramp(3); s.pixels = {0, 1}; return PackedDib(s); },
         "TKvInternalDIB.LoadFromClipboardFormat: Picture is too large (32768 x 32768 pixels, at most 268435456)"},
    };
}

class ClipboardLoaderRejects : public ::testing::TestWithParam<std::tuple<BadCase, bool>> {};

TEST_P(ClipboardLoaderRejects, WithItsMessageAndKeepsTheStorage) {
    const auto& [c, useFMO] = GetParam();
    TKvInternalDIB dib(useFMO);
    test::FillWithMarker(dib);
    const test::StorageState before(dib);
    const int64_t live = testing::LiveAllocations();
    const std::vector<uint8_t> block = c.make();
    try {
        dib.LoadFromClipboardFormat(block);
        FAIL() << c.name << " loaded";
    } catch (const EKvDIBInvalidDIB& e) {
        EXPECT_EQ(e.Message(), c.message) << c.name;
    } catch (const gfx::EPictureTooLarge& e) {
        EXPECT_EQ(e.Message(), c.message) << c.name;
    }
    EXPECT_EQ(testing::LiveAllocations(), live);
    EXPECT_TRUE(test::StorageState(dib) == before);
}

INSTANTIATE_TEST_SUITE_P(All, ClipboardLoaderRejects,
                         ::testing::Combine(::testing::ValuesIn(BadCases()), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_FMO" : "_Heap");
                         });

// Loading into a storage other graphics still hold would change their picture.
TEST(ClipboardLoader, BothLoadersRefuseASharedStorageBeforeTouchingIt) {
    const BmpSpec s = Layout(8, 2, 2);
    TKvInternalDIB dib(true);
    test::FillWithMarker(dib);
    const test::StorageState before(dib);
    const int64_t live = testing::LiveAllocations();
    dib.RefCount = 2;
    EXPECT_THROW(dib.LoadFromClipboardFormat(PackedDib(s)), gfx::EAssertionFailed);
    gfx::MemoryStream stream(test::BmpFile(s));
    EXPECT_THROW(dib.LoadFromStream(stream), gfx::EAssertionFailed);
    dib.RefCount = 1;
    EXPECT_TRUE(test::StorageState(dib) == before);
    EXPECT_EQ(testing::LiveAllocations(), live);
}

TEST(ClipboardLoader, TakesThePixelsUpToTheEndOfTheBlock) {
    BmpSpec s = Layout(8, 3, -2);
    s.clrUsed = 300, s.colors = test::Ramp(300), s.xPels = 0;
    s.pixels.push_back(0x77);  // one byte more than the rows need: still pixel data
    TKvInternalDIB dib(true);
    dib.LoadFromClipboardFormat(PackedDib(s));
    EXPECT_EQ(dib.Height, 2);
    EXPECT_EQ(dib.DIBInfos.Header.biHeight, -2);
    EXPECT_EQ(dib.DIBInfos.Header.biClrUsed, 256u);
    EXPECT_EQ(dib.DIBInfos.Header.biXPelsPerMeter, 3780);
    EXPECT_EQ(dib.DIBInfos.Colors[255], test::Ramp(256)[255]);
    ASSERT_EQ(dib.DIBInfos.BitsSize, 9);
    EXPECT_EQ(std::vector<uint8_t>(dib.DIBInfos.Bits, dib.DIBInfos.Bits + 9), s.pixels);
}

TEST(ClipboardLoader, ConvertsCoreHeadersAndDeepPixels) {
    BmpSpec core = Layout(1, 9, 1);
    core.headerSize = 12;
    TKvInternalDIB dib(false);
    dib.LoadFromClipboardFormat(PackedDib(core));
    EXPECT_EQ(dib.DIBInfos.Header.biSize, 40u);
    EXPECT_EQ(dib.DIBInfos.Header.biClrUsed, 2u);
    EXPECT_EQ(dib.DIBInfos.Colors[1], test::Ramp(2)[1]);
    EXPECT_EQ(dib.DIBInfos.BitsSize, 4);

    BmpSpec deep;
    deep.width = 2, deep.height = 1, deep.bitCount = 16, deep.compression = gfx::BI_BITFIELDS;
    deep.masks = {0xF800, 0x07E0, 0x001F};
    deep.pixels = test::Rows16({{0x07E0, 0x001F}});
    dib.LoadFromClipboardFormat(PackedDib(deep));
    EXPECT_EQ(dib.DIBInfos.Header.biBitCount, 24);
    EXPECT_EQ(dib.DIBInfos.Header.biCompression, gfx::BI_RGB);
    EXPECT_EQ(std::vector<uint8_t>(dib.DIBInfos.Bits, dib.DIBInfos.Bits + 8),
              (std::vector<uint8_t>{0, 255, 0, 255, 0, 0, 0, 0}));
}

TEST(ClipboardWriter, WritesHeaderColoursAndBitsOnly) {
    for (int bits : {1, 4, 8, 24}) {
        TKvInternalDIB dib(bits != 8);
        dib.FreeDIB();
        dib.CreateDIB(7, 3, bits == 24 ? 0 : 2, bits);
        dib.DIBInfos.Colors[1] = {9, 8, 7, 0};
        for (int32_t i = 0; i < dib.DIBInfos.BitsSize; ++i) dib.DIBInfos.Bits[i] = static_cast<uint8_t>(i);
        const std::vector<uint8_t> packed = dib.SaveToClipboardFormat();
        const size_t colors = dib.DIBInfos.Header.biClrUsed;
        ASSERT_EQ(packed.size(), 40 + 4 * colors + dib.DIBInfos.BitsSize) << bits;
        EXPECT_EQ(std::memcmp(packed.data(), &dib.DIBInfos.Header, 40), 0);

        TKvInternalDIB back(true);
        back.LoadFromClipboardFormat(packed);
        EXPECT_EQ(std::memcmp(&back.DIBInfos.Header, &dib.DIBInfos.Header, 40), 0);
        EXPECT_EQ(std::memcmp(back.DIBInfos.Colors, dib.DIBInfos.Colors, 4 * colors), 0);
        ASSERT_EQ(back.DIBInfos.BitsSize, dib.DIBInfos.BitsSize);
        EXPECT_EQ(std::memcmp(back.DIBInfos.Bits, dib.DIBInfos.Bits, dib.DIBInfos.BitsSize), 0);
    }
}

}  // namespace
}  // namespace kvdib
