// TKvGraphic: the engine's abstract graphic. It adds a native clipboard format to
// the framework's graphic and knows how to take its picture from the clipboard.
#pragma once

#include <cstdint>

#include "gfx/graphic.h"

namespace kvdib {

class TKvGraphic : public gfx::Graphic {
public:
    // The clipboard format this kind reads and writes (CF_DIB for TKvDIB).
    virtual uint16_t NativeClipboardFormat() const = 0;

    // Takes the clipboard's data in the native format (and its CF_PALETTE, which
    // the DIB ignores) and loads it; a missing format arrives as no data.
    void AssignFromClipboard(const gfx::ClipboardSource& clipboard);
};

}  // namespace kvdib
