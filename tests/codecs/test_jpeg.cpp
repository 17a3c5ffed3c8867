// JPEG through libjpeg: round trips from every bitmap format, baseline output,
// grey and CMYK pictures, and broken or lying files refused with EInvalidGraphic
// instead of crashing or allocating what the header claims.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include "codecs/jpeg.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/stream.h"
#include "tests/gfx/pictures.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;

// A smooth picture, which JPEG keeps within a few levels.
std::unique_ptr<Bitmap> Gradient(int32_t w, int32_t h, PixelFormat format = PixelFormat::pf32bit) {
    auto b = std::make_unique<Bitmap>(w, h, PixelFormat::pf32bit);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            b->SetPixel(x, y, gfx::RGB(static_cast<uint8_t>(x * 255 / w), static_cast<uint8_t>(y * 255 / h), 128));
    b->SetPixelFormat(format);
    return b;
}

double MeanDifference(const Bitmap& a, const Bitmap& b) {
    double sum = 0;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            for (int shift : {0, 8, 16})
                sum += std::abs(static_cast<int>((a.Pixel(x, y) >> shift) & 0xFF) -
                                static_cast<int>((b.Pixel(x, y) >> shift) & 0xFF));
    return sum / (3.0 * a.Width() * a.Height());
}

std::vector<uint8_t> Encode(const Bitmap& b) {
    gfx::MemoryStream out;
    gfx::WriteJpeg(b, out);
    return out.TakeBytes();
}

// Raw samples in another colour space, written with libjpeg directly.
std::vector<uint8_t> EncodeSamples(int w, int h, J_COLOR_SPACE space, int components, uint8_t value) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w * components), value);
    while (c.next_scanline < c.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return bytes;
}

class JpegFromFormat : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(JpegFromFormat, RoundTripKeepsSizeAndColours) {
    const auto original = Gradient(61, 37, GetParam());
    const std::vector<uint8_t> bytes = Encode(*original);
    const auto decoded = gfx::ReadJpeg(bytes.data(), bytes.size());
    ASSERT_EQ(decoded->Width(), 61);
    ASSERT_EQ(decoded->Height(), 37);
    EXPECT_EQ(decoded->Format(), PixelFormat::pf32bit);
    // Hard edges of the few-colour formats cost JPEG more than smooth ramps.
    const double limit = GetParam() == PixelFormat::pf1bit ? 12.0 : GetParam() == PixelFormat::pf8bit ? 8.0 : 3.0;
    EXPECT_LT(MeanDifference(*decoded, *original), limit);
}

INSTANTIATE_TEST_SUITE_P(Formats, JpegFromFormat,
                         ::testing::Values(PixelFormat::pf1bit, PixelFormat::pf8bit, PixelFormat::pf16bit,
                                           PixelFormat::pf24bit, PixelFormat::pf32bit));

TEST(JpegWriter, WritesBaselineColour) {
    const std::vector<uint8_t> bytes = Encode(*Gradient(16, 16));
    bool baseline = false, progressive = false;
    for (size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] != 0xFF) continue;
        if (bytes[i + 1] == 0xC0) {
            baseline = true;
            EXPECT_EQ(bytes[i + 9], 3) << "three components";
        }
        progressive |= bytes[i + 1] == 0xC2;
    }
    EXPECT_TRUE(baseline);
    EXPECT_FALSE(progressive);
}

TEST(JpegReader, TurnsGreyAndCmykIntoColour) {
    const struct {
        J_COLOR_SPACE space;
        int components;
        uint8_t value;
        gfx::Color expected;
    } cases[] = {{JCS_GRAYSCALE, 1, 100, gfx::RGB(100, 100, 100)},
                 // Adobe-style CMYK is stored inverted: 255 everywhere is no ink at all.
                 {JCS_CMYK, 4, 255, gfx::clWhite},
                 {JCS_CMYK, 4, 0, gfx::clBlack}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = EncodeSamples(8, 8, c.space, c.components, c.value);
        const auto decoded = gfx::ReadJpeg(bytes.data(), bytes.size());
        for (int shift : {0, 8, 16})
            EXPECT_NEAR((decoded->Pixel(3, 3) >> shift) & 0xFF, (c.expected >> shift) & 0xFF, 2)
                << "colour space " << c.space;
    }
}

TEST(JpegReader, RefusesBrokenFiles) {
    const std::vector<uint8_t> good = Encode(*Gradient(64, 64));
    std::vector<std::vector<uint8_t>> bad = {
        {}, {0xFF, 0xD8}, {'B', 'M', 0, 0, 0, 0}, std::vector<uint8_t>(good.begin(), good.begin() + 20)};
    for (size_t cut : {good.size() / 3, good.size() / 2, good.size() - 40})
        bad.emplace_back(good.begin(), good.begin() + static_cast<ptrdiff_t>(cut));
    // A header that claims 60000 x 60000 pixels over a few bytes of data.
    std::vector<uint8_t> huge = good;
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xEA;
            huge[i + 6] = huge[i + 8] = 0x60;
            break;
        }
    bad.push_back(huge);
    for (size_t n = 0; n < bad.size(); ++n) {
        gfx::MemoryStream in(bad[n]);
        gfx::JpegImage image;
        EXPECT_THROW(image.LoadFromStream(in), gfx::EInvalidGraphic) << "case " << n;
        EXPECT_TRUE(image.Empty());
    }
}

TEST(JpegImage, SavesUnchangedDataAsReadAndDrawsExactlyAtOwnSize) {
    const std::vector<uint8_t> bytes = Encode(*gfxtest::Numbered(40, 30));
    gfx::JpegImage image;
    gfx::MemoryStream in(bytes);
    image.LoadFromStream(in);
    gfx::MemoryStream out;
    image.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), bytes);

    Bitmap canvasBitmap(40, 30, PixelFormat::pf32bit);
    canvasBitmap.GetCanvas().StretchDraw({0, 0, 40, 30}, image);
    Bitmap assigned;
    assigned.Assign(&image);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            ASSERT_EQ(canvasBitmap.Pixel(x, y), image.Pixels().Pixel(x, y));
            ASSERT_EQ(assigned.Pixel(x, y), image.Pixels().Pixel(x, y));
        }

    // Pixels assigned from a bitmap are encoded afresh.
    image.Assign(Gradient(10, 10, PixelFormat::pf8bit).get());
    gfx::MemoryStream again;
    image.SaveToStream(again);
    EXPECT_NE(again.Bytes(), bytes);
    EXPECT_EQ(gfx::ReadJpeg(again.Bytes().data(), again.Bytes().size())->Width(), 10);
}

// Decoding for a wanted size picks the smallest IDCT scale (M/8) that still
// gives at least that size on both sides (rounding scaled sides up), and leaves
// exactly that size or a step of a quarter or more.
TEST(JpegReader, DecodesAtTheLargestReductionThatStillGivesTheWantedSize) {
    gfx::MemoryStream out;
    gfx::WriteJpeg(*gfxtest::Numbered(1001, 800), out, 90);
    const std::vector<uint8_t> jpeg = out.TakeBytes();
    struct Case {
        gfx::Size wanted;
        gfx::Size decoded;
    };
    // Scaled sizes of 1001 x 800: 1/8 126 x 100, 2/8 251 x 200, 3/8 376 x 300,
    // 4/8 501 x 400, 5/8 626 x 500, 6/8 751 x 600, 7/8 876 x 700.
    for (const Case& c : {Case{{126, 100}, {126, 100}}, Case{{100, 80}, {126, 100}}, Case{{127, 100}, {251, 200}},
                          Case{{251, 200}, {251, 200}}, Case{{250, 201}, {376, 300}}, Case{{210, 170}, {376, 300}},
                          Case{{501, 400}, {501, 400}}, Case{{502, 400}, {751, 600}}, Case{{700, 560}, {876, 700}},
                          Case{{0, 0}, {126, 100}}, Case{{5000, 5000}, {1001, 800}}}) {
        gfx::Size asked{};
        const auto decoded = gfx::ReadJpeg(jpeg.data(), jpeg.size(), [&](int32_t width, int32_t height) {
            asked = {width, height};
            return c.wanted;
        });
        EXPECT_EQ(asked, (gfx::Size{1001, 800})) << "the callback hears the picture's own size";
        EXPECT_EQ(decoded->Width(), c.decoded.width) << c.wanted.width << " x " << c.wanted.height;
        EXPECT_EQ(decoded->Height(), c.decoded.height) << c.wanted.width << " x " << c.wanted.height;
    }
    // A reduced read is no longer the file: the graphic encodes itself anew.
    gfx::JpegImage image;
    gfx::MemoryStream in(jpeg);
    image.LoadFromStreamFor(in, [](int32_t, int32_t) { return gfx::Size{300, 200}; });
    EXPECT_EQ(image.Width(), 376);
    gfx::MemoryStream saved;
    image.SaveToStream(saved);
    EXPECT_NE(saved.Bytes(), jpeg);
    EXPECT_EQ(gfx::ReadJpeg(saved.Bytes().data(), saved.Bytes().size())->Width(), 376);
}

}  // namespace
