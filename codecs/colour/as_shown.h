// The last step of every reader: decoded pixels made into the picture the
// program shows, in sRGB, on white where they are transparent, and upright.
// Untagged opaque pixels in the stored orientation come through unchanged.
#pragma once

#include <memory>

#include "codecs/colour/embedded_look.h"
#include "gfx/bitmap.h"

namespace gfx {

enum class Alpha { None, Straight };

// Blends a 32-bit BGRA bitmap (straight, not premultiplied alpha) over white
// and leaves 0xFF in the fourth byte; fully opaque pixels keep their colour.
void ComposeOnWhite(Bitmap& pixels);

// decoded is a 32-bit bitmap as the file stores it; with Alpha::Straight its
// fourth byte is the alpha, otherwise it is ignored. Returns the picture
// converted to sRGB, composed on white and turned upright.
std::unique_ptr<Bitmap> AsShown(std::unique_ptr<Bitmap> decoded, const EmbeddedLook& look, Alpha alpha);

}  // namespace gfx
