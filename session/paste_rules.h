// The size a pasted metafile is rendered at: its long side brought into 1600 to
// 2000 pixels, the short side scaled through a whole-number percentage.
#pragma once

#include <cstdint>
#include <optional>

namespace morvi {

struct PixelSize {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// 800 x 600 -> 1600 x 1200; 1000 x 333 -> 1600 x 528; 10 x 10 -> 1680 x 1600.
// nullopt for a width or height of 0 or less, which has no long side to scale.
std::optional<PixelSize> LongSideRule(int32_t width, int32_t height);

}  // namespace morvi
