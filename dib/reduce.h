// Colour reduction: 24-bit pictures to 8 or 4 bits with a palette of their own
// colours, in Low quality (median cut over a 5-6-5 histogram, pixels mapped by
// box) or High quality (median cut over every pixel, pixels classified by the
// tree of cuts); 8 bits to 4 bits by cutting the palette weighted by use; and
// 24, 8 or 4 bits to a 1-bit mask that is white exactly where a pixel has the
// chosen colour. The first five call progress once per leaf of their split.
#pragma once

#include <cstdint>

#include "dib/dibinfos.h"
#include "dib/progress.h"

namespace kvdib {

void ConvertTrueColorTo8BitRGBLow(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress);
void ConvertTrueColorTo4BitRGBLow(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress);
void ConvertTrueColorTo8BitRGBHigh(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress);
void ConvertTrueColorTo4BitRGBHigh(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress);
void Convert8BitRGBTo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress);

// monoRGB is a colour value 0x00BBGGRR (gfx::Color).
void ConvertTrueColorTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO);
void Convert8BitTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO);
void Convert4BitRGBTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO);

}  // namespace kvdib
