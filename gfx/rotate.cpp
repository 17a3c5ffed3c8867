// Rotation by inverse mapping in 80-bit extended precision. The sample point is
// advanced incrementally (two additions a pixel) instead of being recomputed, and
// that accumulation is part of the result: the same steps in the same precision
// must be kept for the same picture to give the same bytes.
#include "gfx/rotate.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/exceptions.h"
#include "gfx/parallel.h"

namespace gfx {

namespace {

// Floor of a sample coordinate as an integer. The coordinates stay within the sum
// of both pictures' sides, far inside the int64 range, so the truncating
// conversion is defined; one compare turns truncation into floor.
int64_t FloorToInt(long double value) {
    auto truncated = static_cast<int64_t>(value);
    if (static_cast<long double>(truncated) > value) --truncated;
    return truncated;
}

// Floor of a coordinate that moves by at most one a step. Converting an extended
// value to an integer costs a change of the x87 control word each time; the
// moving coordinate instead keeps its floor and adjusts it by comparisons, which
// gives exactly Floor(value) for every value it is shown.
class FloorTracker {
public:
    explicit FloorTracker(long double value) : floor_(FloorToInt(value)), base_(static_cast<long double>(floor_)) {}
    int64_t Follow(long double value) {
        while (value >= base_ + 1) {
            base_ += 1;
            ++floor_;
        }
        while (value < base_) {
            base_ -= 1;
            --floor_;
        }
        return floor_;
    }

private:
    int64_t floor_;
    long double base_;  // floor_ as an extended value: whole numbers are exact
};

// Trunc(value) as a bitmap side, refusing a box no bitmap could hold.
int32_t SideFromExtent(long double value) {
    if (!(value < static_cast<long double>(std::numeric_limits<int32_t>::max())))
        throw EOutOfMemory("RotateBitmap: the turned picture is too large");
    return static_cast<int32_t>(value);
}

}  // namespace

std::unique_ptr<Bitmap> RotateBitmap(const Bitmap& source, int angleDegrees, Color background) {
    // 1. Pixels are blue, green, red in memory, so the colour's red and blue bytes
    //    trade places; the fourth byte of the background is 0.
    const uint8_t fill[4] = {GetBValue(background), GetGValue(background), GetRValue(background), 0};

    // 2. A 32-bit working copy, so that every pixel is one four-byte value. The
    //    source is only read, so a source that already has 32 bits is read in
    //    place: copying it would cost a full picture and change no byte.
    std::unique_ptr<Bitmap> converted;
    if (source.Format() != PixelFormat::pf32bit) {
        converted = source.CloneBitmap();
        converted->SetPixelFormat(PixelFormat::pf32bit);
    }
    const Bitmap* s = converted ? converted.get() : &source;
    const int32_t sw = s->Width();
    const int32_t sh = s->Height();

    // 3. Positive angles turn counter-clockwise on the screen, whose y axis points down.
    const long double a = -static_cast<long double>(angleDegrees) * std::numbers::pi_v<long double> / 180.0L;
    const long double cosA = std::cos(a);
    const long double sinA = std::sin(a);

    // 4. The bounding box of the turned picture, rounded to nearest.
    const long double swl = sw;
    const long double shl = sh;
    const int32_t dw = SideFromExtent(std::fabs(swl * cosA) + std::fabs(shl * sinA) + 0.5L);
    const int32_t dh = SideFromExtent(std::fabs(swl * sinA) + std::fabs(shl * cosA) + 0.5L);
    auto d = std::make_unique<Bitmap>(dw, dh, PixelFormat::pf32bit);
    if (dw == 0 || dh == 0) return d;

    // Row starts of the source, looked up once instead of per sample.
    std::vector<const uint8_t*> sourceRows(static_cast<size_t>(sh));
    for (int32_t y = 0; y < sh; ++y) sourceRows[static_cast<size_t>(y)] = s->ScanLine(y);

    // 5./6. Source point of D's pixel (0, 0), from the centre of that pixel relative
    //    to D's centre; then steps of (cos a, -sin a) to the right and
    //    (sin a, cos a) down, all in extended precision.
    const long double dx0 = 0.5L - static_cast<long double>(dw) / 2;
    const long double dy0 = 0.5L - static_cast<long double>(dh) / 2;
    const long double firstX = swl / 2 + dx0 * cosA + dy0 * sinA;
    const long double firstY = shl / 2 - dx0 * sinA + dy0 * cosA;
    uint8_t* const rows = d->ScanLine(0);
    const ptrdiff_t stride = d->Stride();
    // Rows are shared out over the cores. Each band finds its first row's start
    // by the same additions one thread would have made, so that every sample
    // lands where it would on one thread.
    ForEachRowBand(dh, MinRowsPerBand(dw), [&](int64_t begin, int64_t end) {
        long double rowX = firstX;
        long double rowY = firstY;
        for (int64_t j = 0; j < begin; ++j) {
            rowX += sinA;
            rowY += cosA;
        }
        for (int64_t j = begin; j < end; ++j) {
            uint8_t* out = rows + static_cast<ptrdiff_t>(j) * stride;
            long double x = rowX;
            long double y = rowY;
            FloorTracker floorX(x);
            FloorTracker floorY(y);
            for (int32_t i = 0; i < dw; ++i, out += 4) {
                const int64_t fx = floorX.Follow(x);
                const int64_t fy = floorY.Follow(y);
                if (fx >= 0 && fx < sw && fy >= 0 && fy < sh)
                    std::memcpy(out, sourceRows[static_cast<size_t>(fy)] + fx * 4, 4);
                else
                    std::memcpy(out, fill, 4);
                x += cosA;
                y -= sinA;
            }
            rowX += sinA;
            rowY += cosA;
        }
    });
    return d;
}

}  // namespace gfx
