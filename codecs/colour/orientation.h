// The EXIF orientation of a picture (the TIFF tag 274 and its copies in JPEG,
// PNG and WebP files): how the stored pixels are to be turned or mirrored so that
// the picture stands as it was taken. Readers apply it to their decoded pixels,
// so the rest of the program only ever sees upright pictures.
#pragma once

#include <memory>

#include "gfx/bitmap.h"

namespace gfx {

// 1: as stored; 2: mirrored left to right; 3: turned 180 degrees; 4: mirrored
// top to bottom; 5: mirrored along the main diagonal; 6: to be turned 90 degrees
// clockwise; 7: mirrored along the other diagonal; 8: to be turned 90 degrees
// counter-clockwise. Any other value counts as 1.
using Orientation = int;
constexpr Orientation kUpright = 1;

// True for 5 to 8, whose upright picture has width and height exchanged.
bool SwapsSides(Orientation orientation);

// The stored picture turned upright. A 32-bit bitmap in any other orientation
// than 1 comes back as a new bitmap of the same format; orientation 1 hands the
// bitmap back as it is.
std::unique_ptr<Bitmap> TurnUpright(std::unique_ptr<Bitmap> stored, Orientation orientation);

}  // namespace gfx
