#include "gfx/pixel_budget.h"

#include <cstdlib>

#include "gfx/byte_reader.h"
#include "gfx/dibheaders.h"

namespace gfx {

EPictureTooLarge::EPictureTooLarge(const std::string& context, int64_t width, int64_t height)
    : EInvalidGraphic(context + ": Picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels, at most " + std::to_string(kMaxPicturePixels) + ")"),
      width_(width),
      height_(height) {}

bool FitsPictureBudget(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return true;
    // Sides come from 32-bit fields at most, so the product cannot overflow; a
    // caller with wider values is refused as too large rather than wrapped.
    int64_t pixels = 0;
    if (__builtin_mul_overflow(width, height, &pixels)) return false;
    return pixels <= kMaxPicturePixels;
}

void CheckPictureBudget(int64_t width, int64_t height, const std::string& context) {
    if (!FitsPictureBudget(width, height)) throw EPictureTooLarge(context, width, height);
}

void CheckClaimedDibSize(std::span<const uint8_t> packed, const std::string& context) {
    ByteReader reader(packed);
    uint32_t headerSize = 0;
    if (!reader.ReadU32(headerSize) || !reader.Seek(0)) return;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        if (reader.ReadStruct(core)) CheckPictureBudget(core.bcWidth, core.bcHeight, context);
    } else if (headerSize >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER info;
        if (reader.ReadStruct(info)) CheckPictureBudget(info.biWidth, std::abs(int64_t{info.biHeight}), context);
    }
}

}  // namespace gfx
