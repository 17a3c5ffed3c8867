#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/median_cut.h"
#include "dib/reduce.h"
#include "dib/reduce_output.h"

namespace kvdib {

void Convert8BitRGBTo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress) {
    constexpr const char* kRoutine = "Convert8BitRGBTo4BitRGB";
    if (source.Header.biBitCount != 8 || source.Header.biCompression != gfx::BI_RGB)
        throw EKvDIBBadDIBType(std::string(kRoutine) + ": Invalid Bitcount or Compression");
    const PlainLayout from = SourceLayout(source, kRoutine);
    const PlainLayout to = LayoutFor(source.Header, 4, kRoutine);
    PendingPixels memory(to.size, useFMO);

    // All 256 entries take part, whatever biClrUsed says; only use weighs.
    int64_t uses[256] = {};
    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* in = source.Bits + y * from.stride;
        for (int32_t x = 0; x < from.width; ++x) ++uses[in[x]];
    }
    ColorCell cells[256];
    size_t used = 0;
    for (int i = 0; i < 256; ++i) {
        if (uses[i] == 0) continue;
        const RGBQuad& c = ColorOf(source, i);
        // A picture fits 2^31 bytes, so an index is used fewer than 2^31 times.
        cells[used++] = ColorCell{c.rgbRed, c.rgbGreen, c.rgbBlue, static_cast<int32_t>(uses[i]), i};
    }
    PaletteBuffer palette;
    CutColorCells(cells, used, 4, palette, progress);
    uint8_t map[256] = {};
    for (size_t i = 0; i < used; ++i) map[cells[i].Key] = static_cast<uint8_t>(cells[i].Count);

    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* in = source.Bits + y * from.stride;
        uint8_t* out = memory.Bits() + y * to.stride;
        for (int32_t x = 0; x < from.width; ++x) PutIndex(out, x, map[in[x]], 4);
    }
    dest = ReducedResult(source, memory, 4, palette);
}

}  // namespace kvdib
