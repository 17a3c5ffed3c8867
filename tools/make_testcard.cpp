// Writes a colourful 640 x 480 test card as a JPEG: colour bars, grey and colour
// ramps, a grid and concentric circles, so that scaling, cropping, mirroring and
// rotation can be judged by eye and by tests.
#include <cmath>
#include <cstdio>
#include <exception>

#include "codecs/jpeg.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void Paint(gfx::Bitmap& card) {
    gfx::Canvas& canvas = card.GetCanvas();
    // Top band: the eight classic bars.
    static constexpr gfx::Color bars[8] = {gfx::RGB(255, 255, 255), gfx::RGB(255, 255, 0), gfx::RGB(0, 255, 255),
                                           gfx::RGB(0, 255, 0),     gfx::RGB(255, 0, 255), gfx::RGB(255, 0, 0),
                                           gfx::RGB(0, 0, 255),     gfx::RGB(0, 0, 0)};
    for (int i = 0; i < 8; ++i) {
        canvas.brushColor = bars[i];
        canvas.FillRect({i * kWidth / 8, 0, (i + 1) * kWidth / 8, 160});
    }
    // Middle band: red, green, blue and grey ramps from left to right.
    for (int band = 0; band < 4; ++band) {
        for (int x = 0; x < kWidth; ++x) {
            const auto v = static_cast<uint8_t>(x * 255 / (kWidth - 1));
            const gfx::Color c = band == 0 ? gfx::RGB(v, 0, 0)
                               : band == 1 ? gfx::RGB(0, v, 0)
                               : band == 2 ? gfx::RGB(0, 0, v)
                                           : gfx::RGB(v, v, v);
            canvas.brushColor = c;
            canvas.FillRect({x, 160 + band * 40, x + 1, 200 + band * 40});
        }
    }
    // Bottom band: a diagonal colour wash under concentric rings.
    for (int y = 320; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x - kWidth / 2.0, dy = y - 400.0;
            const bool ring = static_cast<int>(std::sqrt(dx * dx + dy * dy)) % 16 < 3;
            card.SetPixel(x, y, ring ? gfx::RGB(255, 255, 255)
                                     : gfx::RGB(static_cast<uint8_t>(x * 255 / kWidth),
                                                static_cast<uint8_t>((y - 320) * 255 / 160),
                                                static_cast<uint8_t>(255 - x * 255 / kWidth)));
        }
    // A grid every 40 pixels over everything.
    canvas.penColor = gfx::RGB(128, 128, 128);
    for (int x = 0; x <= kWidth; x += 40) {
        canvas.MoveTo(x, 0);
        canvas.LineTo(x, kHeight);
    }
    for (int y = 0; y <= kHeight; y += 40) {
        canvas.MoveTo(0, y);
        canvas.LineTo(kWidth, y);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_testcard OUTPUT.jpg\n");
        return 2;
    }
    try {
        gfx::Bitmap card(kWidth, kHeight, gfx::PixelFormat::pf32bit);
        Paint(card);
        gfx::SaveFileAtomically(argv[1], [&card](gfx::Stream& out) { gfx::WriteJpeg(card, out); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_testcard: %s\n", e.what());
        return 1;
    }
    return 0;
}
