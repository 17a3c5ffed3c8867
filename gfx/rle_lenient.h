// RLE8 and RLE4 data read leniently, the way GDI draws it: runs and literal runs
// are cut at the row's end, a delta may move past rows, and the data may end
// anywhere; pixels the stream never reaches are left to the caller (index 0).
// Both the DIB drawing and the metafile's bitmaps read RLE through this one
// decoder. Positions are 64-bit: a stream of at most 2^31 bytes advances the
// column by at most 255 per two bytes, so they cannot wrap, and nothing is
// written outside width x height.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "gfx/byte_reader.h"

namespace gfx {

// Calls put(row, column, index) for every pixel the stream sets inside the
// picture; row 0 is the first row of the stream (the bottom row of a bottom-up
// picture). Reading stops at the end-of-picture code, at the data's end, or as
// soon as the position has left the last row.
template <class Put>
void DecodeRleLenient(std::span<const uint8_t> data, int32_t width, int32_t height, bool fourBit, Put&& put) {
    ByteReader in(data);
    int64_t x = 0, y = 0;
    // The pixels of a run that still lie left of the row's end.
    auto visible = [&](int64_t count) { return std::clamp<int64_t>(int64_t{width} - x, 0, count); };
    auto nibble = [](uint8_t byte, int64_t i) { return static_cast<uint8_t>((i & 1) ? (byte & 0x0F) : (byte >> 4)); };
    uint8_t count = 0, value = 0;
    while (y < height && in.ReadU8(count) && in.ReadU8(value)) {
        if (count > 0) {  // an encoded run of count pixels
            const int64_t shown = visible(count);
            for (int64_t i = 0; i < shown; ++i) put(y, x + i, fourBit ? nibble(value, i) : value);
            x += count;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of picture
                return;
            case 2: {  // delta: right and down
                uint8_t dx = 0, dy = 0;
                if (!in.ReadU8(dx) || !in.ReadU8(dy)) return;
                x += dx;
                y += dy;
                break;
            }
            default: {  // a literal run of value pixels, padded to a 16-bit boundary
                const size_t bytes = fourBit ? (value + 1u) / 2 : value;
                const std::span<const uint8_t> run = in.Take(std::min(bytes, in.Remaining()));
                // A run cut off by the end of the data is drawn as far as it goes.
                const int64_t present = std::min<int64_t>(value, fourBit ? 2 * int64_t(run.size()) : int64_t(run.size()));
                const int64_t shown = visible(present);
                for (int64_t i = 0; i < shown; ++i) {
                    const uint8_t byte = run[static_cast<size_t>(fourBit ? i / 2 : i)];  // i < present
                    put(y, x + i, fourBit ? nibble(byte, i) : byte);
                }
                if (present < value) return;
                x += value;
                if (bytes & 1) in.Skip(1);
                break;
            }
        }
    }
}

}  // namespace gfx
