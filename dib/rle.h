// The BI_RLE8 and BI_RLE4 codecs: decoding a stored compressed picture to plain
// rows, and encoding plain rows into the byte-pair stream (runs, absolute runs,
// end of line, end of bitmap). Encoders never produce more bytes than the plain
// picture occupies; a picture that would not fit raises EKvDIBCompressionFailed.
#pragma once

#include "dib/dibinfos.h"

namespace kvdib {

// A stream that ends without the end-of-bitmap escape, cleanly between two
// items, is taken as ending the bitmap there; one that stops inside an item is
// bad data like any other.
void Convert8BitRLETo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert4BitRLETo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO);

void Convert8BitRGBTo8BitRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO);
void Convert4BitRGBTo4BitRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO);

}  // namespace kvdib
