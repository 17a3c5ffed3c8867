#include "gfx/dib_layout.h"

namespace gfx {

int64_t DIBStride(int64_t width, int64_t bitCount) {
    if (width < 0 || width > 0x7FFFFFFF || bitCount < 0 || bitCount > 64) return -1;
    return ((width * bitCount + 31) / 32) * 4;
}

std::optional<int32_t> CheckedDIBImageSize(int64_t width, int64_t rows, int64_t bitCount) {
    if (width <= 0 || rows <= 0 || bitCount <= 0) return std::nullopt;
    const int64_t stride = DIBStride(width, bitCount);
    int64_t size = 0;
    // Only the product with the row count can overflow.
    if (stride < 0 || __builtin_mul_overflow(stride, rows, &size) || size > kMaxDIBBytes) return std::nullopt;
    return static_cast<int32_t>(size);
}

}  // namespace gfx
