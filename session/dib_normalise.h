// Passing a picture through the DIB engine's graphic class: the picture's bitmap
// is read into an engine DIB and written back at the DIB's own depth and palette.
// The open dialog road, paste, rotation and the batch use it.
#pragma once

#include "gfx/picture.h"

namespace morvi {

void NormaliseThroughDIB(gfx::Picture& picture);

}  // namespace morvi
