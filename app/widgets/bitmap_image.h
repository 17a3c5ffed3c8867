// The one place where the window turns a framework bitmap into something Qt can
// paint, and where the transparent overlay gets its see-through pixels.
#pragma once

#include <QImage>

#include "gfx/bitmap.h"
#include "gfx/types.h"

namespace morvi {

QImage BitmapToImage(const gfx::Bitmap& bitmap);
// The bitmap with every pixel of the given colour made fully transparent.
QImage BitmapToImageTransparent(const gfx::Bitmap& bitmap, gfx::Color transparent);

}  // namespace morvi
