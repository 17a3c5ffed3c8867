// Reading and writing single pixels and whole rows of any bitmap format through
// one working representation: a 32-bit BGRX word (blue in the low byte, then
// green, red and a fourth byte), the layout of the device format. Indexed formats
// go through a colour table; writing them picks the nearest table entry.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/types.h"

namespace gfx {

// BGRX words and colour values (0x00BBGGRR) differ only in the order of red and blue.
constexpr uint32_t ColorToBGRX(Color c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr Color BGRXToColor(uint32_t v) {
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}
inline uint32_t QuadToBGRX(const RGBQuad& q) {
    return static_cast<uint32_t>(q.rgbBlue) | (static_cast<uint32_t>(q.rgbGreen) << 8) |
           (static_cast<uint32_t>(q.rgbRed) << 16);
}

// The value stored for pixel x of a row, as it lies in memory: an index for the
// indexed formats, the 5-5-5 word for 16 bits, the BGR(X) bytes for 24 and 32.
uint32_t LoadRaw(const uint8_t* row, int32_t x, PixelFormat format);
void StoreRaw(uint8_t* row, int32_t x, PixelFormat format, uint32_t raw);

// Whole-row fast paths between the two true-colour layouts: count BGRX pixels
// packed to BGR bytes (the fourth byte dropped), and BGR bytes widened to BGRX
// words whose fourth byte is zero. Source and destination must not overlap.
void PackBGRXToBGR(const uint8_t* src, uint8_t* dst, size_t count);
void UnpackBGRToBGRX(const uint8_t* src, uint32_t* dst, size_t count);

// The default colour tables a bitmap without palette reads its indexed pixels with.
const std::vector<RGBQuad>& DefaultColorTable(PixelFormat format);

// Converts between one bitmap format and BGRX words. Built once per operation
// (it copies the colour table and caches nearest-colour answers).
class PixelCodec {
public:
    PixelCodec(PixelFormat format, std::vector<RGBQuad> table);
    explicit PixelCodec(const Bitmap& bitmap) : PixelCodec(bitmap.Format(), bitmap.ColorTable()) {}

    PixelFormat Format() const { return format_; }
    bool Indexed() const { return indexed_; }
    const std::vector<RGBQuad>& Table() const { return table_; }

    uint32_t Decode(uint32_t raw) const;
    // The raw value that represents a BGRX word best (nearest entry, lowest index on ties).
    uint32_t Encode(uint32_t bgrx);

    uint32_t Read(const uint8_t* row, int32_t x) const { return Decode(LoadRaw(row, x, format_)); }
    void Write(uint8_t* row, int32_t x, uint32_t bgrx) { StoreRaw(row, x, format_, Encode(bgrx)); }

    // count pixels from x0 of a row into BGRX words, and back.
    void ReadRow(const uint8_t* row, int32_t x0, int32_t count, uint32_t* out) const;
    void WriteRow(uint8_t* row, int32_t x0, int32_t count, const uint32_t* in);

private:
    uint32_t Nearest(uint32_t bgrx) const;

    PixelFormat format_;
    bool indexed_;
    std::vector<RGBQuad> table_;
    std::vector<uint32_t> decoded_;  // the table as BGRX words
    std::unordered_map<uint32_t, uint32_t> nearest_;
};

}  // namespace gfx
