// A DIB and a drawing of it made from fuzz input, for the DIB drawing target.
// Every part lives in a block of exactly its size, so that a read past the
// colours or the bits is caught by the sanitizers. The layout (make_seeds.py
// writes it):
//   byte 0     bits 0-1: 0 BI_RGB, 1 BI_RLE8 (8 bits), 2 BI_RLE4 (4 bits),
//                        3 BI_BITFIELDS, which the drawing refuses;
//              bits 2-4: the depth of BI_RGB, 1 4 8 24 16 32 1 8;
//              bit 5: top-down; bit 6: hand over half the colours declared;
//              bit 7: the high-quality stretch instead of COLORONCOLOR
//   byte 1, 2  width and height, 1 to 64
//   byte 3     biClrUsed (0: as many as the depth has)
//   byte 4     the canvas's pixel format (1 4 8 16 24 32 bits)
//   byte 5-8   destination x, y, width, height (signed; negative sizes mirror)
//   byte 9-12  source x, y, width, height (signed; a size of 0 is the whole side)
//   then 4 bytes per colour entry, then the bits to the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_choices.h"
#include "gfx/bitmap.h"
#include "gfx/dibheaders.h"

namespace fuzz {

struct InputDrawing {
    gfx::BITMAPINFOHEADER header;
    std::vector<gfx::RGBQuad> colors;
    std::vector<uint8_t> bits;
    gfx::PixelFormat canvasFormat = gfx::pfDevice;
    bool highQuality = false;
    gfx::Rect dest;
    int32_t xSrc = 0, ySrc = 0, wSrc = 0, hSrc = 0;

    gfx::BitmapInfoView Info() const { return {&header, colors.data(), static_cast<uint32_t>(colors.size())}; }
};

inline InputDrawing ReadDrawing(Choices& in) {
    constexpr uint16_t kDepths[] = {1, 4, 8, 24, 16, 32, 1, 8};
    constexpr gfx::PixelFormat kCanvas[] = {gfx::PixelFormat::pf1bit,  gfx::PixelFormat::pf4bit,
                                            gfx::PixelFormat::pf8bit,  gfx::PixelFormat::pf16bit,
                                            gfx::PixelFormat::pf24bit, gfx::PixelFormat::pf32bit};
    InputDrawing d;
    const uint8_t form = in.Front();
    const uint8_t kind = form & 3;
    d.header.biSize = sizeof(gfx::BITMAPINFOHEADER);
    d.header.biPlanes = 1;
    constexpr uint32_t kCompressions[] = {gfx::BI_RGB, gfx::BI_RLE8, gfx::BI_RLE4, gfx::BI_BITFIELDS};
    d.header.biCompression = kCompressions[kind];
    d.header.biBitCount = kind == 1 ? 8 : kind == 2 ? 4 : kDepths[(form >> 2) & 7];
    d.header.biWidth = 1 + in.Front() % 64;
    const int32_t rows = 1 + in.Front() % 64;
    d.header.biHeight = (form & 0x20) ? -rows : rows;
    d.header.biClrUsed = in.Front();
    d.highQuality = (form & 0x80) != 0;
    d.canvasFormat = kCanvas[in.Front() % 6];
    const int32_t x = in.SignedFront() % 40, y = in.SignedFront() % 40;
    const int32_t w = in.SignedFront() % 65, h = in.SignedFront() % 65;
    d.dest = {x, y, x + w, y + h};
    d.xSrc = in.SignedFront() % 72;
    d.ySrc = in.SignedFront() % 72;
    const int32_t ws = in.SignedFront(), hs = in.SignedFront();
    d.wSrc = ws == 0 ? d.header.biWidth : ws;
    d.hSrc = hs == 0 ? rows : hs;

    const uint32_t table = d.header.biBitCount > 8 ? d.header.biClrUsed
                           : d.header.biClrUsed != 0 ? d.header.biClrUsed : 1u << d.header.biBitCount;
    const std::span<const uint8_t> entries = in.TakeFront(size_t{(form & 0x40) ? table / 2 : table} * 4);
    d.colors.resize(entries.size() / 4);
    if (!d.colors.empty()) std::memcpy(d.colors.data(), entries.data(), d.colors.size() * 4);
    d.bits.assign(in.Rest().begin(), in.Rest().end());
    return d;
}

// A drawing touches nothing outside its destination rectangle.
inline bool SameOutside(const gfx::Bitmap& before, const gfx::Bitmap& after, const gfx::Rect& dest) {
    const int32_t left = std::min(dest.left, dest.right), right = std::max(dest.left, dest.right);
    const int32_t top = std::min(dest.top, dest.bottom), bottom = std::max(dest.top, dest.bottom);
    for (int32_t y = 0; y < after.Height(); ++y) {
        for (int32_t x = 0; x < after.Width(); ++x) {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            if (!inside && before.Pixel(x, y) != after.Pixel(x, y)) return false;
        }
    }
    return true;
}

}  // namespace fuzz
