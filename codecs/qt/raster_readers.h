// The raster kinds read through Qt's image readers and the image formats
// plugins: PNG, GIF (its first frame), TIFF (its first page) and WebP. Each
// decoder reads the file's orientation and colour profile with exiv2 and hands
// back the picture as the program shows it (see codecs/colour/as_shown.h).
#pragma once

#include <cstdint>
#include <span>

#include "codecs/decoded_picture.h"

namespace gfx {

Decoded DecodePng(std::span<const uint8_t> bytes);
Decoded DecodeGif(std::span<const uint8_t> bytes);
Decoded DecodeTiff(std::span<const uint8_t> bytes);
Decoded DecodeWebp(std::span<const uint8_t> bytes);

}  // namespace gfx
