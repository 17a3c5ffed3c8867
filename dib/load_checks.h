// Checks both loaders make on a header before pixel memory is taken, beyond the
// ones every BMP reader makes: the picture's size must be describable, and
// uncompressed pixel data must cover every row.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "dib/dibinfos.h"
#include "dib/errors.h"
#include "dib/memory.h"

namespace kvdib {

// For 1-, 4-, 8- and 24-bit data of dataSize bytes, once the picture's size has
// passed the pixel budget. RLE data has no size to check it against and is
// taken as it is (its decoder stops at the end).
inline void CheckPixelDataSize(const BITMAPINFOHEADER& h, int64_t dataSize, const char* operation) {
    const int64_t rows = std::abs(static_cast<int64_t>(h.biHeight));
    const std::optional<int32_t> needed = CheckedDIBImageSize(h.biWidth, rows, h.biBitCount);
    if (!needed) throw EKvDIBInvalidDIB(std::string(operation) + ": Picture is too large");
    const bool rle = (h.biCompression == gfx::BI_RLE8 && h.biBitCount == 8) ||
                     (h.biCompression == gfx::BI_RLE4 && h.biBitCount == 4);
    if (!rle && dataSize < *needed) throw EKvDIBInvalidDIB(std::string(operation) + ": Pixel data is too short");
}

}  // namespace kvdib
