// The packed little-endian structures of the Windows DIB layouts (file header,
// info header, core header) and the constants that go with them. Shared by the
// GDI-like DIB functions of this layer and by the DIB engine.
#pragma once

#include <cstdint>

#include "gfx/types.h"

namespace gfx {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

constexpr uint16_t CF_BITMAP = 2;
constexpr uint16_t CF_METAFILEPICT = 3;
constexpr uint16_t CF_DIB = 8;
// The resolution a DIB gets when it has none: 96 dots per inch.
constexpr int32_t kDefaultPelsPerMeter = 3780;
constexpr uint16_t CF_PALETTE = 9;
constexpr uint16_t CF_ENHMETAFILE = 14;

constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"

#pragma pack(push, 1)
struct BITMAPFILEHEADER {
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;
};

struct BITMAPINFOHEADER {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

struct BITMAPCOREHEADER {
    uint32_t bcSize = 0;
    uint16_t bcWidth = 0;
    uint16_t bcHeight = 0;
    uint16_t bcPlanes = 0;
    uint16_t bcBitCount = 0;
};

struct RGBTriple {
    uint8_t rgbtBlue = 0;
    uint8_t rgbtGreen = 0;
    uint8_t rgbtRed = 0;
};
#pragma pack(pop)

static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RGBTriple) == 3);

// A BITMAPINFO as GDI takes it: the header immediately followed by its colour
// table. The engine keeps room for 260 entries behind the header; functions here
// read biClrUsed entries (or the bit count's maximum when biClrUsed is 0).
struct BitmapInfoView {
    const BITMAPINFOHEADER* header = nullptr;
    const RGBQuad* colors = nullptr;  // may be null when the format has no table
    uint32_t colorCount = 0;          // entries available at colors
};

}  // namespace gfx
