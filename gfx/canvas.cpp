#include "gfx/canvas.h"

#include <algorithm>
#include <cstdlib>

#include "gfx/bitmap.h"
#include "gfx/graphic.h"
#include "gfx/pixels.h"
#include "gfx/resample.h"

namespace gfx {

namespace {

// Applies a pen mode to one stored pixel, the colour given as a BGRX word.
uint32_t Mix(PenMode mode, uint32_t dest, uint32_t colour) {
    switch (mode) {
        case PenMode::Copy: return colour;
        case PenMode::White: return 0xFFFFFF;
        case PenMode::Black: return 0;
        case PenMode::Not: return ~dest & 0xFFFFFF;
        case PenMode::Xor: return (dest ^ colour) & 0xFFFFFF;
    }
    return colour;
}

// Paints the pixels [x0, x1) of row y in a pen mode, clipped to the bitmap.
void PaintSpan(Bitmap& bitmap, PixelCodec& codec, PenMode mode, int32_t y, int32_t x0, int32_t x1, Color colour) {
    if (y < 0 || y >= bitmap.Height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, bitmap.Width());
    if (x0 >= x1) return;
    uint8_t* row = bitmap.ScanLine(y);
    const uint32_t value = ColorToBGRX(colour);
    if (mode == PenMode::Copy || mode == PenMode::White || mode == PenMode::Black) {
        const uint32_t raw = codec.Encode(Mix(mode, 0, value));
        if (codec.Format() == PixelFormat::pf32bit) {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + x0, x1 - x0, raw);
            return;
        }
        if (codec.Format() == PixelFormat::pf8bit) {
            std::fill_n(row + x0, x1 - x0, static_cast<uint8_t>(raw));
            return;
        }
        for (int32_t x = x0; x < x1; ++x) StoreRaw(row, x, codec.Format(), raw);
        return;
    }
    for (int32_t x = x0; x < x1; ++x) codec.Write(row, x, Mix(mode, codec.Read(row, x), value));
}

}  // namespace

void Canvas::FillRect(const Rect& rect) {
    PixelCodec codec(*bitmap_);
    const int32_t top = std::min(rect.top, rect.bottom), bottom = std::max(rect.top, rect.bottom);
    const int32_t left = std::min(rect.left, rect.right), right = std::max(rect.left, rect.right);
    // Every pixel is about to be written: shared pixels need not be copied first.
    if (left <= 0 && top <= 0 && right >= bitmap_->Width() && bottom >= bitmap_->Height() && bitmap_->SharesPixels())
        bitmap_->Allocate(bitmap_->Width(), bitmap_->Height(), bitmap_->Format());
    for (int32_t y = std::max(top, 0); y < std::min(bottom, bitmap_->Height()); ++y)
        PaintSpan(*bitmap_, codec, PenMode::Copy, y, left, right, brushColor);
}

void Canvas::StretchDraw(const Rect& rect, const Graphic& graphic) { graphic.Draw(*this, rect); }

void Canvas::CopyRect(const Rect& dest, const Canvas& source, const Rect& src) {
    StretchBitmap(*bitmap_, dest, source.Target(), src, stretchMode);
}

void Canvas::Plot(int32_t x, int32_t y, Color color) {
    if (x < 0 || y < 0 || x >= bitmap_->Width() || y >= bitmap_->Height()) return;
    PixelCodec codec(*bitmap_);
    PaintSpan(*bitmap_, codec, penMode, y, x, x + 1, color);
}

void Canvas::LineTo(int32_t x, int32_t y) {
    // Bresenham from the pen position, the end point left out as GDI does.
    int32_t cx = penPos_.x, cy = penPos_.y;
    // A line wholly beside the bitmap paints nothing; skip walking it.
    if (std::max(cx, x) < 0 || std::min(cx, x) >= bitmap_->Width() || std::max(cy, y) < 0 ||
        std::min(cy, y) >= bitmap_->Height()) {
        penPos_ = {x, y};
        return;
    }
    PixelCodec codec(*bitmap_);
    const int32_t dx = std::abs(x - cx), dy = -std::abs(y - cy);
    const int32_t sx = cx < x ? 1 : -1, sy = cy < y ? 1 : -1;
    int64_t error = static_cast<int64_t>(dx) + dy;
    while (cx != x || cy != y) {
        PaintSpan(*bitmap_, codec, penMode, cy, cx, cx + 1, penColor);
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            cx += sx;
        }
        if (twice <= dx) {
            error += dx;
            cy += sy;
        }
    }
    penPos_ = {x, y};
}

void Canvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t left = std::min(x1, x2), right = std::max(x1, x2);
    const int32_t top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (right <= left || bottom <= top) return;
    PixelCodec codec(*bitmap_);
    const int32_t clippedTop = std::max(top, 0), clippedBottom = std::min(bottom, bitmap_->Height());
    for (int32_t y = clippedTop; y < clippedBottom; ++y) {
        if (y == top || y == bottom - 1) {
            PaintSpan(*bitmap_, codec, penMode, y, left, right, penColor);
            continue;
        }
        PaintSpan(*bitmap_, codec, penMode, y, left, left + 1, penColor);
        PaintSpan(*bitmap_, codec, penMode, y, left + 1, right - 1, brushColor);
        if (right - 1 > left) PaintSpan(*bitmap_, codec, penMode, y, right - 1, right, penColor);
    }
}

Color Canvas::Pixel(int32_t x, int32_t y) const { return bitmap_->Pixel(x, y); }

void Canvas::SetPixel(int32_t x, int32_t y, Color color) { bitmap_->SetPixel(x, y, color); }

}  // namespace gfx
