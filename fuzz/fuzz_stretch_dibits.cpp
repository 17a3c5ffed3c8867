// Draws a DIB made from the input (fuzz_dib_input.h) with the tolerant DIB
// drawing, stretched and mirrored, onto a small canvas: uncompressed rows and,
// above all, RLE8/RLE4 streams that end, jump or run anywhere.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "dib/dibfuncs.h"
#include "fuzz_common.h"
#include "fuzz_dib_input.h"
#include "gfx/canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Choices in(std::span<const uint8_t>(data, size));
    const fuzz::InputDrawing d = fuzz::ReadDrawing(in);
    gfx::Bitmap target(32, 32, d.canvasFormat);
    gfx::Canvas& canvas = target.GetCanvas();
    canvas.brushColor = gfx::RGB(40, 90, 160);
    canvas.FillRect({0, 0, 32, 32});
    canvas.stretchMode = d.highQuality ? gfx::StretchMode::HighQuality : gfx::StretchMode::ColorOnColor;
    const std::unique_ptr<gfx::Bitmap> before = target.CloneBitmap();
    fuzz::Attempt([&] {
        gfx::StretchDIBits(canvas, d.dest.left, d.dest.top, d.dest.Width(), d.dest.Height(), d.xSrc, d.ySrc, d.wSrc,
                           d.hSrc, d.bits.data(), d.bits.size(), d.Info(), gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
    });
    fuzz::Require(fuzz::SameOutside(*before, target, d.dest), "the drawing stays inside its rectangle");
    return 0;
}
