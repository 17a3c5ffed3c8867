// TABitmap: the byte tables against known values and an independent exact rule,
// and the operations on real bitmaps of any format, size and row padding.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tone/abitmap.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;
using tone::ByteTable;
using tone::TABitmap;

TEST(ToneTables, KnownValues) {
    const struct {
        ByteTable table;
        std::vector<std::pair<int, int>> cases;  // byte in, byte out
    } tables[] = {
        {TABitmap::ContrastTable(20), {{0, 0}, {21, 0}, {22, 1}, {120, 118}, {125, 124}, {126, 126}, {127, 127},
                                       {128, 128}, {130, 131}, {135, 137}, {233, 254}, {234, 255}, {255, 255}}},
        {TABitmap::ContrastTable(-20),
         {{0, 26}, {5, 30}, {120, 122}, {125, 126}, {127, 127}, {128, 128}, {130, 129}, {255, 229}}},
        {TABitmap::ContrastTable(INT32_MAX), {{0, 0}, {127, 0}, {128, 255}, {255, 255}}},
        {TABitmap::BrightnessTable(20), {{0, 20}, {235, 255}, {240, 255}, {250, 255}}},
        {TABitmap::BrightnessTable(-20), {{10, 0}, {21, 1}, {255, 235}}},
        {TABitmap::BrightnessTable(INT16_MIN), {{255, 0}}},
        {TABitmap::MonochromeTable(150), {{0, 0},     {1, 1},     {20, 23},   {63, 73},   {64, 75},
                                          {100, 117}, {127, 148}, {128, 148}, {129, 148}, {160, 174},
                                          {192, 200}, {200, 207}, {254, 252}, {255, 253}}},
    };
    for (size_t t = 0; t < std::size(tables); ++t)
        for (const auto& [in, out] : tables[t].cases) EXPECT_EQ(tables[t].table[in], out) << "table " << t << ", " << in;
}

// The exact rule in integers: n nearest to (200 v + (2 v - 255) P) / 200, a tie
// rounded toward the sign of (2 v - 255) P. Binary64 evaluation misses 47 bytes.
TEST(ToneTables, ContrastMatchesExactRuleAndZeroIsIdentity) {
    for (int percent : {20, -20, 0}) {
        const auto table = TABitmap::ContrastTable(percent);
        for (int v = 0; v < 256; ++v) {
            const int sign = (2 * v - 255) * percent;
            const int numerator = 200 * v + sign + 200 * 256;  // kept positive for the division
            int q = numerator / 200 - 256;
            const int r = numerator % 200;
            if (r > 100 || (r == 100 && sign > 0)) ++q;
            EXPECT_EQ(table[v], std::clamp(q, 0, 255)) << "percent " << percent << ", byte " << v;
        }
    }
}

TEST(ToneTables, MonochromeEndsAt253AndJoinsAtMidGreyForEveryParameter) {
    for (int p = 0; p < 256; ++p) {
        const auto table = TABitmap::MonochromeTable(static_cast<uint8_t>(p));
        EXPECT_EQ(table[255], 253) << p;
        EXPECT_EQ(table[128], (127 * p) / 128) << p;
        EXPECT_LE(*std::max_element(table.begin(), table.end()), 253) << p;
    }
}

struct OperationCase {
    std::string name;
    std::function<void(const TABitmap&, Bitmap&)> apply;
    std::function<std::array<uint8_t, 3>(const uint8_t* bgr)> expected;
};
void PrintTo(const OperationCase& c, std::ostream* os) { *os << c.name; }

OperationCase PerByte(std::string name, ByteTable t, std::function<void(const TABitmap&, Bitmap&)> apply) {
    return {std::move(name), std::move(apply), [t](const uint8_t* p) { return std::array{t[p[0]], t[p[1]], t[p[2]]}; }};
}

const OperationCase kOperations[] = {
    PerByte("Brighter", TABitmap::BrightnessTable(20), [](auto& t, auto& b) { t.AdjustBrightness(b, 20); }),
    PerByte("Darker", TABitmap::BrightnessTable(-20), [](auto& t, auto& b) { t.AdjustBrightness(b, -20); }),
    PerByte("MoreContrast", TABitmap::ContrastTable(20), [](auto& t, auto& b) { t.AdjustContrast(20, b); }),
    PerByte("LessContrast", TABitmap::ContrastTable(-20), [](auto& t, auto& b) { t.AdjustContrast(-20, b); }),
    {"Monochrome", [](auto& t, auto& b) { t.ToMonochrome(b, 150, 150, 150); },
     [t = TABitmap::MonochromeTable(150)](const uint8_t* p) {
         const uint8_t grey = t[(p[0] + p[1] + p[2]) / 3];  // truncating mean
         return std::array{grey, grey, grey};
     }},
};

class ToneOperation : public testing::TestWithParam<OperationCase> {
protected:
    // Applies the operation and checks every colour byte; the byte after each row's
    // colour bytes is padding (or the next row) and must keep its value.
    void Check(Bitmap& bitmap) {
        auto original = bitmap.CloneBitmap();
        original->SetPixelFormat(PixelFormat::pf24bit);
        GetParam().apply(TABitmap(), bitmap);
        ASSERT_EQ(bitmap.Format(), PixelFormat::pf24bit);
        ASSERT_EQ(bitmap.Width(), original->Width());
        ASSERT_EQ(bitmap.Height(), original->Height());
        size_t wrong = 0;
        for (int32_t y = 0; y < bitmap.Height(); ++y)
            for (int32_t x = 0; x < bitmap.Width(); ++x) {
                const auto want = GetParam().expected(original->ScanLine(y) + x * 3);
                wrong += !std::equal(want.begin(), want.end(), bitmap.ScanLine(y) + x * 3);
            }
        EXPECT_EQ(wrong, 0u) << bitmap.Width() << " x " << bitmap.Height();
    }
};

TEST_P(ToneOperation, ChangesEveryPixelOfAnySizeAndLeavesPaddingAlone) {
    // 5 pixels leave one byte of padding a row; 0 x 7 and 7 x 0 have nothing to do;
    // 40000 x 2 and 2 x 40000 go beyond 16-bit row and byte counters; 1200 x 900
    // is shared out over the cores in bands of rows.
    for (const auto& [w, h] :
         std::vector<std::pair<int32_t, int32_t>>{{5, 3}, {0, 7}, {7, 0}, {40000, 2}, {2, 40000}, {1200, 900}}) {
        Bitmap bitmap(w, h, PixelFormat::pf24bit);
        for (int32_t y = 0; y < h; ++y)
            for (int64_t i = 0; i < int64_t{w} * 3; ++i) bitmap.ScanLine(y)[i] = uint8_t(y * 97 + i * 17 + 3);
        if (w == 5) bitmap.ScanLine(0)[15] = 0xA5;
        Check(bitmap);
        if (w == 5) {
            EXPECT_EQ(bitmap.ScanLine(0)[15], 0xA5) << "padding";
        }
    }
}

TEST_P(ToneOperation, PalettePictureComesOutAt24Bits) {
    const std::vector<gfx::PaletteEntry> entries = {{10, 20, 31, 0}, {200, 100, 50, 0}, {255, 255, 255, 0}};
    Bitmap bitmap(3, 2, PixelFormat::pf8bit);
    bitmap.SetPalette(gfx::CreatePalette(entries));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) bitmap.ScanLine(y)[x] = static_cast<uint8_t>((x + y) % 3);
    Check(bitmap);
    EXPECT_EQ(bitmap.Pixel(2, 1), bitmap.Pixel(0, 0)) << "same index, same result";
}

INSTANTIATE_TEST_SUITE_P(Program, ToneOperation, testing::ValuesIn(kOperations),
                         [](const auto& info) { return info.param.name; });

TEST(TABitmapObject, KeepsTo24BitsAndCanChangeItself) {
    Bitmap device(4, 3, PixelFormat::pf32bit);
    device.SetPixel(1, 2, gfx::RGB(10, 20, 30));
    TABitmap self;
    EXPECT_EQ(self.Format(), PixelFormat::pf24bit);
    self.Assign(&device);
    EXPECT_EQ(self.Format(), PixelFormat::pf24bit);
    self.AdjustBrightness(self, 5);
    const auto clone = self.Clone();
    const auto* copy = dynamic_cast<const TABitmap*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Format(), PixelFormat::pf24bit);
    EXPECT_EQ(copy->Pixel(1, 2), gfx::RGB(15, 25, 35));
    EXPECT_EQ(copy->Pixel(0, 0), gfx::RGB(5, 5, 5));
}

}  // namespace
