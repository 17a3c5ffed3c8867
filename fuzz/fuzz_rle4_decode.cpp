// Decodes arbitrary bytes as a BI_RLE4 stream (the first two bytes choose the
// picture's width and height), then checks that what was accepted survives
// encoding and decoding again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dib/memory.h"
#include "dib/rle.h"
#include "fuzz_rle_common.h"
#include "gfx/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzrle::RoundTrip(data, size, 4, kvdib::Convert4BitRLETo4BitRGB, kvdib::Convert4BitRGBTo4BitRLE);
    return 0;
}
