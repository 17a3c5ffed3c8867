// HEIF pictures (HEIC from phones, and AVIF, which is HEIF with AV1 inside)
// through libheif: the primary image, turned and mirrored as the file's own
// transformations say (libheif applies them; a HEIF's EXIF orientation only
// repeats them and is not applied again), its colour profile converted to sRGB,
// and transparency composed on white.
#pragma once

#include <cstdint>
#include <span>

#include "codecs/decoded_picture.h"

namespace gfx {

// context names the kind in messages ("HEIF", "AVIF"). Throws EInvalidGraphic
// with libheif's reason, or EPictureTooLarge from the image's size before any
// pixel is decoded.
Decoded DecodeHeif(std::span<const uint8_t> bytes, const char* context);

}  // namespace gfx
