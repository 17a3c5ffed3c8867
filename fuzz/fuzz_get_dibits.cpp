// Reads a bitmap of a format, size and palette picked by the input into a DIB
// layout of another depth, orientation and row range, into a block that may be
// too small (fuzz_bitmap_input.h).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "dib/dibfuncs.h"
#include "fuzz_bitmap_input.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Choices in(std::span<const uint8_t>(data, size));
    const fuzz::InputRead r = fuzz::ReadRequest(in);
    // Exactly bitsSize bytes (one at least, so that the pointer is real) and the
    // 256 colours the caller must make room for: a write past either is caught.
    std::vector<uint8_t> bits(std::max<size_t>(r.bitsSize, 1));
    std::vector<gfx::RGBQuad> colors(256);
    const int rows = gfx::GetDIBits(*r.bitmap, r.startScan, r.numScans, bits.data(), r.bitsSize, r.header,
                                    r.withColors ? colors.data() : nullptr);
    if (r.header.biBitCount == 24) {
        fuzz::Require(fuzz::SameColours(r, bits.data(), rows), "24-bit rows hold the bitmap's colours");
    }
    return 0;
}
