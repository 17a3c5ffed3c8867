// Small pictures for the framework tests: bitmaps of any format whose pixels are
// all different (as far as the depth allows), and pixel-exact comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"

namespace gfxtest {

// Raw values that vary with x and y; indexed formats get a palette whose
// entries are all distinct colours.
inline std::unique_ptr<gfx::Bitmap> Numbered(int32_t w, int32_t h, gfx::PixelFormat format = gfx::pfDevice) {
    auto bitmap = std::make_unique<gfx::Bitmap>(w, h, format);
    const int bits = gfx::BitsPerPixel(format);
    if (gfx::IsIndexed(format)) {
        std::vector<gfx::PaletteEntry> entries;
        for (int i = 0; i < (1 << bits); ++i)
            entries.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 11 + 3), 0});
        bitmap->SetPalette(gfx::CreatePalette(entries));
    }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t n = static_cast<uint32_t>(y) * 7919u + static_cast<uint32_t>(x) * 131u + 17u;
            const uint32_t raw = bits >= 32 ? (n * 2654435761u) : (n * 2654435761u) >> (32 - bits);
            gfx::Color c = gfx::RGB(static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw >> 16));
            if (gfx::IsIndexed(format)) {
                const auto& e = bitmap->GetPalette()->entries[raw & ((1u << bits) - 1)];
                c = gfx::RGB(e.peRed, e.peGreen, e.peBlue);
            }
            if (format == gfx::PixelFormat::pf16bit) c &= 0xF8F8F8;
            bitmap->SetPixel(x, y, c);
        }
    return bitmap;
}

// The colours of two bitmaps are the same at every pixel (with a mapping of
// destination to source coordinates).
template <typename Map>
::testing::AssertionResult SameColours(const gfx::Bitmap& got, const gfx::Bitmap& source, Map map) {
    for (int32_t y = 0; y < got.Height(); ++y)
        for (int32_t x = 0; x < got.Width(); ++x) {
            const auto [sx, sy] = map(x, y);
            if (got.Pixel(x, y) != source.Pixel(sx, sy))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                     << got.Pixel(x, y) << ", expected " << source.Pixel(sx, sy)
                                                     << " from (" << std::dec << sx << ", " << sy << ")";
        }
    return ::testing::AssertionSuccess();
}

}  // namespace gfxtest
