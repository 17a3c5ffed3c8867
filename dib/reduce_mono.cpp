#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/reduce.h"

namespace kvdib {

namespace {

constexpr int kMonoStrideBits = 1;

// The 1-bit mask: bit 1 where pixel x has exactly the chosen colour. isMono
// tells that for one pixel; the rows come out in memory order like the source.
template <typename IsMono>
void WriteMask(const DIBInfos& source, DIBInfos& dest, bool useFMO, const char* routine, IsMono isMono) {
    const PlainLayout from = SourceLayout(source, routine);
    const PlainLayout to = LayoutFor(source.Header, kMonoStrideBits, routine);
    PendingPixels memory(to.size, useFMO);
    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* in = source.Bits + y * from.stride;
        uint8_t* out = memory.Bits() + y * to.stride;
        for (int32_t x = 0; x < from.width; ++x)
            if (isMono(in, x)) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    DIBInfos result = PlainResult(source, memory, 1);
    result.Colors[0] = RGBQuad{0, 0, 0, 0};
    result.Colors[1] = RGBQuad{255, 255, 255, 0};
    result.Header.biClrUsed = 2;
    dest = result;
}

bool SameColor(const RGBQuad& c, uint32_t monoRGB) {
    return c.rgbRed == gfx::GetRValue(monoRGB) && c.rgbGreen == gfx::GetGValue(monoRGB) &&
           c.rgbBlue == gfx::GetBValue(monoRGB);
}

}  // namespace

void ConvertTrueColorTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO) {
    if (source.Header.biBitCount != 24) throw EKvDIBBadDIBType("ConvertTrueColorTo1BitRGB: Invalid Bitcount");
    const uint8_t red = gfx::GetRValue(monoRGB), green = gfx::GetGValue(monoRGB), blue = gfx::GetBValue(monoRGB);
    WriteMask(source, dest, useFMO, "ConvertTrueColorTo1BitRGB", [=](const uint8_t* row, int32_t x) {
        const uint8_t* p = row + 3 * x;
        return p[0] == blue && p[1] == green && p[2] == red;
    });
}

void Convert8BitTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO) {
    if (source.Header.biBitCount != 8 || source.Header.biCompression != gfx::BI_RGB)
        throw EKvDIBBadDIBType("Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
    bool mono[256];
    for (int i = 0; i < 256; ++i) mono[i] = SameColor(ColorOf(source, i), monoRGB);
    WriteMask(source, dest, useFMO, "Convert8BitTo1BitRGB",
              [&mono](const uint8_t* row, int32_t x) { return mono[row[x]]; });
}

void Convert4BitRGBTo1BitRGB(const DIBInfos& source, DIBInfos& dest, uint32_t monoRGB, bool useFMO) {
    if (source.Header.biBitCount != 4 || source.Header.biCompression != gfx::BI_RGB)
        throw EKvDIBBadDIBType("Convert4BitRGBTo1BitRGB: Invalid Bitcount");
    bool mono[16];
    for (int i = 0; i < 16; ++i) mono[i] = SameColor(ColorOf(source, i), monoRGB);
    WriteMask(source, dest, useFMO, "Convert4BitRGBTo1BitRGB", [&mono](const uint8_t* row, int32_t x) {
        return mono[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
    });
}

}  // namespace kvdib
