// The BMP stream loader and writer: every check with its message and class,
// the accepted header forms and bit counts, 16/32-bit conversion values, and
// that a failed load leaves the storage and the pixel memory as they were.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bmp_builder.h"
#include "dib/errors.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "gfx/pixel_budget.h"
#include "gfx/stream.h"
#include "storage_state.h"

namespace kvdib {
namespace {

using test::BmpFile;
using test::BmpSpec;

BmpSpec Spec8(uint32_t w, int32_t h) {
    BmpSpec s;
    s.width = static_cast<int32_t>(w);
    s.height = h;
    s.bitCount = 8;
    s.colors = test::Ramp(256);
    s.pixels = test::Pattern(DIBStride(w, 8) * std::abs(h));
    return s;
}

void Load(TKvInternalDIB& dib, const std::vector<uint8_t>& bytes) {
    gfx::MemoryStream stream(bytes);
    dib.LoadFromStream(stream);
}

// ---- rejected files -------------------------------------------------------

enum class Kind { InvalidFile, InvalidDIB, ReadError, TooLarge };

struct BadCase {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    Kind kind;
    std::string message;
};

const std::string kOffBits = "TKvInternalDIB.LoadFromFile: bfOffBits is too small";
const std::string kWidthHeight = "TKvInternalDIB.LoadFromStream: Invalid Width or Height";
const std::string kBitCout = "TKvInternalDIB.LoadFromStream: Invalid BitCout";
const std::string kBitCount = "TKvInternalDIB.LoadFromStream: Invalid BitCount";
const std::string kTooLarge = "TKvInternalDIB.LoadFromStream: Picture is too large";
const std::string kHeaderSize = "TKvInternalDIB.LoadFromStream: Invalid Bitmap Header Size";
const std::string kMasks = "TKvInternalDIB.LoadFromStream: Invalid Masks";

BmpSpec WithBits(uint16_t bits, uint32_t headerSize = 40) {
    BmpSpec s;
    s.headerSize = headerSize;
    s.bitCount = bits;
    s.pixels = test::Pattern(16);
    return s;
}

BmpSpec Fields16(uint32_t r, uint32_t g, uint32_t b) {
    BmpSpec s;
    s.bitCount = 16;
    s.compression = gfx::BI_BITFIELDS;
    s.masks = {r, g, b};
    s.pixels = test::Rows16({{0x1234}});
    return s;
}

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

std::vector<BadCase> BadCases() {
    std::vector<BadCase> cases = {
        {"WrongMagic", [] { auto s = Spec8(2, 2); s.type = 0x4142; return BmpFile(s); }, Kind::InvalidFile,
         "TKvInternalDIB.LoadFromFile: File type is invalid"},
        {"EmptyStream", [] { return std::vector<uint8_t>{}; }, Kind::ReadError, ""},
        {"ShortFileHeader", [] { auto b = BmpFile(Spec8(2, 2)); b.resize(13); return b; }, Kind::ReadError, ""},
        {"ShortInfoHeader", [] { auto b = BmpFile(Spec8(2, 2)); b.resize(40); return b; }, Kind::ReadError, ""},
        {"ShortColorTable", [] { auto b = BmpFile(Spec8(2, 2)); b.resize(54 + 1000); return b; }, Kind::ReadError, ""},
        {"bfSizeBeyondEnd", [] { auto b = BmpFile(Spec8(2, 2)); b.pop_back(); return b; }, Kind::ReadError, ""},
        {"BitfieldRowsMissing", [] { auto s = Fields16(0xF800, 0x07E0, 0x1F); s.height = 3; return BmpFile(s); },
         Kind::ReadError, ""},
        {"OffBitsOneShortInfo8", [] { auto s = Spec8(2, 2); s.offBits = 54 + 1024 - 1; return BmpFile(s); },
         Kind::InvalidDIB, kOffBits},
        {"OffBitsOneShortBitfields",
         [] { auto s = Fields16(0xF800, 0x07E0, 0x1F); s.offBits = 54 + 12 - 1; return BmpFile(s); }, Kind::InvalidDIB,
         kOffBits},
        {"OffBitsOneShortCore",
         [] { auto s = WithBits(4, 12); s.colors = test::Ramp(16); s.offBits = 26 + 48 - 1; return BmpFile(s); },
         Kind::InvalidDIB, kOffBits},
        // 54 + 4n computed in 32 bits would wrap to a small number and pass.
        {"HugeClrUsedDoesNotWrap",
         [] { auto s = WithBits(24); s.clrUsed = 0x40000000; s.gap = 1100; s.offBits = 60; return BmpFile(s); }, Kind::InvalidDIB,
         kOffBits},
        {"WidthZero", [] { auto s = WithBits(24); s.width = 0; return BmpFile(s); }, Kind::InvalidDIB, kWidthHeight},
        {"WidthNegative", [] { auto s = WithBits(24); s.width = -4; return BmpFile(s); }, Kind::InvalidDIB,
         kWidthHeight},
        {"HeightZero", [] { auto s = WithBits(24); s.height = 0; return BmpFile(s); }, Kind::InvalidDIB, kWidthHeight},
        {"CoreWidthZero", [] { auto s = WithBits(24, 12); s.width = 0; return BmpFile(s); }, Kind::InvalidDIB,
         kWidthHeight},
        {"RedMaskZero", [] { return BmpFile(Fields16(0, 0x07E0, 0x1F)); }, Kind::InvalidDIB, kMasks},
        {"GreenMaskZero", [] { return BmpFile(Fields16(0xF800, 0, 0x1F)); }, Kind::InvalidDIB, kMasks},
        {"BlueMaskZero", [] { return BmpFile(Fields16(0xF800, 0x07E0, 0)); }, Kind::InvalidDIB, kMasks},
        {"Deep16WithRleCompression",
         [] { auto s = WithBits(16); s.compression = gfx::BI_RLE8; s.clrUsed = 3; s.colors = test::Ramp(3);
              return BmpFile(s); },
         Kind::InvalidDIB, "TKvInternalDIB.LoadFromStream: Invalid Compression"},
        {"UncompressedDataShort", [] { auto s = Spec8(4, 3); s.pixels.resize(11); return BmpFile(s); },
         Kind::InvalidDIB, "TKvInternalDIB.LoadFromStream: Pixel data is too short"},
        {"bfSizeBelowOffBits", [] { auto s = Spec8(2, 2); s.fileSize = 1000; return BmpFile(s); }, Kind::InvalidDIB,
         "TKvInternalDIB.LoadFromStream: bfSize is smaller than bfOffBits"},
        {"SizeBeyondBitsSize", [] { auto s = WithBits(24); s.width = 0x7FFFFFFF; s.height = 2; return BmpFile(s); },
         Kind::TooLarge, kTooLarge + " (2147483647 x 2 pixels, at most 268435456)"},
        {"HeightMinInt", [] { auto s = WithBits(8); s.height = INT32_MIN; s.colors = test::Ramp(256);
                              return BmpFile(s); },
         Kind::TooLarge, kTooLarge + " (1 x 2147483648 pixels, at most 268435456)"},
        {"Deep32TooLarge", [] { auto s = WithBits(32); s.width = 0x10000; s.height = 0x10000; return BmpFile(s); },
         Kind::TooLarge, kTooLarge + " (65536 x 65536 pixels, at most 268435456)"},
        // RLE data has no size to check: a few bytes may claim any picture.
        {"Rle8ClaimsAGiganticPicture",
         [] { auto s = Spec8(2, 2); s.width = 32768; s.height = 32768; s.compression = gfx::BI_RLE8;
              s.pixels = {0, 1}; return BmpFile(s); },
         Kind::TooLarge, kTooLarge + " (32768 x 32768 pixels, at most 268435456)"},
    };
    for (uint32_t size : {0u, 16u, 64u, 108u, 124u}) {
        cases.push_back({"HeaderSize", [size] { auto s = WithBits(24); s.headerSize = size; return BmpFile(s); },
                         Kind::InvalidDIB, kHeaderSize});
    }
    for (uint16_t bits : {0, 2, 3, 7, 12, 48}) {
        cases.push_back({"InfoBitCount", [bits] { return BmpFile(WithBits(bits)); }, Kind::InvalidDIB, kBitCout});
    }
    for (uint16_t bits : {2, 16, 32}) {
        cases.push_back({"CoreBitCount", [bits] { return BmpFile(WithBits(bits, 12)); }, Kind::InvalidDIB, kBitCount});
    }
    return cases;
}

class StreamLoaderRejects : public ::testing::TestWithParam<std::tuple<BadCase, bool>> {};

TEST_P(StreamLoaderRejects, WithItsMessageAndKeepsTheStorage) {
    const auto& [c, useFMO] = GetParam();
    TKvInternalDIB dib(useFMO);
    test::FillWithMarker(dib);
    const test::StorageState before(dib);
    const int64_t live = testing::LiveAllocations();
    const std::vector<uint8_t> bytes = c.make();
    try {
        Load(dib, bytes);
        FAIL() << c.name << " loaded";
    } catch (const EKvDIBInvalidDIBFile& e) {
        EXPECT_EQ(c.kind, Kind::InvalidFile) << c.name;
        EXPECT_EQ(e.Message(), c.message);
    } catch (const EKvDIBInvalidDIB& e) {
        EXPECT_EQ(c.kind, Kind::InvalidDIB) << c.name << ": " << e.what();
        EXPECT_EQ(e.Message(), c.message);
    } catch (const gfx::EReadError&) {
        EXPECT_EQ(c.kind, Kind::ReadError) << c.name;
    } catch (const gfx::EPictureTooLarge& e) {
        EXPECT_EQ(c.kind, Kind::TooLarge) << c.name;
        EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(testing::LiveAllocations(), live) << c.name;
    EXPECT_TRUE(test::StorageState(dib) == before) << c.name;
}

INSTANTIATE_TEST_SUITE_P(All, StreamLoaderRejects, ::testing::Combine(::testing::ValuesIn(BadCases()), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::to_string(info.index) +
                                    (std::get<1>(info.param) ? "_FMO" : "_Heap");
                         });

// ---- accepted files --------------------------------------------------------

struct GoodCase {
    const char* name;
    BmpSpec layout;
    int32_t width, height, biHeight;
    uint16_t bitCount;
    uint32_t compression, clrUsed;
    std::vector<gfx::RGBQuad> colors;  // expected leading colour entries
    std::vector<uint8_t> bits;         // expected pixel memory (BitsSize = its length)
};

void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }

std::vector<GoodCase> GoodCases() {
    std::vector<GoodCase> cases;
    {
        BmpSpec s = Spec8(3, 2);
        cases.push_back({"Info8Bit256Colors", s, 3, 2, 2, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        BmpSpec s = Spec8(5, -3);
        cases.push_back({"TopDown8Bit", s, 5, 3, -3, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 9, s.height = 2, s.bitCount = 1, s.colors = test::Ramp(2), s.pixels = test::Pattern(8);
        cases.push_back({"Info1Bit", s, 9, 2, 2, 1, 0, 2, test::Ramp(2), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 3, s.height = 1, s.bitCount = 4, s.clrUsed = 5, s.colors = test::Ramp(5), s.pixels = test::Pattern(4);
        cases.push_back({"Info4BitFiveColors", s, 3, 1, 1, 4, 0, 5, test::Ramp(5), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 2, s.height = 2, s.pixels = test::Pattern(16);
        cases.push_back({"Info24BitNoTable", s, 2, 2, 2, 24, 0, 0, {}, s.pixels});
    }
    {
        // 300 listed colours: 256 kept, 44 passed over, pixels still at bfOffBits.
        BmpSpec s = Spec8(4, 1);
        s.clrUsed = 300, s.colors = test::Ramp(300);
        cases.push_back({"ClrUsed300", s, 4, 1, 1, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        BmpSpec s = Spec8(4, 1);
        s.gap = 37;
        cases.push_back({"GapBeforePixels", s, 4, 1, 1, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        // More pixel data than the rows need is kept as it is.
        BmpSpec s = Spec8(4, 1);
        s.pixels = test::Pattern(12);
        cases.push_back({"ExtraPixelData", s, 4, 1, 1, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 64, s.height = 64, s.bitCount = 8, s.compression = gfx::BI_RLE8, s.clrUsed = 2;
        s.colors = test::Ramp(2), s.pixels = {0, 0, 0, 1};  // far shorter than 64 x 64
        cases.push_back({"Rle8StaysCompressed", s, 64, 64, 64, 8, 1, 2, test::Ramp(2), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 7, s.height = 3, s.bitCount = 4, s.compression = gfx::BI_RLE4, s.colors = test::Ramp(16);
        s.pixels = {4, 0x12, 0, 1};
        cases.push_back({"Rle4StaysCompressed", s, 7, 3, 3, 4, 2, 16, test::Ramp(16), s.pixels});
    }
    {
        BmpSpec s;
        s.headerSize = 12, s.width = 2, s.height = 3, s.bitCount = 8, s.colors = test::Ramp(256);
        s.pixels = test::Pattern(12);
        cases.push_back({"Core8Bit", s, 2, 3, 3, 8, 0, 256, test::Ramp(256), s.pixels});
    }
    {
        // bcWidth and bcHeight are unsigned: 0xFFFF is a width, not -1.
        BmpSpec s;
        s.headerSize = 12, s.width = 0xFFFF, s.height = 1, s.bitCount = 1, s.colors = test::Ramp(2);
        s.pixels = test::Pattern(DIBStride(0xFFFF, 1));
        cases.push_back({"CoreUnsignedWidth", s, 0xFFFF, 1, 1, 1, 0, 2, test::Ramp(2), s.pixels});
    }
    {
        BmpSpec s;
        s.width = 2, s.height = 1, s.bitCount = 16, s.pixels = test::Rows16({{0x7FFF, 0x0000}});
        cases.push_back({"Rgb555WhiteAndBlack", s, 2, 1, 1, 24, 0, 0, {}, {255, 255, 255, 0, 0, 0, 0, 0}});
    }
    {
        // 16 in a 5-bit channel: 16 * 8 = 128, 128 * 255 / 248 = 131.
        BmpSpec s;
        s.width = 3, s.height = 1, s.bitCount = 16;
        s.pixels = test::Rows16({{16 << 10, 16 << 5, 16}});
        cases.push_back({"Rgb555Value16", s, 3, 1, 1, 24, 0, 0, {}, {0, 0, 131, 0, 131, 0, 131, 0, 0, 0, 0, 0}});
    }
    {
        BmpSpec s = Fields16(0xF800, 0x07E0, 0x001F);
        s.width = 2, s.pixels = test::Rows16({{63 << 5, 0xF800}});
        cases.push_back({"Bitfields565Green63", s, 2, 1, 1, 24, 0, 0, {}, {0, 255, 0, 0, 0, 255, 0, 0}});
    }
    {
        BmpSpec s;
        s.width = 1, s.height = 1, s.bitCount = 32, s.pixels = test::Rows32({{0xAB123456}});
        cases.push_back({"Rgb32KeepsLowBytes", s, 1, 1, 1, 24, 0, 0, {}, {0x56, 0x34, 0x12, 0}});
    }
    {
        // Masks are followed by two listed colours, which end up at entries 0 and 1.
        BmpSpec s;
        s.width = 1, s.height = 1, s.bitCount = 32, s.compression = gfx::BI_BITFIELDS;
        s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000}, s.clrUsed = 2, s.colors = test::Ramp(2);
        s.pixels = test::Rows32({{0x00102030}});
        cases.push_back({"Bitfields32SwappedWithColors", s, 1, 1, 1, 24, 0, 2, test::Ramp(2), {0x10, 0x20, 0x30, 0}});
    }
    {
        // Top-down rows convert in the order they come and stay top-down.
        BmpSpec s;
        s.width = 1, s.height = -2, s.bitCount = 16, s.pixels = test::Rows16({{0x7C00}, {0x001F}});
        cases.push_back({"TopDown16", s, 1, 2, -2, 24, 0, 0, {}, {0, 0, 255, 0, 255, 0, 0, 0}});
    }
    {
        // 2 pixels of 16 bits fill one 4-byte input row exactly; odd widths pad.
        BmpSpec s;
        s.width = 3, s.height = 2, s.bitCount = 16;
        s.pixels = test::Rows16({{0x7FFF, 0, 0x7FFF}, {0, 0x7FFF, 0}});
        cases.push_back({"Rgb555OddWidthRows", s, 3, 2, 2, 24, 0, 0, {},
                         {255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0,
                          0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0}});
    }
    return cases;
}

class StreamLoaderAccepts : public ::testing::TestWithParam<std::tuple<GoodCase, bool>> {};

TEST_P(StreamLoaderAccepts, AndStoresWhatTheFileSays) {
    const auto& [c, useFMO] = GetParam();
    TKvInternalDIB dib(useFMO);
    const int64_t live = testing::LiveAllocations();
    Load(dib, BmpFile(c.layout));
    const BITMAPINFOHEADER& h = dib.DIBInfos.Header;
    EXPECT_EQ(dib.Width, c.width);
    EXPECT_EQ(dib.Height, c.height);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, c.biHeight);
    EXPECT_EQ(h.biBitCount, c.bitCount);
    EXPECT_EQ(h.biCompression, c.compression);
    EXPECT_EQ(h.biClrUsed, c.clrUsed);
    for (size_t i = 0; i < c.colors.size(); ++i) ASSERT_EQ(dib.DIBInfos.Colors[i], c.colors[i]) << "colour " << i;
    ASSERT_EQ(dib.DIBInfos.BitsSize, static_cast<int32_t>(c.bits.size()));
    EXPECT_EQ(std::vector<uint8_t>(dib.DIBInfos.Bits, dib.DIBInfos.Bits + dib.DIBInfos.BitsSize), c.bits);
    EXPECT_TRUE(dib.PaletteChanged);
    EXPECT_EQ(testing::LiveAllocations(), live);  // the old 1 x 1 block was given back
}

INSTANTIATE_TEST_SUITE_P(All, StreamLoaderAccepts, ::testing::Combine(::testing::ValuesIn(GoodCases()), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_FMO" : "_Heap");
                         });

TEST(StreamLoader, ResolutionZeroBecomes3780AndOthersStay) {
    TKvInternalDIB dib(false);
    BmpSpec s;
    s.xPels = 0, s.yPels = 1234, s.pixels = test::Pattern(4);
    Load(dib, BmpFile(s));
    EXPECT_EQ(dib.DIBInfos.Header.biXPelsPerMeter, 3780);
    EXPECT_EQ(dib.DIBInfos.Header.biYPelsPerMeter, 1234);
}

TEST(StreamLoader, ReadsFromTheCurrentPositionAndStopsAtTheFileEnd) {
    std::vector<uint8_t> bytes(10, 0x55);
    const BmpSpec s = Spec8(2, 2);
    const std::vector<uint8_t> file = BmpFile(s);
    bytes.insert(bytes.end(), file.begin(), file.end());
    bytes.push_back(0x99);
    gfx::MemoryStream stream(bytes);
    stream.SetPosition(10);
    TKvInternalDIB dib(true);
    dib.LoadFromStream(stream);
    EXPECT_EQ(std::vector<uint8_t>(dib.DIBInfos.Bits, dib.DIBInfos.Bits + dib.DIBInfos.BitsSize), s.pixels);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(10 + file.size()));
}

// A file's pixels go into shared memory through the kernel, a memory stream's
// through the program: the same pixels and the same position afterwards, for
// every depth, and a file cut short is refused before memory is taken.
TEST(StreamLoader, AFileLoadsAsTheSameBytesInMemoryWould) {
    const std::string path = ::testing::TempDir() + "/morvi-file-load-" + std::to_string(::getpid()) + ".bmp";
    for (const bool useFMO : {true, false}) {
        for (const uint16_t bits : {1, 4, 8, 24}) {
            BmpSpec s = WithBits(bits);
            if (bits <= 8) s.colors = test::Ramp(GetNumColors(bits));
            s.width = 37;
            s.height = -5;
            s.pixels = test::Pattern(static_cast<size_t>(DIBStride(37, bits) * 5));
            std::vector<uint8_t> bytes = BmpFile(s);
            bytes.push_back(0x99);  // something after the picture
            {
                std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                            static_cast<std::streamsize>(bytes.size()));
            }
            TKvInternalDIB fromFile(useFMO), fromMemory(useFMO);
            gfx::FileStream file(path, gfx::FileStream::Mode::Read);
            fromFile.LoadFromStream(file);
            gfx::MemoryStream memory(bytes);
            fromMemory.LoadFromStream(memory);
            ASSERT_EQ(fromFile.DIBInfos.BitsSize, fromMemory.DIBInfos.BitsSize);
            EXPECT_EQ(std::memcmp(fromFile.DIBInfos.Bits, fromMemory.DIBInfos.Bits,
                                  static_cast<size_t>(fromFile.DIBInfos.BitsSize)), 0) << bits << " bits";
            EXPECT_EQ(file.Position(), memory.Position());

            const int64_t live = testing::LiveAllocations();
            std::filesystem::resize_file(path, bytes.size() - 10);
            gfx::FileStream cut(path, gfx::FileStream::Mode::Read);
            EXPECT_THROW(fromFile.LoadFromStream(cut), gfx::EReadError);
            EXPECT_EQ(testing::LiveAllocations(), live);
        }
    }
    std::remove(path.c_str());
}

TEST(StreamLoader, AllocationFailureKeepsTheStorage) {
    for (bool useFMO : {false, true}) {
        for (uint16_t bits : {8, 16}) {
            TKvInternalDIB dib(useFMO);
            test::FillWithMarker(dib);
            const test::StorageState before(dib);
            const int64_t live = testing::LiveAllocations();
            BmpSpec s = Spec8(2, 2);
            if (bits == 16) s = Fields16(0xF800, 0x07E0, 0x1F);
            testing::FailAllocationAfter(1);
            EXPECT_THROW(Load(dib, BmpFile(s)), gfx::EOutOfMemory);
            testing::FailAllocationAfter(0);
            EXPECT_EQ(testing::LiveAllocations(), live);
            EXPECT_TRUE(test::StorageState(dib) == before);
        }
    }
}

// ---- the writer --------------------------------------------------------------

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

TEST(StreamWriter, Saves256ColoursWithOffBits1078AndLoadsBackTheSame) {
    TKvInternalDIB dib(true);
    Load(dib, BmpFile(Spec8(5, 3)));
    gfx::MemoryStream out;
    dib.SaveToStream(out);
    const std::vector<uint8_t>& b = out.Bytes();
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32At(b, 10), 1078u);
    EXPECT_EQ(U32At(b, 2), 1078u + dib.DIBInfos.BitsSize);
    EXPECT_EQ(U32At(b, 6), 0u);  // both reserved fields
    ASSERT_EQ(b.size(), 1078u + dib.DIBInfos.BitsSize);

    TKvInternalDIB back(false);
    Load(back, b);
    EXPECT_EQ(std::memcmp(&back.DIBInfos.Header, &dib.DIBInfos.Header, 40), 0);
    EXPECT_EQ(std::memcmp(back.DIBInfos.Colors, dib.DIBInfos.Colors, 1024), 0);
    ASSERT_EQ(back.DIBInfos.BitsSize, dib.DIBInfos.BitsSize);
    EXPECT_EQ(std::memcmp(back.DIBInfos.Bits, dib.DIBInfos.Bits, dib.DIBInfos.BitsSize), 0);
}

TEST(StreamWriter, CoreHeaderIsSavedAsInfoHeader) {
    BmpSpec s;
    s.headerSize = 12, s.width = 3, s.height = 2, s.bitCount = 4, s.colors = test::Ramp(16);
    s.pixels = test::Pattern(8);
    TKvInternalDIB dib(false);
    Load(dib, BmpFile(s));
    gfx::MemoryStream out;
    dib.SaveToStream(out);
    const std::vector<uint8_t>& b = out.Bytes();
    ASSERT_EQ(b.size(), 54u + 64 + 8);
    EXPECT_EQ(U32At(b, 14), 40u);
    EXPECT_EQ(U32At(b, 18), 3u);
    EXPECT_EQ(U32At(b, 22), 2u);
    EXPECT_EQ(U32At(b, 38), 3780u);
    EXPECT_EQ(U32At(b, 46), 16u);
    EXPECT_EQ(b[54 + 4 * 5 + 0], 5);  // colour 5: blue 5, green 250, red 2, reserved 0
    EXPECT_EQ(b[54 + 4 * 5 + 1], 250);
    EXPECT_EQ(b[54 + 4 * 5 + 2], 2);
    EXPECT_EQ(b[54 + 4 * 5 + 3], 0);
}

// Every stored depth at every width from 1 to 40: the stride is right on both
// sides, and a saved picture comes back byte for byte.
TEST(StreamWriter, RoundTripsEveryDepthAndWidth) {
    for (int bits : {1, 4, 8, 24}) {
        for (int32_t width = 1; width <= 40; ++width) {
            TKvInternalDIB dib(width % 2 == 0);
            dib.FreeDIB();
            dib.CreateDIB(width, width % 3 == 0 ? -3 : 3, GetNumColors(bits), bits);
            for (int i = 0; i < GetNumColors(bits); ++i) dib.DIBInfos.Colors[i] = {uint8_t(i), uint8_t(i * 3), 7, 0};
            for (int32_t i = 0; i < dib.DIBInfos.BitsSize; ++i) dib.DIBInfos.Bits[i] = static_cast<uint8_t>(i * 13 + 1);
            gfx::MemoryStream out;
            dib.SaveToStream(out);
            out.SetPosition(0);
            TKvInternalDIB back(width % 2 != 0);
            back.LoadFromStream(out);
            ASSERT_EQ(back.DIBInfos.BitsSize, DIBStride(width, bits) * 3) << bits << " bits, width " << width;
            EXPECT_EQ(std::memcmp(&back.DIBInfos.Header, &dib.DIBInfos.Header, 40), 0);
            EXPECT_EQ(std::memcmp(back.DIBInfos.Colors, dib.DIBInfos.Colors, 4 * GetNumColors(bits)), 0);
            EXPECT_EQ(std::memcmp(back.DIBInfos.Bits, dib.DIBInfos.Bits, dib.DIBInfos.BitsSize), 0);
        }
    }
}

}  // namespace
}  // namespace kvdib
