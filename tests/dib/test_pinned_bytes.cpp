// Byte-exact pins for the row-level pixel paths: the row readers and writers
// against the single-pixel ones, and digests of everything GetDIBits, format
// conversion and the filtered stretch write over many small odd sizes, source
// rows both top-down and bottom-up. Fast paths in these routines must leave
// every byte (padding included) as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "dib/dibfuncs.h"
#include "gfx/bitmap.h"
#include "gfx/dibheaders.h"
#include "gfx/pixels.h"
#include "gfx/resample.h"
#include "tests/gfx/pictures.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;
using gfx::StretchMode;

constexpr PixelFormat kAllFormats[] = {PixelFormat::pf1bit,  PixelFormat::pf4bit,  PixelFormat::pf8bit,
                                       PixelFormat::pf16bit, PixelFormat::pf24bit, PixelFormat::pf32bit};

struct Digest {
    uint64_t value = 14695981039346656037ull;  // FNV-1a
    void Add(const uint8_t* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
    void Add(uint32_t v) { Add(reinterpret_cast<const uint8_t*>(&v), sizeof v); }
    void Add(const Bitmap& b) {
        Add(static_cast<uint32_t>(b.Width()));
        Add(static_cast<uint32_t>(b.Height()));
        const size_t rowBytes = gfx::RowBytes(b.Format(), b.Width());
        for (int32_t y = 0; y < b.Height(); ++y) Add(b.ScanLine(y), rowBytes);
    }
};

// Pseudo-random bytes; the fourth byte of device pixels is not left zero.
void Scramble(Bitmap& b, uint32_t seed) {
    const size_t rowBytes = gfx::RowBytes(b.Format(), b.Width());
    for (int32_t y = 0; y < b.Height(); ++y) {
        uint8_t* row = b.ScanLine(y);
        for (size_t i = 0; i < rowBytes; ++i) {
            seed = seed * 1664525u + 1013904223u;
            row[i] = static_cast<uint8_t>(seed >> 24);
        }
    }
}

// The same picture in memory whose rows run bottom-up (a negative stride).
struct BottomUp {
    std::vector<uint8_t> memory;
    std::unique_ptr<Bitmap> view;
    explicit BottomUp(const Bitmap& source) {
        const size_t rowBytes = gfx::RowBytes(source.Format(), source.Width());
        const auto h = static_cast<size_t>(source.Height());
        memory.resize(rowBytes * h);
        for (size_t y = 0; y < h; ++y)
            std::memcpy(&memory[(h - 1 - y) * rowBytes], source.ScanLine(static_cast<int32_t>(y)), rowBytes);
        view = Bitmap::Wrap(&memory[(h - 1) * rowBytes], source.Width(), source.Height(), source.Format(),
                            -static_cast<ptrdiff_t>(rowBytes), source.GetPalette());
    }
};

// A numbered picture of the format with scrambled raw bytes, in either row order.
std::unique_ptr<Bitmap> Source(PixelFormat format, int32_t w, int32_t h, uint32_t seed) {
    auto b = gfxtest::Numbered(w, h, format);
    Scramble(*b, seed);
    return b;
}

TEST(RowCodec, RowsMatchPixelByPixelInEveryFormat) {
    for (const PixelFormat format : kAllFormats) {
        for (int32_t x0 = 0; x0 < 4; ++x0)
            for (int32_t count = 1; count <= 9; ++count) {
                const auto source = Source(format, x0 + count, 1, static_cast<uint32_t>(x0 * 31 + count));
                gfx::PixelCodec codec(*source);
                std::vector<uint32_t> row(static_cast<size_t>(count));
                codec.ReadRow(source->ScanLine(0), x0, count, row.data());
                for (int32_t i = 0; i < count; ++i)
                    ASSERT_EQ(row[static_cast<size_t>(i)], codec.Read(source->ScanLine(0), x0 + i))
                        << "format " << gfx::BitsPerPixel(format) << " x0 " << x0 << " count " << count;

                // Writing back over a row of different bytes, then pixel by pixel
                // over the same start: both must end with the same bytes.
                Bitmap byRow(x0 + count, 1, format), byPixel(x0 + count, 1, format);
                Scramble(byRow, 7);
                Scramble(byPixel, 7);
                for (uint32_t& v : row) v ^= 0x5A000000u;  // the fourth byte varies too
                codec.WriteRow(byRow.ScanLine(0), x0, count, row.data());
                for (int32_t i = 0; i < count; ++i) codec.Write(byPixel.ScanLine(0), x0 + i, row[static_cast<size_t>(i)]);
                ASSERT_EQ(std::memcmp(byRow.ScanLine(0), byPixel.ScanLine(0), gfx::RowBytes(format, x0 + count)), 0)
                    << "format " << gfx::BitsPerPixel(format) << " x0 " << x0 << " count " << count;
            }
    }
}

struct FormatPin {
    PixelFormat format;
    uint64_t digest;
};

// Prints what a pin table should say, so a deliberate change of output can be
// re-pinned; the test itself only compares.
void ExpectPinned(const char* what, PixelFormat format, uint64_t got, uint64_t pinned) {
    EXPECT_EQ(got, pinned) << what << " from " << gfx::BitsPerPixel(format) << " bits: now 0x" << std::hex << got;
}

constexpr uint16_t kDibDepths[] = {1, 4, 8, 16, 24, 32};

uint64_t GetDIBitsDigest(PixelFormat format) {
    Digest d;
    for (int32_t w = 1; w <= 9; ++w)
        for (const int32_t h : {1, 3, 5})
            for (const bool bottomUpSource : {false, true}) {
                const auto source = Source(format, w, h, static_cast<uint32_t>(w * 13 + h));
                BottomUp flipped(*source);
                const Bitmap& from = bottomUpSource ? *flipped.view : *source;
                for (const uint16_t depth : kDibDepths)
                    for (const int32_t sign : {1, -1}) {
                        gfx::BITMAPINFOHEADER header;
                        header.biSize = sizeof header;
                        header.biWidth = w;
                        header.biHeight = sign * h;
                        header.biPlanes = 1;
                        header.biBitCount = depth;
                        const size_t stride = (static_cast<size_t>(w) * depth + 31) / 32 * 4;
                        // Stale bytes everywhere: every byte of each row, padding
                        // included, must be written.
                        std::vector<uint8_t> bits(stride * static_cast<size_t>(h), 0xCD);
                        std::vector<gfx::RGBQuad> table(256, gfx::RGBQuad{0xEE, 0xEE, 0xEE, 0xEE});
                        gfx::RGBQuad* colors = table.data();
                        const int rows = gfx::GetDIBits(from, 0, static_cast<uint32_t>(h), bits.data(), bits.size(),
                                                        header, colors);
                        d.Add(static_cast<uint32_t>(rows));
                        d.Add(bits.data(), bits.size());
                        if (depth <= 8) d.Add(reinterpret_cast<const uint8_t*>(colors), 4u << depth);
                    }
            }
    return d.value;
}

TEST(PinnedBytes, GetDIBits) {
    static constexpr FormatPin kPins[] = {
        {PixelFormat::pf1bit, 0xc65d86c1020a30adull},
        {PixelFormat::pf4bit, 0x6ce6286198df4acdull},
        {PixelFormat::pf8bit, 0x513c419fcf7e7fddull},
        {PixelFormat::pf16bit, 0xd9745e12095c140dull},
        {PixelFormat::pf24bit, 0xe604e883f818c0a5ull},
        {PixelFormat::pf32bit, 0xca96e1ebd84a1915ull},
    };
    for (const FormatPin& pin : kPins) ExpectPinned("GetDIBits", pin.format, GetDIBitsDigest(pin.format), pin.digest);
}

uint64_t ConversionDigest(PixelFormat format) {
    Digest d;
    for (int32_t w = 1; w <= 9; ++w)
        for (const int32_t h : {1, 3, 5})
            for (const bool bottomUpSource : {false, true})
                for (const PixelFormat target : kAllFormats) {
                    const auto source = Source(format, w, h, static_cast<uint32_t>(w * 17 + h));
                    BottomUp flipped(*source);
                    Bitmap converted;
                    converted.Assign(bottomUpSource ? flipped.view.get() : source.get());
                    converted.SetPixelFormat(target);
                    d.Add(converted);
                }
    return d.value;
}

TEST(PinnedBytes, FormatConversion) {
    static constexpr FormatPin kPins[] = {
        {PixelFormat::pf1bit, 0x535350a23969fcf1ull},
        {PixelFormat::pf4bit, 0x6d035ba51dd99739ull},
        {PixelFormat::pf8bit, 0x12b2ea9058a17d25ull},
        {PixelFormat::pf16bit, 0xe609ba25d737e6c1ull},
        {PixelFormat::pf24bit, 0xb05a6be2f453ffedull},
        {PixelFormat::pf32bit, 0x8c3817f491f8d535ull},
    };
    for (const FormatPin& pin : kPins)
        ExpectPinned("SetPixelFormat", pin.format, ConversionDigest(pin.format), pin.digest);
}

// Reductions (2:1 above all), odd ratios, enlargements and mirrors, onto
// destinations of several formats whose old pixels show where nothing is written.
uint64_t StretchDigest(PixelFormat format, StretchMode mode) {
    struct Size {
        int32_t sw, sh, dw, dh;
    };
    std::vector<Size> sizes;
    for (int32_t w = 1; w <= 9; ++w)
        for (const int32_t h : {1, 3, 5, 7}) {
            sizes.push_back({2 * w, 2 * h, w, h});
            sizes.push_back({2 * w + 1, h, w, h});
            sizes.push_back({w, h, w + 2, 2 * h + 1});
            sizes.push_back({3 * w, h + 2, w, h});
        }
    Digest d;
    for (const Size& s : sizes) {
        const auto source = Source(format, s.sw, s.sh, static_cast<uint32_t>(s.sw * 7 + s.sh));
        BottomUp flipped(*source);
        for (const bool bottomUpSource : {false, true})
            for (const PixelFormat target : {PixelFormat::pf32bit, PixelFormat::pf24bit, PixelFormat::pf8bit})
                for (const bool mirror : {false, true}) {
                    Bitmap dest(s.dw + 1, s.dh, target);
                    Scramble(dest, 99);
                    const gfx::Rect destRect = mirror ? gfx::Rect{s.dw, s.dh, 0, 0} : gfx::Rect{1, 0, s.dw + 1, s.dh};
                    gfx::StretchBitmap(dest, destRect, bottomUpSource ? *flipped.view : *source, {0, 0, s.sw, s.sh},
                                       mode);
                    d.Add(dest);
                }
    }
    return d.value;
}

TEST(PinnedBytes, FilteredAndPointStretch) {
    struct Pin {
        PixelFormat format;
        uint64_t highQuality, colorOnColor;
    };
    static constexpr Pin kPins[] = {
        {PixelFormat::pf1bit, 0x5885c183fb5c6221ull, 0xeb11dcf93ab1b1edull},
        {PixelFormat::pf4bit, 0x91fcbb7424ccbea1ull, 0xe83e7748bf7ee291ull},
        {PixelFormat::pf8bit, 0xc58c981ebf5443adull, 0x8b14357204cf84f1ull},
        {PixelFormat::pf16bit, 0x3895e15d93c9a89ull, 0x1d1087f987538d91ull},
        {PixelFormat::pf24bit, 0x3007e802cd6620adull, 0xf8c91ffad0c462a9ull},
        {PixelFormat::pf32bit, 0xa328b68472e35f95ull, 0x3923c0b2d8555001ull},
    };
    for (const Pin& pin : kPins) {
        ExpectPinned("high-quality stretch", pin.format, StretchDigest(pin.format, StretchMode::HighQuality),
                     pin.highQuality);
        ExpectPinned("point stretch", pin.format, StretchDigest(pin.format, StretchMode::ColorOnColor),
                     pin.colorOnColor);
    }
}

// A copy at its own width into another format, the point stretch's straight
// road, gives the bytes pixel-by-pixel conversion gives, padding and the pixels
// outside the copied rectangle included.
TEST(PinnedBytes, SameWidthCopiesIntoAnotherFormatConvertAsEachPixelWould) {
    for (const PixelFormat from : kAllFormats)
        for (const PixelFormat into : kAllFormats) {
            if (from == into) continue;
            for (const int32_t w : {1, 3, 4, 7, 33}) {
                const auto source = Source(from, w + 2, 5, static_cast<uint32_t>(w) * 31u);
                Bitmap dest(w + 3, 5, into);
                Scramble(dest, 7);
                const auto expected = dest.CloneBitmap();
                gfx::PixelCodec read(*source);
                gfx::PixelCodec write(*expected);
                for (int32_t y = 0; y < 4; ++y)
                    for (int32_t x = 0; x < w; ++x)
                        write.Write(expected->ScanLine(y + 1), x + 2, read.Read(source->ScanLine(y), x + 1));
                gfx::StretchBitmap(dest, {2, 1, w + 2, 5}, *source, {1, 0, w + 1, 4}, StretchMode::ColorOnColor);
                for (int32_t y = 0; y < 5; ++y)
                    ASSERT_EQ(std::memcmp(dest.ScanLine(y), expected->ScanLine(y), gfx::RowBytes(into, w + 3)), 0)
                        << gfx::BitsPerPixel(from) << " to " << gfx::BitsPerPixel(into) << " bits, width " << w
                        << ", row " << y;
            }
        }
}

}  // namespace
