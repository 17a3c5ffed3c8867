// What a picture file says, beside its pixels, about how they are to be shown:
// the EXIF orientation and the embedded colour profile. Read with exiv2, from a
// JPEG's EXIF block or from a whole PNG, TIFF or WebP file. Metadata that cannot
// be read counts as absent: a picture whose pixels decode is never refused for
// its metadata.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codecs/colour/orientation.h"

namespace gfx {

struct EmbeddedLook {
    Orientation orientation = kUpright;
    std::vector<uint8_t> iccProfile;  // empty: the pixels are sRGB
};

// The orientation of an EXIF block as a JPEG's APP1 marker holds it ("Exif\0\0"
// and a TIFF structure) or as PNG and WebP hold it (the TIFF structure alone).
Orientation OrientationOfExif(std::span<const uint8_t> exif);
// The orientation and the colour profile of a whole PNG, TIFF or WebP file.
EmbeddedLook ReadEmbeddedLook(std::span<const uint8_t> file);

}  // namespace gfx
