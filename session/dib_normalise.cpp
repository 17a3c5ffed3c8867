#include "session/dib_normalise.h"

#include "dib/kvdib.h"
#include "gfx/bitmap.h"

namespace morvi {

void NormaliseThroughDIB(gfx::Picture& picture)
{
    gfx::Bitmap& bitmap = picture.GetBitmap();
    // A device picture (32 bits, no palette: every picture drawn on the working
    // image) comes back from the engine as the same colours at 24 bits, nothing
    // else. That is done here directly, sparing two passes of every pixel through
    // the engine's shared memory; a test pins it to the engine's own result.
    if (bitmap.Format() == gfx::PixelFormat::pf32bit && !bitmap.GetPalette()) {
        bitmap.SetPixelFormat(gfx::PixelFormat::pf24bit);
        return;
    }
    // Any other bitmap becomes a device-independent copy at its own colour depth:
    // read into the engine, then written back at the DIB's depth and palette.
    kvdib::TKvDIB dib;
    dib.Assign(&bitmap);
    dib.AssignTo(bitmap);
}

}  // namespace morvi
