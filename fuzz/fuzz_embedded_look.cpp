// The metadata beside the pixels: a whole PNG, TIFF or WebP file and a JPEG's
// EXIF block read with exiv2, and the colour profile found applied with
// LittleCMS to a small picture, which is then turned by the orientation found.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/colour/as_shown.h"
#include "codecs/colour/embedded_look.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    gfx::EmbeddedLook look = gfx::ReadEmbeddedLook(bytes);
    const gfx::Orientation exif = gfx::OrientationOfExif(bytes);
    fuzz::Require(look.orientation >= 1 && look.orientation <= 8 && exif >= 1 && exif <= 8,
                  "an orientation is one of the eight");
    // The input itself as a profile too: a broken one must leave the pixels alone.
    if (look.iccProfile.empty()) look.iccProfile.assign(bytes.begin(), bytes.end());
    auto pixels = std::make_unique<gfx::Bitmap>(7, 3, gfx::PixelFormat::pf32bit);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x) pixels->SetPixel(x, y, gfx::RGB(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 100), 200));
    const std::unique_ptr<gfx::Bitmap> shown = gfx::AsShown(std::move(pixels), look, gfx::Alpha::Straight);
    fuzz::Require(shown->Width() == (gfx::SwapsSides(look.orientation) ? 3 : 7), "the upright picture has its size");
    return 0;
}
