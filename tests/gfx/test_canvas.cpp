// Canvas: filling with clipping and reversed corners, rectangles in the pen
// modes the selection band uses, and lines that leave out their end point.
#include <gtest/gtest.h>

#include <string>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"

namespace {

using gfx::Bitmap;
using gfx::Canvas;
using gfx::PenMode;

// The picture as text, one character a pixel: '.' white, 'A' aqua, 'R' red, '#' other.
std::string Picture(const Bitmap& b) {
    std::string s;
    for (int32_t y = 0; y < b.Height(); ++y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
            const gfx::Color c = b.Pixel(x, y);
            s += c == gfx::clWhite ? '.' : c == gfx::clAqua ? 'A' : c == gfx::RGB(255, 0, 0) ? 'R' : '#';
        }
        s += '\n';
    }
    return s;
}

std::unique_ptr<Bitmap> Red(int32_t w, int32_t h) {
    auto b = std::make_unique<Bitmap>(w, h);
    b->GetCanvas().brushColor = gfx::RGB(255, 0, 0);
    b->GetCanvas().FillRect({0, 0, w, h});
    return b;
}

TEST(CanvasFill, ClipsAndAcceptsReversedCorners) {
    const struct {
        gfx::Rect rect;
        const char* expected;
    } cases[] = {
        {{1, 1, 3, 2}, "RRRR\nR..R\nRRRR\n"},
        {{3, 2, 1, 1}, "RRRR\nR..R\nRRRR\n"},
        {{-5, -5, 2, 9}, "..RR\n..RR\n..RR\n"},
        {{4, 0, 9, 3}, "RRRR\nRRRR\nRRRR\n"},
        {{2, 2, 2, 3}, "RRRR\nRRRR\nRRRR\n"},
    };
    for (const auto& c : cases) {
        auto b = Red(4, 3);
        b->GetCanvas().brushColor = gfx::clWhite;
        b->GetCanvas().FillRect(c.rect);
        EXPECT_EQ(Picture(*b), c.expected) << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
                                           << c.rect.bottom;
    }
}

TEST(CanvasRectangle, DrawsTheBandAndWhiteModeErasesIt) {
    auto b = Red(6, 5);
    Canvas& canvas = b->GetCanvas();
    canvas.brushColor = gfx::clWhite;
    canvas.penColor = gfx::clAqua;
    canvas.MoveTo(4, 3);
    canvas.penMode = PenMode::Copy;
    canvas.Rectangle(4, 3, 0, 0);  // dragged up and to the left
    EXPECT_EQ(Picture(*b), "AAAARR\nA..ARR\nAAAARR\nRRRRRR\nRRRRRR\n");
    EXPECT_EQ(canvas.PenPos(), (gfx::Point{4, 3})) << "drawing keeps the anchor";

    canvas.penMode = PenMode::White;
    canvas.Rectangle(0, 0, 4, 3);
    EXPECT_EQ(Picture(*b), "....RR\n....RR\n....RR\nRRRRRR\nRRRRRR\n");

    canvas.penMode = PenMode::Copy;
    canvas.Rectangle(3, 1, 9, 9);  // clipped at the right and bottom edges
    EXPECT_EQ(Picture(*b), "....RR\n...AAA\n...A..\nRRRA..\nRRRA..\n");
}

TEST(CanvasLine, LeavesOutTheEndPointAndMovesThePen) {
    const struct {
        gfx::Point from, to;
        const char* expected;
    } cases[] = {
        {{0, 0}, {4, 0}, "AAAA.\n.....\n.....\n"},
        {{4, 2}, {0, 2}, ".....\n.....\n.AAAA\n"},
        {{0, 0}, {3, 3}, "A....\n.A...\n..A..\n"},
        {{2, 1}, {2, 1}, ".....\n.....\n.....\n"},
    };
    for (const auto& c : cases) {
        Bitmap b(5, 3);
        Canvas& canvas = b.GetCanvas();
        canvas.FillRect({0, 0, 5, 3});
        canvas.penColor = gfx::clAqua;
        canvas.MoveTo(c.from.x, c.from.y);
        canvas.LineTo(c.to.x, c.to.y);
        EXPECT_EQ(Picture(b), c.expected);
        EXPECT_EQ(canvas.PenPos(), c.to);
    }
}

}  // namespace
