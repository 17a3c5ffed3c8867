#include "session/preview_fit.h"

namespace morvi {

int32_t AspectPercentOf(int32_t width, int32_t height)
{
    if (height == 0) return 0;
    // 64-bit so that a width beyond 21 million pixels cannot overflow the x 100.
    const int64_t percent = static_cast<int64_t>(width) * 100 / height;
    if (percent > INT32_MAX) return INT32_MAX;
    if (percent < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(percent);
}

PreviewPlacement FitPreview(int32_t panelWidth, int32_t panelHeight, int32_t aspectPercent)
{
    PreviewPlacement p;
    if (aspectPercent >= 100) {
        p.width = panelWidth - 2;
        p.height = static_cast<int32_t>(static_cast<int64_t>(panelWidth - 2) * 100 / aspectPercent);
    } else {
        // A negative ratio cannot come from a real picture; treat it as no width.
        const int64_t percent = aspectPercent < 0 ? 0 : aspectPercent;
        p.width = static_cast<int32_t>(static_cast<int64_t>(panelHeight - 2) * percent / 100);
        p.height = panelHeight - 2;
    }
    p.left = (panelWidth - p.width) / 2;
    p.top = (panelHeight - p.height) / 2;
    return p;
}

}  // namespace morvi
