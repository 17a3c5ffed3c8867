#include "session/dib_normalise.h"

#include "dib/kvdib.h"
#include "gfx/bitmap.h"

namespace morvi {

void NormaliseThroughDIB(gfx::Picture& picture)
{
    // The bitmap becomes a device-independent copy at its own colour depth: read
    // into the engine, then written back at the DIB's depth and palette.
    kvdib::TKvDIB dib;
    dib.Assign(&picture.GetBitmap());
    dib.AssignTo(picture.GetBitmap());
}

}  // namespace morvi
