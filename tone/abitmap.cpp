// The tone operations. Every operation maps each byte (or each pixel's grey level)
// through a 256-entry table built once per call, which gives exactly the bytes of
// the per-byte formula while the pass over the picture stays a table look-up.
#include "tone/abitmap.h"

#include <cmath>
#include <cstddef>

#include "gfx/parallel.h"

namespace tone {

namespace {

// Runs op over every row of a 24-bit bitmap with the row's byte count, rows
// shared out over the cores (each row is changed on its own, so the bytes are
// those of one thread). Rows and bytes are counted in wide integers: a picture
// wider than 10922 pixels or taller than 32767 rows is processed to its end
// like any other.
template <typename RowOp>
void ForEachRow(gfx::Bitmap& target, RowOp op) {
    const int64_t rows = target.Height();
    const int64_t width = target.Width();
    if (rows <= 0 || width <= 0) return;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    (void)target.ScanLine(0);  // pixels of its own before several threads write them
    gfx::ForEachRowBand(rows, gfx::MinRowsPerBand(static_cast<double>(width)), [&](int64_t begin, int64_t end) {
        for (int64_t y = begin; y < end; ++y) op(target.ScanLine(static_cast<int32_t>(y)), rowBytes);
    });
}

void ApplyByteTable(gfx::Bitmap& target, const ByteTable& table) {
    ForEachRow(target, [&table](uint8_t* row, size_t bytes) {
        for (size_t i = 0; i < bytes; ++i) row[i] = table[row[i]];
    });
}

// Round to nearest, an exact half to the even neighbour. Done by hand rather than
// through the FPU's rounding mode so that no caller's fesetround can change it.
long double RoundHalfEven(long double x) {
    const long double lower = std::floor(x);
    // Exact for x >= 1 (x and its floor are within a factor of two) and for
    // 0 <= x < 1; negative values are clamped to 0 by every caller anyway.
    const long double fraction = x - lower;
    if (fraction > 0.5L) return lower + 1;
    if (fraction < 0.5L) return lower;
    return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

}  // namespace

TABitmap::TABitmap() { SetPixelFormat(gfx::PixelFormat::pf24bit); }

TABitmap::TABitmap(int32_t width, int32_t height) : gfx::Bitmap(width, height, gfx::PixelFormat::pf24bit) {}

TABitmap::~TABitmap() = default;

std::unique_ptr<gfx::Graphic> TABitmap::Clone() const {
    auto copy = std::make_unique<TABitmap>();
    copy->Assign(this);
    return copy;
}

void TABitmap::Assign(const gfx::Graphic* source) {
    gfx::Bitmap::Assign(source);
    SetPixelFormat(gfx::PixelFormat::pf24bit);
}

void TABitmap::LoadFromStream(gfx::Stream& stream) {
    gfx::Bitmap::LoadFromStream(stream);
    SetPixelFormat(gfx::PixelFormat::pf24bit);
}

int32_t TABitmap::ClampByte(int32_t value) {
    if (value > 255) return 255;
    if (value < 0) return 0;
    return value;
}

ByteTable TABitmap::ContrastTable(int32_t percent) {
    // The factor is held as a binary64 value; only the evaluation is extended.
    const double factor = static_cast<double>(percent) / 100.0;
    ByteTable table{};
    for (int v = 0; v < 256; ++v) {
        const long double value = v;
        // v - 127.5 is exact; the product and the sum are each rounded to the
        // 64-bit significand. Binary64 here would turn 130 into 130 at +20, not 131.
        const long double product = (value - 127.5L) * static_cast<long double>(factor);
        const long double x = product + value;
        const long double n = RoundHalfEven(x);
        // The range test happens on the real value, so a huge percentage cannot
        // overflow the conversion to an integer.
        const int32_t clamped = n > 255.0L ? 255 : n < 0.0L ? 0 : static_cast<int32_t>(n);
        table[v] = static_cast<uint8_t>(ClampByte(clamped));
    }
    return table;
}

ByteTable TABitmap::BrightnessTable(int16_t delta) {
    ByteTable table{};
    for (int32_t v = 0; v < 256; ++v) table[v] = static_cast<uint8_t>(ClampByte(v + int32_t{delta}));
    return table;
}

ByteTable TABitmap::MonochromeTable(uint8_t parameter) {
    // 32-bit unsigned products; the two halves meet at (127 * P) div 128 and the
    // top entry is 253 whatever P is, so no entry exceeds a byte.
    const uint32_t p = parameter;
    ByteTable table{};
    for (uint32_t i = 0; i < 128; ++i) {
        table[i] = static_cast<uint8_t>((p * i) >> 7);
        table[128 + i] = static_cast<uint8_t>((((127 - i) * p) >> 7) + ((255 * i) >> 7));
    }
    return table;
}

void TABitmap::AdjustContrast(int32_t percent, gfx::Bitmap& target) const {
    const ByteTable table = ContrastTable(percent);
    target.SetPixelFormat(gfx::PixelFormat::pf24bit);
    ApplyByteTable(target, table);
}

void TABitmap::AdjustBrightness(gfx::Bitmap& target, int16_t delta) const {
    target.SetPixelFormat(gfx::PixelFormat::pf24bit);
    ApplyByteTable(target, BrightnessTable(delta));
}

void TABitmap::ToMonochrome(gfx::Bitmap& target, uint8_t blue, uint8_t green, uint8_t red) const {
    target.SetPixelFormat(gfx::PixelFormat::pf24bit);
    const ByteTable tb = MonochromeTable(blue);
    const ByteTable tg = MonochromeTable(green);
    const ByteTable tr = MonochromeTable(red);
    ForEachRow(target, [&](uint8_t* row, size_t bytes) {
        for (size_t i = 0; i + 2 < bytes; i += 3) {
            const unsigned grey = (unsigned{row[i]} + row[i + 1] + row[i + 2]) / 3;
            row[i] = tb[grey];
            row[i + 1] = tg[grey];
            row[i + 2] = tr[grey];
        }
    });
}

}  // namespace tone
