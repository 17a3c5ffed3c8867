#include "codecs/colour/orientation.h"

#include <cstring>

#include "gfx/exceptions.h"

namespace gfx {

bool SwapsSides(Orientation orientation) { return orientation >= 5 && orientation <= 8; }

std::unique_ptr<Bitmap> TurnUpright(std::unique_ptr<Bitmap> stored, Orientation orientation) {
    if (orientation < 2 || orientation > 8 || stored->Empty()) return stored;
    if (stored->Format() != PixelFormat::pf32bit) throw EInvalidGraphic("TurnUpright: 32-bit pixels expected");
    const int32_t w = stored->Width(), h = stored->Height();
    const int32_t uprightWidth = SwapsSides(orientation) ? h : w;
    const int32_t uprightHeight = SwapsSides(orientation) ? w : h;
    auto upright = std::make_unique<Bitmap>(uprightWidth, uprightHeight, PixelFormat::pf32bit);
    const Bitmap& in = *stored;
    // For every upright pixel (x, y), the stored pixel it comes from.
    auto source = [&](int32_t x, int32_t y) -> uint32_t {
        int32_t sx = x, sy = y;
        switch (orientation) {
            case 2: sx = w - 1 - x; break;
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;
            case 4: sy = h - 1 - y; break;
            case 5: sx = y; sy = x; break;
            case 6: sx = y; sy = h - 1 - x; break;
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;
            case 8: sx = w - 1 - y; sy = x; break;
            default: break;
        }
        uint32_t pixel;
        std::memcpy(&pixel, in.ScanLine(sy) + 4 * static_cast<size_t>(sx), 4);
        return pixel;
    };
    for (int32_t y = 0; y < uprightHeight; ++y) {
        uint8_t* row = upright->ScanLine(y);
        for (int32_t x = 0; x < uprightWidth; ++x) {
            const uint32_t pixel = source(x, y);
            std::memcpy(row + 4 * static_cast<size_t>(x), &pixel, 4);
        }
    }
    return upright;
}

}  // namespace gfx
