// Drawing on a bitmap with GDI's semantics: a brush that fills, a pen with a mode,
// a pen position, rectangles, lines, stretch-drawing of any graphic and a
// stretching rectangle copy. Edges are as in GDI: right and bottom exclusive; a
// reversed destination (or source) rectangle mirrors. Everything is clipped to
// the bitmap.
#pragma once

#include "gfx/types.h"

namespace gfx {

class Bitmap;
class Graphic;

enum class PenMode { Copy, White, Black, Not, Xor };
enum class CopyMode { SrcCopy };
// How a bitmap is resampled: nearest neighbour (GDI's COLORONCOLOR) or the
// high-quality filter (area average when reducing, smooth when enlarging). Both
// are exact copies at 1:1 and exact mirrors on reversed edges.
enum class StretchMode { ColorOnColor, HighQuality };

class Canvas {
public:
    explicit Canvas(Bitmap& bitmap) : bitmap_(&bitmap) {}

    Bitmap& Target() const { return *bitmap_; }

    Color brushColor = clWhite;
    Color penColor = clBlack;
    PenMode penMode = PenMode::Copy;
    CopyMode copyMode = CopyMode::SrcCopy;
    StretchMode stretchMode = StretchMode::HighQuality;

    // Fills the rectangle (normalised, clipped) with the brush colour.
    void FillRect(const Rect& rect);
    // Calls graphic.Draw(*this, rect).
    void StretchDraw(const Rect& rect, const Graphic& graphic);
    // Copies source rectangle src of another canvas into dest of this one, stretched;
    // a reversed src or dest mirrors. Uses stretchMode.
    void CopyRect(const Rect& dest, const Canvas& source, const Rect& src);

    Point PenPos() const { return penPos_; }
    void MoveTo(int32_t x, int32_t y) { penPos_ = {x, y}; }
    // A one-pixel line from the pen position to (x, y), excluding the end point; moves the pen.
    void LineTo(int32_t x, int32_t y);
    // GDI Rectangle: the corners are normalised; the outline covers left..right-1 and
    // top..bottom-1 in the pen colour (pen mode applied), the inside is filled with
    // the brush colour (also through the pen mode: in White mode the whole
    // rectangle becomes white). The pen position does not move.
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Rectangle(const Rect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }

    Color Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, Color color);

private:
    void Plot(int32_t x, int32_t y, Color color);  // applies the pen mode

    Bitmap* bitmap_;
    Point penPos_;
};

}  // namespace gfx
