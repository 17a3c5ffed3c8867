// A bitmap and a request to read it into a DIB layout, made from fuzz input, for
// the GetDIBits target. The layout (make_seeds.py writes it):
//   byte 0     bits 0-2: the bitmap's format (1 4 8 16 24 32 bits, 6 and 7 wrap);
//              bit 3: the DIB is top-down; bit 4: no room for colours is given;
//              bit 5: the header's width is one more than the bitmap's;
//              bit 6: the header asks for BI_RLE8
//   byte 1, 2  width and height, 1 to 48
//   byte 3     palette entries (0: none, the default table of the depth)
//   byte 4     the DIB's depth: 1 4 8 24 16 32, or the invalid 0 and 2
//   byte 5, 6  startScan and numScans
//   byte 7     bitsSize: below 128 exactly the image, else (byte - 128) / 128 of it
//   then 3 bytes (red, green, blue) per palette entry, then the bitmap's rows
//   byte for byte to the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_choices.h"
#include "gfx/bitmap.h"
#include "gfx/dibheaders.h"
#include "gfx/palette.h"

namespace fuzz {

struct InputRead {
    std::unique_ptr<gfx::Bitmap> bitmap;
    gfx::BITMAPINFOHEADER header;
    uint32_t startScan = 0;
    uint32_t numScans = 0;
    size_t bitsSize = 0;
    bool withColors = true;
};

inline InputRead ReadRequest(Choices& in) {
    constexpr gfx::PixelFormat kFormats[] = {gfx::PixelFormat::pf1bit,  gfx::PixelFormat::pf4bit,
                                             gfx::PixelFormat::pf8bit,  gfx::PixelFormat::pf16bit,
                                             gfx::PixelFormat::pf24bit, gfx::PixelFormat::pf32bit};
    constexpr uint16_t kDepths[] = {1, 4, 8, 24, 16, 32, 0, 2};
    InputRead r;
    const uint8_t form = in.Front();
    const int32_t width = 1 + in.Front() % 48, height = 1 + in.Front() % 48;
    const uint8_t entries = in.Front();
    r.header.biSize = sizeof(gfx::BITMAPINFOHEADER);
    r.header.biPlanes = 1;
    r.header.biBitCount = kDepths[in.Front() % 8];
    r.header.biWidth = (form & 0x20) ? width + 1 : width;
    r.header.biHeight = (form & 0x08) ? -height : height;
    r.header.biCompression = (form & 0x40) ? gfx::BI_RLE8 : gfx::BI_RGB;
    r.withColors = (form & 0x10) == 0;
    r.startScan = in.Front();
    r.numScans = in.Front();
    const uint8_t room = in.Front();
    const size_t image = ((static_cast<size_t>(width) * r.header.biBitCount + 31) / 32) * 4 * height;
    r.bitsSize = room < 128 ? image : image * (room - 128u) / 128u;

    r.bitmap = std::make_unique<gfx::Bitmap>(width, height, kFormats[(form & 7) % 6]);
    if (entries != 0) {
        std::vector<gfx::PaletteEntry> palette(entries);
        for (gfx::PaletteEntry& e : palette) {
            const uint8_t red = in.Front(), green = in.Front(), blue = in.Front();
            e = {red, green, blue, 0};
        }
        r.bitmap->SetPalette(gfx::CreatePalette(palette));
    }
    const size_t rowBytes = gfx::RowBytes(r.bitmap->Format(), width);
    for (int32_t y = 0; y < height; ++y) {
        const std::span<const uint8_t> row = in.TakeFront(rowBytes);
        if (!row.empty()) std::memcpy(r.bitmap->ScanLine(y), row.data(), row.size());
    }
    return r;
}

// The rows GetDIBits wrote into a 24-bit layout hold the bitmap's own colours:
// widening to true colour is exact from every format.
inline bool SameColours(const InputRead& r, const uint8_t* bits, int rows) {
    const gfx::Bitmap& bitmap = *r.bitmap;
    const size_t rowBytes = ((static_cast<size_t>(bitmap.Width()) * 24 + 31) / 32) * 4;
    for (int i = 0; i < rows; ++i) {
        const int32_t scan = static_cast<int32_t>(r.startScan) + i;
        const int32_t y = r.header.biHeight > 0 ? bitmap.Height() - 1 - scan : scan;
        const uint8_t* row = bits + static_cast<size_t>(i) * rowBytes;
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            const uint8_t* p = row + 3 * static_cast<size_t>(x);
            if (gfx::RGB(p[2], p[1], p[0]) != bitmap.Pixel(x, y)) return false;
        }
    }
    return true;
}

}  // namespace fuzz
