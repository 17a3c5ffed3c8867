#include "app/main_window/selection_math.h"

#include <algorithm>
#include <cstdlib>

namespace morvi {
namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int64_t PercentFactor(int32_t output, int32_t preview)
{
    if (preview == 0) return 0;
    return static_cast<int64_t>(output) * 100 / preview;
}

}  // namespace

gfx::Point LimitToOverlay(gfx::Point point, int32_t overlayWidth, int32_t overlayHeight)
{
    return {std::min(point.x, overlayWidth - 1), std::min(point.y, overlayHeight - 1)};
}

gfx::Rect MapSelectionToOutput(gfx::Point anchor, gfx::Point point, int32_t outputWidth,
                               int32_t outputHeight, int32_t previewWidth, int32_t previewHeight)
{
    const int64_t fx = PercentFactor(outputWidth, previewWidth);
    const int64_t fy = PercentFactor(outputHeight, previewHeight);
    // fx fits in 39 bits and a coordinate in 32, so each product fits in 64 bits.
    return {Saturate(fx * anchor.x / 100), Saturate(fy * anchor.y / 100), Saturate(fx * point.x / 100),
            Saturate(fy * point.y / 100)};
}

std::string SelectionSizeText(const gfx::Rect& selection)
{
    const int64_t w = std::llabs(static_cast<int64_t>(selection.right) - selection.left);
    const int64_t h = std::llabs(static_cast<int64_t>(selection.bottom) - selection.top);
    return " " + std::to_string(w) + " x " + std::to_string(h) + " ";
}

gfx::Point PlaceSizeLabel(int32_t overlayLeft, int32_t overlayTop, int32_t overlayWidth, gfx::Point pointer,
                          int32_t labelWidth, int32_t labelHeight)
{
    const int32_t y = overlayTop + pointer.y;
    const int32_t top = y - labelHeight > 0 ? y - labelHeight : y + labelHeight;
    const int32_t x = overlayLeft + pointer.x;
    const int32_t left = x + labelWidth < overlayWidth ? x : x - labelWidth;
    return {left, top};
}

}  // namespace morvi
