// Moving pictures between the framework's bitmaps and Qt's QImage: copies for
// the clipboard and for readers, and a view that paints a device-format bitmap
// in a widget without copying its pixels.
#pragma once

#include <QImage>
#include <memory>

#include "gfx/bitmap.h"

namespace gfx {

// A Format_RGB32 copy of any bitmap (indexed pixels through the colour table).
QImage ToQImage(const Bitmap& bitmap);
// A Format_RGB32 image that shares the pixels of a top-down 32-bit bitmap; other
// bitmaps come back as a copy. The view is valid while the bitmap lives and keeps
// its size; the fourth byte of each pixel is ignored when painting.
QImage ViewAsQImage(const Bitmap& bitmap);
// A bitmap of the image: 1-bit and 8-bit indexed images keep their depth and
// colour table, 24-bit images stay 24-bit, everything else becomes 32-bit BGRX
// (alpha, if any, is dropped; the colours are not premultiplied).
std::unique_ptr<Bitmap> FromQImage(const QImage& image);
// A 32-bit BGRX bitmap of any image; where the image has alpha, the fourth byte
// holds it, straight (not premultiplied).
std::unique_ptr<Bitmap> FromQImage32(const QImage& image);

}  // namespace gfx
