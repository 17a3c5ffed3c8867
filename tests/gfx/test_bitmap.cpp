// Bitmap: row layout and strides in every format, views over outside memory,
// resizing that keeps the top-left corner, format conversions, copies, the BMP
// writer, and sizes refused before allocation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/byte_reader.h"
#include "gfx/canvas.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/pixels.h"
#include "gfx/stream.h"
#include "pictures.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;

constexpr PixelFormat kAllFormats[] = {PixelFormat::pf1bit,  PixelFormat::pf4bit,  PixelFormat::pf8bit,
                                       PixelFormat::pf16bit, PixelFormat::pf24bit, PixelFormat::pf32bit};

TEST(BitmapLayout, RefusesImpossibleSizesBeforeAllocating) {
    EXPECT_THROW(Bitmap(-1, 5), gfx::EOutOfMemory);
    EXPECT_THROW(Bitmap(100000, 100000, PixelFormat::pf32bit), gfx::EPictureTooLarge);
    EXPECT_THROW(Bitmap(INT32_MAX, INT32_MAX, PixelFormat::pf1bit), gfx::EPictureTooLarge);
    Bitmap b(2, 2);
    EXPECT_THROW(b.ScanLine(2), gfx::Exception);
    EXPECT_THROW(b.ScanLine(-1), gfx::Exception);
}

TEST(BitmapWrap, ViewsBottomUpMemoryThroughANegativeStride) {
    // Three rows of a 2-pixel 8-bit DIB, stored bottom row first.
    std::vector<uint8_t> memory = {30, 31, 0, 0, 20, 21, 0, 0, 10, 11, 0, 0};
    auto view = Bitmap::Wrap(memory.data() + 8, 2, 3, PixelFormat::pf8bit, -4);
    EXPECT_EQ(view->ScanLine(0)[1], 11);
    EXPECT_EQ(view->ScanLine(2)[0], 30);
    view->ScanLine(1)[0] = 99;
    EXPECT_EQ(memory[4], 99) << "a view writes into the memory it wraps";
    EXPECT_FALSE(view->OwnsMemory());

    auto copy = view->CloneBitmap();
    EXPECT_TRUE(copy->OwnsMemory());
    EXPECT_GT(copy->Stride(), 0);
    memory[8] = 0;
    EXPECT_EQ(copy->ScanLine(0)[0], 10) << "a copy does not follow the wrapped memory";
    EXPECT_THROW(Bitmap::Wrap(memory.data(), 5, 1, PixelFormat::pf8bit, 4), gfx::Exception);
}

class BitmapPerFormat : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(BitmapPerFormat, ResizingKeepsTheTopLeftAndZeroesTheRest) {
    const PixelFormat format = GetParam();
    for (int32_t width = 1; width <= 19; width += 3) {
        const auto original = gfxtest::Numbered(width, 4, format);
        auto b = original->CloneBitmap();
        b->SetSize(width + 5, 6);
        b->SetSize(width + 9, 6);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < width + 9; ++x) {
                const bool kept = x < width && y < 4;
                const uint32_t raw = gfx::LoadRaw(b->ScanLine(y), x, format);
                if (kept)
                    ASSERT_EQ(raw, gfx::LoadRaw(original->ScanLine(y), x, format)) << width << ": " << x << "," << y;
                else
                    ASSERT_EQ(raw, 0u) << "new pixel " << x << "," << y << " of width " << width;
            }
    }
}

TEST_P(BitmapPerFormat, WideningAndBackKeepsEveryColour) {
    const PixelFormat format = GetParam();
    for (int32_t width = 1; width <= 40; ++width) {
        const auto original = gfxtest::Numbered(width, 3, format);
        for (PixelFormat wide : {PixelFormat::pf24bit, PixelFormat::pf32bit}) {
            auto b = original->CloneBitmap();
            b->SetPixelFormat(wide);
            ASSERT_TRUE(gfxtest::SameColours(*b, *original, [](int32_t x, int32_t y) { return std::pair{x, y}; }));
            b->SetPixelFormat(format);
            ASSERT_TRUE(gfxtest::SameColours(*b, *original, [](int32_t x, int32_t y) { return std::pair{x, y}; }))
                << "back from " << gfx::BitsPerPixel(wide) << " bits at width " << width;
        }
    }
}

TEST_P(BitmapPerFormat, WritesABmpThatDescribesItsRows) {
    const PixelFormat format = GetParam();
    const auto b = gfxtest::Numbered(7, 3, format);
    gfx::MemoryStream out;
    b->SaveToStream(out);
    gfx::ByteReader in(out.Bytes());
    gfx::BITMAPFILEHEADER file;
    gfx::BITMAPINFOHEADER info;
    ASSERT_TRUE(in.ReadStruct(file) && in.ReadStruct(info));
    EXPECT_EQ(+file.bfType, gfx::kBitmapFileType);
    EXPECT_EQ(+file.bfSize, out.Bytes().size());
    EXPECT_EQ(+info.biBitCount, gfx::BitsPerPixel(format));
    EXPECT_EQ(+info.biHeight, 3) << "rows bottom-up";
    const size_t colours = gfx::IsIndexed(format) ? size_t{1} << gfx::BitsPerPixel(format) : 0;
    EXPECT_EQ(+info.biClrUsed, colours);
    EXPECT_EQ(+file.bfOffBits, 14 + 40 + 4 * colours);
    const size_t rowBytes = gfx::RowBytes(format, 7);
    ASSERT_EQ(out.Bytes().size(), file.bfOffBits + 3 * rowBytes);
    // The file's last row is the bitmap's top row.
    EXPECT_EQ(0, std::memcmp(out.Bytes().data() + file.bfOffBits + 2 * rowBytes, b->ScanLine(0),
                             (7 * gfx::BitsPerPixel(format)) / 8));
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BitmapPerFormat, ::testing::ValuesIn(kAllFormats));

TEST(BitmapConversion, NarrowingPicksTheNearestPaletteColour) {
    Bitmap b(3, 1, PixelFormat::pf24bit);
    b.SetPixel(0, 0, gfx::RGB(250, 250, 250));
    b.SetPixel(1, 0, gfx::RGB(10, 0, 0));
    b.SetPixel(2, 0, gfx::RGB(140, 120, 130));
    b.SetPixelFormat(PixelFormat::pf1bit);
    EXPECT_EQ(b.Pixel(0, 0), gfx::clWhite);
    EXPECT_EQ(b.Pixel(1, 0), gfx::clBlack);
    EXPECT_EQ(b.Pixel(2, 0), gfx::clWhite);
    b.SetPixelFormat(PixelFormat::pf4bit);
    EXPECT_EQ(b.Pixel(0, 0), gfx::clWhite) << "the VGA table holds white";
}

TEST(BitmapCopy, AssignFiresOnceAndLoadingNeedsADecoder) {
    const auto original = gfxtest::Numbered(5, 5, PixelFormat::pf8bit);
    Bitmap copy;
    int changes = 0;
    copy.OnChange = [&changes](gfx::Graphic&) { ++changes; };
    copy.Assign(original.get());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.GetPalette(), original->GetPalette());
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());

    gfx::MemoryStream junk(std::vector<uint8_t>{'B', 'M', 1, 2, 3});
    Bitmap::SetStreamDecoder(nullptr);
    EXPECT_THROW(copy.LoadFromStream(junk), gfx::EInvalidGraphic);
}

}  // namespace

namespace {

TEST(BitmapSharing, CopiesShareUntilOneIsWritten) {
    const auto original = gfxtest::Numbered(6, 4, PixelFormat::pf32bit);
    const uint8_t before = std::as_const(*original).ScanLine(2)[5];
    auto copy = original->CloneBitmap();
    Bitmap drawn(6, 4, PixelFormat::pf32bit);
    drawn.GetCanvas().StretchDraw({0, 0, 6, 4}, *original);
    EXPECT_TRUE(original->SharesPixels());
    EXPECT_TRUE(drawn.SharesPixels()) << "a whole 1:1 drawing shares";

    // Each writer, by any road, gets pixels of its own.
    copy->ScanLine(2)[5] = static_cast<uint8_t>(before + 1);
    drawn.GetCanvas().FillRect({0, 0, 1, 1});
    drawn.SetPixel(5, 3, gfx::RGB(1, 2, 3));
    EXPECT_EQ(std::as_const(*original).ScanLine(2)[5], before);
    EXPECT_NE(original->Pixel(0, 0), gfx::clWhite);
    EXPECT_NE(original->Pixel(5, 3), gfx::RGB(1, 2, 3));
    EXPECT_EQ(copy->Pixel(0, 0), original->Pixel(0, 0));
    EXPECT_FALSE(original->SharesPixels());
    auto filled = original->CloneBitmap();
    filled->GetCanvas().FillRect({-1, -1, 10, 10});  // the whole bitmap: fresh pixels, no copy
    EXPECT_EQ(filled->Pixel(3, 3), gfx::clWhite);
    EXPECT_NE(original->Pixel(3, 3), gfx::clWhite);

    // A view over outside memory is never shared: drawing into it writes the memory.
    std::vector<uint8_t> memory(6 * 4 * 4, 0);
    auto view = Bitmap::Wrap(memory.data(), 6, 4, PixelFormat::pf32bit, 24);
    view->GetCanvas().StretchDraw({0, 0, 6, 4}, *original);
    EXPECT_FALSE(view->SharesPixels());
    EXPECT_EQ(0, std::memcmp(memory.data(), std::as_const(*original).ScanLine(0), 24));
}

}  // namespace
