// The one checked place where DIB header fields become sizes: the row size of an
// uncompressed DIB (rows padded to four bytes) and the size of its pixel data.
// Every reader, writer and allocator of DIB rows in the program computes them
// here, so that none of them trusts a width, a height or a bit count by hand.
#pragma once

#include <cstdint>
#include <optional>

namespace gfx {

// The largest pixel data a DIB may describe: its size field is signed 32 bits.
constexpr int64_t kMaxDIBBytes = 0x7FFFFFFF;

// ((width * bitCount + 31) / 32) * 4. Widths and bit counts come from 32- and
// 16-bit fields, so for 0 <= width < 2^31 and 0 <= bitCount <= 64 this cannot
// overflow 64 bits; anything else gives -1.
int64_t DIBStride(int64_t width, int64_t bitCount);

// DIBStride(width, bitCount) * rows, or nothing when width, rows or bitCount is
// not positive or the product exceeds kMaxDIBBytes.
std::optional<int32_t> CheckedDIBImageSize(int64_t width, int64_t rows, int64_t bitCount);

}  // namespace gfx
