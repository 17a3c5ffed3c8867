// Halftoning by serpentine error diffusion: any uncompressed picture (1, 4, 8 or
// 24 bits) becomes an 8-bit picture over a fixed 215-colour palette, or a 1-bit
// black-and-white picture. Used when a picture is drawn dithered.
#pragma once

#include <array>

#include "dib/dibinfos.h"

namespace kvdib {

inline constexpr std::array<uint8_t, 6> RedLevels = {0, 51, 102, 153, 204, 255};
inline constexpr std::array<uint8_t, 7> GreenLevels = {0, 43, 85, 128, 171, 214, 255};
inline constexpr std::array<uint8_t, 5> BlueLevels = {0, 64, 128, 192, 255};

namespace detail {
constexpr std::array<RGBQuad, 215> MakeHalfTonePalette() {
    std::array<RGBQuad, 215> palette{};
    for (size_t i = 0; i < RedLevels.size(); ++i)
        for (size_t j = 0; j < GreenLevels.size(); ++j)
            for (size_t k = 0; k < BlueLevels.size(); ++k)
                palette[35 * i + 5 * j + k] = RGBQuad{BlueLevels[k], GreenLevels[j], RedLevels[i], 0};
    // Maroon, olive, purple, silver and grey, which the dither never picks.
    palette[210] = RGBQuad{0, 0, 128, 0};
    palette[211] = RGBQuad{0, 128, 128, 0};
    palette[212] = RGBQuad{128, 0, 128, 0};
    palette[213] = RGBQuad{192, 192, 192, 0};
    palette[214] = RGBQuad{128, 128, 128, 0};
    return palette;
}
}  // namespace detail

// Entry 35 * i + 5 * j + k is (RedLevels[i], GreenLevels[j], BlueLevels[k]).
inline constexpr std::array<RGBQuad, 215> HalfTonePalette = detail::MakeHalfTonePalette();

// 8 bits, BI_RGB, biClrUsed 215, colours HalfTonePalette.
void ConvertToHalfTone(const DIBInfos& source, DIBInfos& dest, bool useFMO);
// 1 bit, BI_RGB, biClrUsed 2: black, white.
void ConvertToHalfToneBW(const DIBInfos& source, DIBInfos& dest, bool useFMO);

}  // namespace kvdib
