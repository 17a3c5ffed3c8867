#include "codecs/colour/as_shown.h"

#include "codecs/colour/srgb.h"

namespace gfx {

void ComposeOnWhite(Bitmap& pixels) {
    if (pixels.Format() != PixelFormat::pf32bit) return;
    for (int32_t y = 0; y < pixels.Height(); ++y) {
        uint8_t* p = pixels.ScanLine(y);
        for (int32_t x = 0; x < pixels.Width(); ++x, p += 4) {
            const uint32_t a = p[3];
            if (a != 255) {
                // Rounded to the nearest value: 255 is odd, so there are no ties.
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * a + 255 * (255 - a) + 127) / 255);
            }
            p[3] = 0xFF;
        }
    }
}

std::unique_ptr<Bitmap> AsShown(std::unique_ptr<Bitmap> decoded, const EmbeddedLook& look, Alpha alpha) {
    // Colours are converted before they are blended with the white of sRGB.
    ConvertToSrgb(*decoded, look.iccProfile);
    if (alpha == Alpha::Straight) ComposeOnWhite(*decoded);
    return TurnUpright(std::move(decoded), look.orientation);
}

}  // namespace gfx
