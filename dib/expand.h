// Widening of uncompressed palette pictures: 1 bit to 4 or 8 bits and 4 bits to
// 8 bits keep the indices; 1, 4 and 8 bits to 24 bits replace each index by its
// colour. The colour table and biClrUsed travel along unchanged, also to 24 bits.
#pragma once

#include "dib/dibinfos.h"

namespace kvdib {

void Convert1BitRGBTo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert1BitRGBTo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert4BitRGBTo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert1BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert4BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert8BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO);

}  // namespace kvdib
