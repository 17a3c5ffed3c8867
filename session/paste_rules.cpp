#include "session/paste_rules.h"

namespace morvi {

namespace {

constexpr int64_t kLongSideMin = 1600;
constexpr int64_t kLongSideMax = 2000;

// The short side scaled to a new long side through ((short x 100 + 50) div long),
// a whole percentage, exactly as the size has always been computed. 64-bit
// intermediates keep absurd metafile sizes from overflowing.
int64_t ScaledShortSide(int64_t shortSide, int64_t longSide, int64_t newLongSide) {
    return ((shortSide * 100 + 50) / longSide) * newLongSide / 100;
}

}  // namespace

std::optional<PixelSize> LongSideRule(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    int64_t w = width;
    int64_t h = height;
    if (h >= w) {
        if (h > kLongSideMax) {
            w = ScaledShortSide(w, h, kLongSideMax);
            h = kLongSideMax;
        } else if (h < kLongSideMin) {
            w = ScaledShortSide(w, h, kLongSideMin);
            h = kLongSideMin;
        }
    } else {
        if (w > kLongSideMax) {
            h = ScaledShortSide(h, w, kLongSideMax);
            w = kLongSideMax;
        } else if (w < kLongSideMin) {
            h = ScaledShortSide(h, w, kLongSideMin);
            w = kLongSideMin;
        }
    }
    // A side that rounds down to nothing still gets one pixel to draw on.
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    return PixelSize{static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

}  // namespace morvi
