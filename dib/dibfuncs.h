// GDI-like functions between DIB memory (header, colour table, bits) and
// bitmaps: reading a bitmap's pixels into a DIB layout, drawing DIB bits
// stretched onto a canvas (uncompressed 1/4/8/24 bits and RLE4/RLE8), and making
// a bitmap that views DIB memory in place (a DIB section).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gfx/dibheaders.h"
#include "gfx/types.h"

namespace gfx {

class Bitmap;
class Canvas;

// GetDIBits: fills bits with numScans rows of the bitmap from startScan, in the
// layout the header asks for (biBitCount 1, 4, 8, 24; biHeight > 0 bottom-up,
// < 0 top-down; rows padded to 4 bytes); writes the bitmap's colour table into
// colors for indexed depths (room for 256 entries must be there). bitsSize bounds
// what is written. Returns the number of rows copied, 0 on failure.
int GetDIBits(const Bitmap& bitmap, uint32_t startScan, uint32_t numScans, void* bits, size_t bitsSize,
              const BITMAPINFOHEADER& header, RGBQuad* colors);

// StretchDIBits: draws source rectangle (xSrc, ySrc, wSrc, hSrc) of the DIB into
// (xDest, yDest, wDest, hDest) of the canvas (negative widths/heights mirror),
// with the canvas's stretch mode (COLORONCOLOR for the engine's Render). The
// source rectangle is in DIB coordinates with y = 0 the top row, as GDI takes it
// for top-down and bottom-up DIBs alike. RLE data is decoded leniently, as GDI
// does (pixels the stream never sets stay index 0); nothing is read past
// bitsSize. Returns the number of rows drawn, 0 on failure (bad header).
int StretchDIBits(Canvas& canvas, int32_t xDest, int32_t yDest, int32_t wDest, int32_t hDest, int32_t xSrc,
                  int32_t ySrc, int32_t wSrc, int32_t hSrc, const void* bits, size_t bitsSize,
                  const BitmapInfoView& info, uint32_t usage, uint32_t rop);

// CreateDIBSection over existing memory: a bitmap whose pixels are the DIB's
// bits (1, 4, 8 or 24 bits, BI_RGB only; bottom-up DIBs get a negative stride).
// Returns null for any other header (RLE data cannot be drawn on).
std::unique_ptr<Bitmap> CreateDIBSection(const BitmapInfoView& info, void* bits, size_t bitsSize);

}  // namespace gfx
