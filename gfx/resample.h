// Stretching one bitmap's rectangle onto another's. The one place that turns a
// source area into a destination area, used by Canvas::CopyRect, bitmap drawing
// and the GDI-like StretchDIBits.
#pragma once

#include "gfx/canvas.h"
#include "gfx/types.h"

namespace gfx {

class Bitmap;

// Draws src (rectangle srcRect of source) into destRect of dest with the given
// mode. Either rectangle may be reversed (mirror in that direction); dest is
// clipped, and parts of srcRect outside the source read as nothing (the
// destination keeps its pixels there). At 1:1 both modes copy pixels exactly.
// Any source format is read; dest is written in its own format.
void StretchBitmap(Bitmap& dest, const Rect& destRect, const Bitmap& source, const Rect& srcRect,
                   StretchMode mode);

}  // namespace gfx
