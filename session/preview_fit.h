// How a picture is fitted into the square preview panel: the whole-percent aspect
// ratio the session keeps, and the size and place of the preview derived from it.
// Pure arithmetic so that the window, the tests and the batch share one rule.
#pragma once

#include <cstdint>

namespace morvi {

// Width x 100 div height, truncating. A picture without height has no ratio;
// it yields 0, which every later rule treats as "no usable ratio" instead of
// dividing by it.
int32_t AspectPercentOf(int32_t width, int32_t height);

struct PreviewPlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PreviewPlacement&, const PreviewPlacement&) = default;
};

// Fits a picture of the given whole-percent ratio into the panel with a margin of
// one pixel on each side of the long edge, then centres it. The short edge comes
// from the percentage, not from the exact sizes, so a 640 x 480 picture (133 %)
// gives 398 x 299 at (1, 50). A ratio of 0 gives a preview 0 pixels wide.
PreviewPlacement FitPreview(int32_t panelWidth, int32_t panelHeight, int32_t aspectPercent);

}  // namespace morvi
