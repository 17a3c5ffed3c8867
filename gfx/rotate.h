// Turning a bitmap by a whole number of degrees. The picture is copied to 32 bits
// a pixel and every pixel of the result is sampled from the source by inverse
// mapping (nearest neighbour, no interpolation) into the bounding box of the
// turned picture. The fourth byte of each pixel travels with it unchanged.
#pragma once

#include <memory>

#include "gfx/bitmap.h"
#include "gfx/types.h"

namespace gfx {

// Returns source turned counter-clockwise by angleDegrees (negative: clockwise) as
// a new 32-bit bitmap. Result pixels that fall outside the source take background.
// For 90, -90 and 180 every result pixel comes from the source and the size is the
// source's (with width and height swapped for a quarter turn). The source is not
// changed; on failure (too little memory) nothing is left allocated.
std::unique_ptr<Bitmap> RotateBitmap(const Bitmap& source, int angleDegrees, Color background);

}  // namespace gfx
