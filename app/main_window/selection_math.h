// The arithmetic of a region drag on the preview overlay: limiting the pointer to
// the overlay, mapping overlay points to output pixels, the size label's text and
// where the label goes. Pure functions; the window only feeds them widget values.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/types.h"

namespace morvi {

// The pointer limited to the overlay's far edges only: a drag past the left or
// top edge keeps its negative coordinates.
gfx::Point LimitToOverlay(gfx::Point point, int32_t overlayWidth, int32_t overlayHeight);

// Maps the anchor and the current point from preview pixels to output pixels
// through whole-percent factors fx = outW x 100 div previewW (and fy alike). The
// result is not normalised. A preview of zero width or height gives a factor of
// 0 instead of a division by zero; results beyond 32 bits are saturated.
gfx::Rect MapSelectionToOutput(gfx::Point anchor, gfx::Point point, int32_t outputWidth,
                               int32_t outputHeight, int32_t previewWidth, int32_t previewHeight);

// " 635 x 476 ": the absolute size of the mapped rectangle, a blank on each side.
std::string SelectionSizeText(const gfx::Rect& selection);

// Where the size label goes, in panel coordinates, for a pointer at (x, y) on an
// overlay placed at (overlayLeft, overlayTop): above the pointer unless that
// would reach the panel's top, then below; right of the pointer unless its right
// edge would pass the overlay's width, then to its left. The width test compares
// with the overlay's width, not with its right edge in the panel.
gfx::Point PlaceSizeLabel(int32_t overlayLeft, int32_t overlayTop, int32_t overlayWidth, gfx::Point pointer,
                          int32_t labelWidth, int32_t labelHeight);

}  // namespace morvi
