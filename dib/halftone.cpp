#include "dib/halftone.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"

namespace kvdib {

// Serpentine error diffusion, as both halftones run it:
//   1. Keep one line of errors (a red, green, blue triple per column, plus a zero
//      border column on each side). At the start of each row copy it: the copy
//      holds the errors of the row above.
//   2. Even rows run left to right, odd rows right to left; the error carried
//      from the pixel just visited starts at zero on each row.
//   3. For each pixel and channel, S = 12 x (error above) + 12 x (carried error)
//      + 5 x (error above on the side already visited), and the adjusted value
//      is V - S / 32, truncating toward zero.
//   4. Quantise the adjusted colour (per channel to the palette levels, or black
//      or white by the sum of the channels), store level minus adjusted value as
//      this column's error and carry it to the next pixel.
// The weights take 29/32 of the error along, so it decays instead of building up.

namespace {

constexpr int kAboveWeight = 12;
constexpr int kCarriedWeight = 12;
constexpr int kDiagonalWeight = 5;
constexpr int kErrorDivisor = 32;

// Black-and-white decision: a pixel whose adjusted channels sum to at least this
// is white.
constexpr int kWhiteThreshold = 384;

inline int Adjusted(int value, int above, int carried, int diagonal) {
    const int s = kAboveWeight * above + kCarriedWeight * carried + kDiagonalWeight * diagonal;
    return value - s / kErrorDivisor;  // C++ division truncates toward zero
}

// Gives the colours of one row as blue, green, red triples whatever the source
// depth; 24-bit rows are used in place.
class RowColors {
public:
    // The bit count has been checked to be 1, 4, 8 or 24.
    RowColors(const DIBInfos& source, int32_t width) : source_(source), width_(width) {
        if (source.Header.biBitCount != 24) buffer_ = WorkBuffer<uint8_t>(static_cast<size_t>(width) * 3);
    }

    const uint8_t* Row(const uint8_t* row) {
        const int bits = source_.Header.biBitCount;
        if (bits == 24) return row;
        uint8_t* out = buffer_.get();
        for (int32_t x = 0; x < width_; ++x, out += 3) {
            unsigned index;
            if (bits == 8)
                index = row[x];
            else if (bits == 4)
                index = (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
            else
                index = (row[x >> 3] >> (7 - (x & 7))) & 1u;
            const RGBQuad& c = ColorOf(source_, index);
            out[0] = c.rgbBlue;
            out[1] = c.rgbGreen;
            out[2] = c.rgbRed;
        }
        return buffer_.get();
    }

private:
    const DIBInfos& source_;
    int32_t width_;
    std::unique_ptr<uint8_t[]> buffer_;
};

// Adjusted channel values range over -256..512 in these tables. With the level
// spacing of the palette a quantisation error never exceeds 32, so an adjusted
// value stays within 29 of its 0..255 source: far inside the tables.
constexpr int kTableLow = -256;
constexpr int kTableSize = 769;

struct ChannelTable {
    int16_t indexPart[kTableSize];  // level index times the channel's place value
    int16_t error[kTableSize];      // the level's value minus the adjusted value
};

// levelTops: the highest adjusted value of each level but the last.
template <size_t N>
ChannelTable MakeTable(const std::array<uint8_t, N>& levels, const std::array<int, N - 1>& levelTops, int place) {
    ChannelTable table{};
    size_t level = 0;
    for (int v = kTableLow; v < kTableLow + kTableSize; ++v) {
        while (level < N - 1 && v > levelTops[level]) ++level;
        table.indexPart[v - kTableLow] = static_cast<int16_t>(level * place);
        table.error[v - kTableLow] = static_cast<int16_t>(levels[level] - v);
    }
    return table;
}

// The error line of (width + 2) triples; column x uses triple x + 1.
struct ErrorLines {
    explicit ErrorLines(int32_t width)
        : count(static_cast<size_t>(width + 2) * 3), current(WorkBuffer<int16_t>(count)),
          previous(WorkBuffer<int16_t>(count)) {
        std::fill_n(current.get(), count, int16_t{0});
        std::fill_n(previous.get(), count, int16_t{0});
    }
    void StartRow() { std::memcpy(previous.get(), current.get(), count * sizeof(int16_t)); }
    size_t count;
    std::unique_ptr<int16_t[]> current;
    std::unique_ptr<int16_t[]> previous;
};

// Runs the diffusion over every pixel; quantise(x, r', g', b', errorsOut) picks
// the output for column x and fills the three errors.
template <typename Quantise>
void Diffuse(const DIBInfos& source, const PlainLayout& from, Quantise quantise) {
    RowColors colors(source, from.width);
    ErrorLines lines(from.width);
    for (int32_t y = 0; y < from.rows; ++y) {
        lines.StartRow();
        const uint8_t* row = colors.Row(source.Bits + y * from.stride);
        const int16_t* previous = lines.previous.get();
        int16_t* current = lines.current.get();
        const bool forward = (y & 1) == 0;
        // The diagonal neighbour is above on the side already visited.
        const int diagonalOffset = forward ? 0 : 2;
        int carried[3] = {0, 0, 0};
        for (int32_t step = 0; step < from.width; ++step) {
            const int32_t x = forward ? step : from.width - 1 - step;
            const uint8_t* pixel = row + 3 * x;
            const int16_t* above = previous + 3 * (x + 1);
            const int16_t* diagonal = previous + 3 * (x + diagonalOffset);
            const int red = Adjusted(pixel[2], above[0], carried[0], diagonal[0]);
            const int green = Adjusted(pixel[1], above[1], carried[1], diagonal[1]);
            const int blue = Adjusted(pixel[0], above[2], carried[2], diagonal[2]);
            quantise(y, x, red, green, blue, carried);
            int16_t* error = current + 3 * (x + 1);
            error[0] = static_cast<int16_t>(carried[0]);
            error[1] = static_cast<int16_t>(carried[1]);
            error[2] = static_cast<int16_t>(carried[2]);
        }
    }
}

void CheckPlain(const DIBInfos& source, const char* routine) {
    KVDIB_ASSERT(source.Header.biCompression == gfx::BI_RGB, std::string(routine) + ": Invalid DIB Format");
    const int bits = source.Header.biBitCount;
    KVDIB_ASSERT(bits == 1 || bits == 4 || bits == 8 || bits == 24, std::string(routine) + ": Invalid Bit Count");
}

}  // namespace

void ConvertToHalfTone(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    constexpr const char* kRoutine = "ConvertToHalfTone";
    CheckPlain(source, kRoutine);
    const PlainLayout from = SourceLayout(source, kRoutine);
    const PlainLayout to = LayoutFor(source.Header, 8, kRoutine);
    const ChannelTable red = MakeTable(RedLevels, {25, 76, 127, 178, 230}, 35);
    const ChannelTable green = MakeTable(GreenLevels, {21, 63, 106, 149, 192, 233}, 5);
    const ChannelTable blue = MakeTable(BlueLevels, {31, 95, 159, 223}, 1);
    PendingPixels memory(to.size, useFMO);
    uint8_t* bits = memory.Bits();
    Diffuse(source, from, [&](int32_t y, int32_t x, int r, int g, int b, int* errors) {
        const int ri = r - kTableLow, gi = g - kTableLow, bi = b - kTableLow;
        errors[0] = red.error[ri];
        errors[1] = green.error[gi];
        errors[2] = blue.error[bi];
        bits[y * to.stride + x] = static_cast<uint8_t>(red.indexPart[ri] + green.indexPart[gi] + blue.indexPart[bi]);
    });
    DIBInfos result = PlainResult(source, memory, 8);
    std::copy(HalfTonePalette.begin(), HalfTonePalette.end(), result.Colors);
    result.Header.biClrUsed = HalfTonePalette.size();
    dest = result;
}

void ConvertToHalfToneBW(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    constexpr const char* kRoutine = "ConvertToHalfToneBW";
    CheckPlain(source, kRoutine);
    const PlainLayout from = SourceLayout(source, kRoutine);
    const PlainLayout to = LayoutFor(source.Header, 1, kRoutine);
    PendingPixels memory(to.size, useFMO);
    uint8_t* bits = memory.Bits();
    // Errors here may reach a few thousand (the decision looks at the sum only),
    // yet the 3/32 leak per step keeps them inside 16 bits.
    Diffuse(source, from, [&](int32_t y, int32_t x, int r, int g, int b, int* errors) {
        if (r + g + b < kWhiteThreshold) {
            errors[0] = -r;
            errors[1] = -g;
            errors[2] = -b;
        } else {
            errors[0] = 255 - r;
            errors[1] = 255 - g;
            errors[2] = 255 - b;
            bits[y * to.stride + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    });
    DIBInfos result = PlainResult(source, memory, 1);
    result.Colors[0] = RGBQuad{0, 0, 0, 0};
    result.Colors[1] = RGBQuad{255, 255, 255, 0};
    result.Header.biClrUsed = 2;
    dest = result;
}

}  // namespace kvdib
