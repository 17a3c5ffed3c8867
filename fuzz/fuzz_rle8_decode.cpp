// Decodes arbitrary bytes as a BI_RLE8 stream (the first two bytes choose the
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
    fuzzrle::RoundTrip(data, size, 8, kvdib::Convert8BitRLETo8BitRGB, kvdib::Convert8BitRGBTo8BitRLE);
    return 0;
}
