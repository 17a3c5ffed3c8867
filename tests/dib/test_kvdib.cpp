// The engine's graphic class: sharing and copy on write, assignment to and from
// framework bitmaps, drawing, the canvas over shared memory, the stream and
// clipboard wrappers, and the change notifications clients rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dib/dibcanvas.h"
#include "dib/errors.h"
#include "dib/kvdib.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/invariants.h"
#include "gfx/picture.h"
#include "gfx/stream.h"

namespace kvdib {
namespace {

int CountChanges(TKvDIB& dib, int& counter) {
    dib.OnChange = [&counter](gfx::Graphic&) { ++counter; };
    return counter;
}

// A bitmap whose pixels differ everywhere, so that any misplaced row or column shows.
std::unique_ptr<gfx::Bitmap> PatternBitmap(int32_t width, int32_t height, gfx::PixelFormat format) {
    auto bitmap = std::make_unique<gfx::Bitmap>(width, height, gfx::PixelFormat::pf24bit);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            bitmap->SetPixel(x, y, gfx::RGB(static_cast<uint8_t>(x * 37 + y), static_cast<uint8_t>(y * 53),
                                            static_cast<uint8_t>((x ^ y) * 29)));
        }
    }
    if (format != gfx::PixelFormat::pf24bit) bitmap->SetPixelFormat(format);
    return bitmap;
}

void ExpectSamePixels(const gfx::Bitmap& a, const gfx::Bitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int32_t y = 0; y < a.Height(); ++y) {
        for (int32_t x = 0; x < a.Width(); ++x) {
            ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST(KvDIB, NewObjectIsOneBlankPixel) {
    TKvDIB dib;
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.GetBitCount(), 8);
    EXPECT_FALSE(dib.Empty());
    EXPECT_EQ(dib.DrawMode, TKvDrawMode::Direct);
    EXPECT_EQ(dib.ConvertQuality, 0);
    EXPECT_EQ(dib.MonoColor, gfx::clWhite);
    EXPECT_TRUE(dib.PaletteModified());
}

TEST(KvDIB, AssignSharesUntilOneWrites) {
    TKvDIB a;
    a.SetWidth(4);
    TKvDIB b;
    b.Assign(&a);
    ASSERT_EQ(a.InternalDIB, b.InternalDIB);
    EXPECT_EQ(a.InternalDIB->RefCount, 2);

    const gfx::PaletteEntry red[1] = {{255, 0, 0, 0}};
    b.SetPalette(gfx::CreatePalette(red));
    EXPECT_NE(a.InternalDIB, b.InternalDIB);
    EXPECT_EQ(a.InternalDIB->RefCount, 1);
    EXPECT_EQ(b.InternalDIB->RefCount, 1);
    EXPECT_EQ(b.InternalDIB->DIBInfos.Header.biClrUsed, 1u);
    EXPECT_EQ(b.InternalDIB->DIBInfos.Colors[0].rgbRed, 255);
    EXPECT_EQ(a.InternalDIB->DIBInfos.Header.biClrUsed, 256u);
    EXPECT_EQ(a.InternalDIB->DIBInfos.Colors[0].rgbRed, 0);
}

TEST(KvDIB, LastHolderFreesTheStorage) {
    const int64_t before = testing::LiveAllocations();
    {
        TKvDIB a;
        auto b = std::make_unique<TKvDIB>();
        b->Assign(&a);
        b.reset();
        EXPECT_EQ(a.InternalDIB->RefCount, 1);
    }
    EXPECT_EQ(testing::LiveAllocations(), before);
}

TEST(KvDIB, NotificationsFireExactlyWhereExpected) {
    TKvDIB dib;
    int changes = 0;
    CountChanges(dib, changes);

    dib.Assign(&dib);
    EXPECT_EQ(changes, 0) << "assigning to itself";
    dib.SetWidth(1);
    EXPECT_EQ(changes, 0) << "same width";
    dib.SetWidth(5);
    EXPECT_EQ(changes, 1);
    dib.SetHeight(-10);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(dib.Height(), 10);
    EXPECT_EQ(dib.InternalDIB->DIBInfos.Header.biHeight, -10);
    dib.SetHeight(10);
    EXPECT_EQ(changes, 2) << "10 equals the current positive height";
    dib.Assign(nullptr);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(dib.Width(), 1);
}

TEST(KvDIB, SizeSettersRejectBadValues) {
    TKvDIB dib;
    EXPECT_THROW(
        {
            try {
                dib.SetWidth(0);
            } catch (const EKvDIBInvalidDIBPara& e) {
                EXPECT_STREQ(e.what(), "TKvDIB.SetWidth: Invalid Width");
                throw;
            }
        },
        EKvDIBInvalidDIBPara);
    try {
        dib.SetHeight(0);
        FAIL();
    } catch (const EKvDIBInvalidDIBPara& e) {
        EXPECT_STREQ(e.what(), "TKvDIB.SetWidth: Invalid Height");
    }
    try {
        dib.SetBitCount(16);
        FAIL();
    } catch (const EKvDIBInvalidDIBPara& e) {
        EXPECT_STREQ(e.what(), "TKvDIB.SetBitCount: Invalid BitCount");
    }
}

TEST(KvDIB, NewWidthGivesBlankPictureWithOldLayout) {
    TKvDIB dib;
    dib.SetBitCount(4);
    dib.InternalDIB->DIBInfos.Colors[3] = {1, 2, 3, 0};
    dib.SetWidth(7);
    const DIBInfos& infos = dib.InternalDIB->DIBInfos;
    EXPECT_EQ(infos.Header.biBitCount, 4);
    EXPECT_EQ(infos.Header.biClrUsed, 16u);
    EXPECT_EQ(infos.Colors[3], (RGBQuad{0, 0, 0, 0}));
    for (int32_t i = 0; i < infos.BitsSize; ++i) ASSERT_EQ(infos.Bits[i], 0);
}

struct DepthCase {
    gfx::PixelFormat format;
    int bitCount;
};

class KvDIBBitmapRoundTrip : public ::testing::TestWithParam<DepthCase> {};

TEST_P(KvDIBBitmapRoundTrip, KeepsSizeAndPixels) {
    const DepthCase c = GetParam();
    for (const int32_t width : {1, 3, 8, 17}) {
        auto source = PatternBitmap(width, 5, c.format);
        TKvDIB dib;
        dib.Assign(source.get());
        EXPECT_EQ(dib.GetBitCount(), c.bitCount);
        EXPECT_EQ(dib.Width(), width);
        EXPECT_EQ(dib.Height(), 5);
        if (c.bitCount <= 8) {
            EXPECT_EQ(dib.InternalDIB->DIBInfos.Header.biClrUsed, static_cast<uint32_t>(GetNumColors(c.bitCount)));
        }
        gfx::Bitmap back;
        dib.AssignTo(back);
        const gfx::PixelFormat expected = c.bitCount == 24 ? gfx::PixelFormat::pf24bit : c.format;
        EXPECT_EQ(back.Format(), expected);
        ExpectSamePixels(*source, back);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, KvDIBBitmapRoundTrip,
                         ::testing::Values(DepthCase{gfx::PixelFormat::pf1bit, 1}, DepthCase{gfx::PixelFormat::pf4bit, 4},
                                           DepthCase{gfx::PixelFormat::pf8bit, 8},
                                           DepthCase{gfx::PixelFormat::pf16bit, 24},
                                           DepthCase{gfx::PixelFormat::pf24bit, 24},
                                           DepthCase{gfx::PixelFormat::pf32bit, 24}));

// Writing the DIB into bitmaps that held something else (another size, another
// depth, the same depth, or memory the bitmap only views): every byte of every
// row is the DIB's row as stored, in either row order, and the bitmap hears of
// each step that changed it.
TEST(KvDIB, AssignToBitmapCopiesEveryStoredRowExactly) {
    enum class Before { OtherSizeAndDepth, SameDepth, OtherIndexedDepth, ViewOfMemory };
    uint32_t seed = 1;
    auto scramble = [&seed](uint8_t* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1664525u + 1013904223u;
            bytes[i] = static_cast<uint8_t>(seed >> 24);
        }
    };
    for (const int depth : {1, 4, 8, 24})
        for (int32_t width = 1; width <= 9; ++width)
            for (const int32_t height : {1, 3, -3, 5, -5})
                for (const Before before : {Before::OtherSizeAndDepth, Before::SameDepth, Before::OtherIndexedDepth,
                                            Before::ViewOfMemory}) {
                    TKvDIB dib;
                    dib.SetBitCount(depth);
                    dib.SetWidth(width);
                    dib.SetHeight(height);
                    DIBInfos& infos = dib.InternalDIB->DIBInfos;
                    scramble(infos.Bits, static_cast<size_t>(infos.BitsSize));
                    for (uint32_t i = 0; i < infos.Header.biClrUsed; ++i)
                        infos.Colors[i] = {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 7 + 1),
                                           static_cast<uint8_t>(255 - i), 0};
                    const int32_t rows = std::abs(height);
                    const auto format = depth == 1   ? gfx::PixelFormat::pf1bit
                                        : depth == 4 ? gfx::PixelFormat::pf4bit
                                        : depth == 8 ? gfx::PixelFormat::pf8bit
                                                     : gfx::PixelFormat::pf24bit;
                    const size_t stride = gfx::RowBytes(format, width);

                    gfx::Bitmap owned;
                    std::vector<uint8_t> viewed(stride * static_cast<size_t>(rows), 0xAB);
                    std::unique_ptr<gfx::Bitmap> view;
                    gfx::Bitmap* target = &owned;
                    int expectedChanges = 2;  // the palette, then the pixels
                    switch (before) {
                        case Before::OtherSizeAndDepth:
                            owned.Assign(PatternBitmap(width + 1, rows + 2, gfx::PixelFormat::pf32bit).get());
                            expectedChanges += 3;
                            break;
                        case Before::SameDepth:
                            owned.Assign(PatternBitmap(width, rows, format).get());
                            break;
                        case Before::OtherIndexedDepth:
                            owned.Assign(PatternBitmap(width, rows, depth == 8 ? gfx::PixelFormat::pf4bit
                                                                               : gfx::PixelFormat::pf8bit)
                                             .get());
                            expectedChanges += 1;
                            break;
                        case Before::ViewOfMemory:
                            view = gfx::Bitmap::Wrap(viewed.data(), width, rows, format,
                                                     static_cast<ptrdiff_t>(stride), nullptr);
                            target = view.get();
                            break;
                    }
                    int changes = 0;
                    target->OnChange = [&changes](gfx::Graphic&) { ++changes; };
                    dib.AssignTo(*target);

                    SCOPED_TRACE(::testing::Message() << "depth " << depth << ", " << width << " x " << height
                                                      << ", case " << static_cast<int>(before));
                    EXPECT_EQ(changes, expectedChanges);
                    ASSERT_EQ(target->Format(), format);
                    ASSERT_EQ(target->Width(), width);
                    ASSERT_EQ(target->Height(), rows);
                    for (int32_t y = 0; y < rows; ++y) {
                        const int32_t stored = height > 0 ? rows - 1 - y : y;
                        ASSERT_EQ(std::memcmp(std::as_const(*target).ScanLine(y),
                                              infos.Bits + static_cast<size_t>(stored) * stride, stride),
                                  0)
                            << "row " << y;
                    }
                    if (before == Before::ViewOfMemory) {
                        EXPECT_EQ(target->ScanLine(0), viewed.data()) << "the viewed memory is written in place";
                    }
                    const std::vector<gfx::RGBQuad> table = target->ColorTable();
                    if (depth <= 8) {
                        ASSERT_EQ(table.size(), infos.Header.biClrUsed);
                        for (size_t i = 0; i < table.size(); ++i) {
                            EXPECT_EQ(table[i], infos.Colors[i]);
                        }
                    } else {
                        EXPECT_TRUE(table.empty());
                    }
                }
}

TEST(KvDIB, AssignFromBitmapKeepsOldPictureOnFailure) {
    TKvDIB dib;
    dib.SetWidth(3);
    TKvInternalDIB* before = dib.InternalDIB;
    gfx::Bitmap empty;  // width 0 cannot become a DIB
    EXPECT_THROW(dib.Assign(&empty), EKvDIBInvalidDIBPara);
    EXPECT_EQ(dib.InternalDIB, before);
    EXPECT_EQ(dib.Width(), 3);
}

// An 8-bit RLE picture of 4 x 2: row 0 (bottom) is 1 1 2 2, row 1 is 3 3 3 3.
std::vector<uint8_t> Rle8Bmp() {
    const uint8_t pixels[] = {2, 1, 2, 2, 0, 0, 4, 3, 0, 1};
    const uint32_t colors = 4;
    const uint32_t offBits = 14 + 40 + 4 * colors;
    std::vector<uint8_t> file(offBits + sizeof pixels, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, offBits);
    put32(14, 40);
    put32(18, 4);
    put32(22, 2);
    put16(26, 1);
    put16(28, 8);
    put32(30, 1);  // BI_RLE8
    put32(46, colors);
    const uint8_t palette[colors][4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    std::memcpy(&file[54], palette, sizeof palette);
    std::memcpy(&file[offBits], pixels, sizeof pixels);
    return file;
}

TEST(KvDIB, RleDataIsDrawnDecoded) {
    TKvDIB dib;
    gfx::MemoryStream stream(Rle8Bmp());
    dib.LoadFromStream(stream);
    ASSERT_EQ(dib.GetPixelFormat(), TKvPixelFormat::kvpf8BitRLE);

    gfx::Bitmap back;
    dib.AssignTo(back);
    EXPECT_EQ(back.Format(), gfx::PixelFormat::pf8bit);
    ASSERT_TRUE(back.GetPalette());
    EXPECT_EQ(back.GetPalette()->entries.size(), 4u);
    EXPECT_EQ(back.Pixel(0, 1), gfx::RGB(255, 0, 0));
    EXPECT_EQ(back.Pixel(3, 1), gfx::RGB(0, 255, 0));
    EXPECT_EQ(back.Pixel(2, 0), gfx::RGB(0, 0, 255));

    gfx::Bitmap target(8, 4, gfx::PixelFormat::pf32bit);
    target.GetCanvas().StretchDraw({0, 0, 8, 4}, dib);
    EXPECT_EQ(target.Pixel(0, 3), gfx::RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(7, 0), gfx::RGB(0, 0, 255));
}

// The mono colour reaches the 1-bit reductions as the colour it is: with pure
// red chosen, the red pixels are set and the blue ones are not, from every depth.
TEST(KvDIB, MonoColorPicksThatColourNotItsMirror) {
    for (const gfx::PixelFormat depth : {gfx::PixelFormat::pf24bit, gfx::PixelFormat::pf8bit, gfx::PixelFormat::pf4bit}) {
        gfx::Bitmap source(3, 1, gfx::PixelFormat::pf24bit);
        source.SetPixel(0, 0, gfx::RGB(255, 0, 0));
        source.SetPixel(1, 0, gfx::RGB(0, 0, 255));
        source.SetPixel(2, 0, gfx::RGB(255, 0, 0));
        TKvDIB dib;
        dib.Assign(&source);
        if (depth != gfx::PixelFormat::pf24bit) {
            dib.SetPixelFormat(depth == gfx::PixelFormat::pf8bit ? TKvPixelFormat::kvpf8Bit : TKvPixelFormat::kvpf4Bit);
        }
        dib.MonoColor = gfx::RGB(255, 0, 0);
        dib.SetPixelFormat(TKvPixelFormat::kvpf1Bit);
        gfx::Bitmap mask;
        dib.AssignTo(mask);
        EXPECT_EQ(mask.Pixel(0, 0), gfx::clWhite) << "red, from " << gfx::BitsPerPixel(depth) << " bits";
        EXPECT_EQ(mask.Pixel(1, 0), gfx::clBlack) << "blue, from " << gfx::BitsPerPixel(depth) << " bits";
        EXPECT_EQ(mask.Pixel(2, 0), gfx::clWhite);
    }
}

TEST(KvDIB, DrawModesOutsideTheKnownOnesDrawNothing) {
    auto source = PatternBitmap(4, 4, gfx::PixelFormat::pf24bit);
    TKvDIB dib;
    dib.Assign(source.get());
    dib.DrawMode = static_cast<TKvDrawMode>(3);
    gfx::Bitmap target(4, 4, gfx::PixelFormat::pf32bit);
    target.GetCanvas().brushColor = gfx::RGB(1, 2, 3);
    target.GetCanvas().FillRect({0, 0, 4, 4});
    target.GetCanvas().StretchDraw({0, 0, 4, 4}, dib);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(target.Pixel(x, y), gfx::RGB(1, 2, 3));
}

TEST(KvDIB, PaletteByDrawMode) {
    auto source = PatternBitmap(2, 2, gfx::PixelFormat::pf24bit);
    TKvDIB dib;
    dib.Assign(source.get());
    EXPECT_FALSE(dib.GetPalette());
    dib.DrawMode = TKvDrawMode::HalfTone;
    ASSERT_TRUE(dib.GetPalette());
    EXPECT_EQ(dib.GetPalette()->entries.size(), 215u);
    EXPECT_EQ(dib.GetPalette()->entries[35 * 5 + 5 * 6 + 4], (gfx::PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(dib.GetPalette()->entries[213], (gfx::PaletteEntry{192, 192, 192, 0}));
    dib.DrawMode = TKvDrawMode::HalfToneBW;
    ASSERT_TRUE(dib.GetPalette());
    EXPECT_EQ(dib.GetPalette()->entries.size(), 2u);
}

TEST(KvDIB, CanvasDrawsIntoTheStorageAndNotifiesOnce) {
    TKvDIB dib;
    dib.SetBitCount(24);
    dib.SetWidth(8);
    dib.SetHeight(8);
    TKvDIB sharer;
    sharer.Assign(&dib);
    int changes = 0;
    CountChanges(dib, changes);
    {
        TKvDIBCanvas canvas(&dib);
        EXPECT_EQ(dib.InternalDIB->RefCount, 1) << "the canvas never draws into a shared storage";
        canvas.penColor = gfx::RGB(255, 0, 0);
        canvas.MoveTo(0, 0);
        canvas.LineTo(8, 0);
    }
    EXPECT_EQ(changes, 1);
    // The top row of a bottom-up 24-bit DIB is the last row in memory.
    const DIBInfos& infos = dib.InternalDIB->DIBInfos;
    const uint8_t* top = infos.Bits + 7 * DIBStride(8, 24);
    EXPECT_EQ(top[2], 255);
    EXPECT_EQ(top[0], 0);
    const DIBInfos& other = sharer.InternalDIB->DIBInfos;
    EXPECT_EQ((other.Bits + 7 * DIBStride(8, 24))[2], 0) << "the sharer keeps its picture";
}

// What goes wrong when a canvas closes reaches someone: Finish passes a change
// handler's failure on, a canvas left to its destructor reports it instead of
// ending the program.
TEST(KvDIB, CanvasClosingFailuresAreNeitherThrownFromTheDestructorNorHidden) {
    std::vector<std::string> reports;
    const gfx::BrokenInvariantHandler old =
        gfx::SetBrokenInvariantHandler([&reports](const std::string& report) { reports.push_back(report); });
    TKvDIB dib;
    dib.SetWidth(4);
    dib.SetBitCount(24);
    dib.OnChange = [](gfx::Graphic&) { throw gfx::Exception("handler failed"); };
    {
        TKvDIBCanvas canvas(&dib);
        EXPECT_THROW(canvas.Finish(), gfx::Exception);
    }
    EXPECT_TRUE(reports.empty()) << "a finished canvas has nothing left to report";
    EXPECT_NO_THROW({ TKvDIBCanvas canvas(&dib); });
    gfx::SetBrokenInvariantHandler(old);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("TKvDIBCanvas.Destroy: handler failed"), std::string::npos) << reports[0];
}

TEST(KvDIB, CanvasRefusals) {
    EXPECT_THROW(TKvDIBCanvas(nullptr), EKvDIBCanvasFailed);

    DefaultUseFMO = false;
    TKvDIB heap;
    DefaultUseFMO = true;
    try {
        TKvDIBCanvas canvas(&heap);
        FAIL();
    } catch (const EKvDIBCanvasFailed& e) {
        EXPECT_STREQ(e.what(), "TKvDIBCanvas.Create: Cannot Create Canvas");
    }

    TKvDIB rle;
    gfx::MemoryStream stream(Rle8Bmp());
    rle.LoadFromStream(stream);
    try {
        TKvDIBCanvas canvas(&rle);
        FAIL();
    } catch (const gfx::EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "TKvDIBCanvas.Create: Cannot Create Memory DC");
    }
}

TEST(KvDIB, StreamAndClipboardWrappers) {
    TKvDIB dib;
    TKvInternalDIB* before = dib.InternalDIB;
    const std::vector<uint8_t> notBmp = {'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    gfx::MemoryStream bad(notBmp);
    EXPECT_THROW(dib.LoadFromStream(bad), EKvDIBInvalidDIBFile);
    EXPECT_EQ(dib.InternalDIB, before) << "a failed load keeps the picture";

    const std::vector<uint8_t> block(100, 0);
    try {
        dib.LoadFromClipboardFormat(gfx::CF_BITMAP, &block, nullptr);
        FAIL();
    } catch (const gfx::EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "TKvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
    EXPECT_THROW(dib.LoadFromClipboardFormat(gfx::CF_DIB, nullptr, nullptr), gfx::EInvalidGraphic);

    gfx::MemoryStream rle(Rle8Bmp());
    dib.LoadFromStream(rle);
    uint16_t format = 0;
    std::vector<uint8_t> packed;
    gfx::HPALETTE palette;
    dib.SaveToClipboardFormat(format, packed, palette);
    EXPECT_EQ(format, gfx::CF_DIB);
    TKvDIB pasted;
    pasted.LoadFromClipboardFormat(gfx::CF_DIB, &packed, nullptr);
    EXPECT_EQ(pasted.Width(), 4);
    EXPECT_EQ(pasted.GetPixelFormat(), TKvPixelFormat::kvpf8BitRLE);
}

TEST(KvDIB, AssigningToAnUnknownKindFails) {
    class Other : public gfx::Graphic {
    public:
        std::unique_ptr<gfx::Graphic> Clone() const override { return std::make_unique<Other>(); }
        std::string ClassName() const override { return "TOther"; }
        int32_t Width() const override { return 0; }
        int32_t Height() const override { return 0; }
        bool Empty() const override { return true; }
        void Draw(gfx::Canvas&, const gfx::Rect&) const override {}
        void LoadFromStream(gfx::Stream&) override {}
        void SaveToStream(gfx::Stream&) const override {}
    } other;
    TKvDIB dib;
    EXPECT_THROW(dib.AssignTo(other), gfx::ECannotAssign);
}

TEST(KvDIB, DibFilesOpenThroughThePictureRegistry) {
    RegisterKvDIB();
    const std::string path = ::testing::TempDir() + "/registry-test.dib";
    {
        gfx::FileStream out(path, gfx::FileStream::Mode::Create);
        const std::vector<uint8_t> bytes = Rle8Bmp();
        out.WriteBuffer(bytes.data(), bytes.size());
    }
    gfx::Picture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(dynamic_cast<TKvDIB*>(picture.GetGraphic()), nullptr);
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(picture.Height(), 2);
    UnregisterKvDIB();
}

}  // namespace
}  // namespace kvdib
