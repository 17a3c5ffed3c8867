// Small value types shared by every layer: points, rectangles, colours and the
// four-byte colour-table entry of a DIB.
#pragma once

#include <cstdint>

namespace gfx {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Edges as in GDI: right and bottom are exclusive; a rectangle may be "reversed"
// (left > right or top > bottom), which drawing operations take as a mirror.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour value laid out as 0x00BBGGRR: red in the low byte.
using Color = uint32_t;
constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clAqua = 0xFFFF00;
constexpr uint8_t GetRValue(Color c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GetGValue(Color c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(Color c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr Color RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

#pragma pack(push, 1)
// One colour-table entry of a DIB, in file order.
struct RGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    friend bool operator==(const RGBQuad&, const RGBQuad&) = default;
};
#pragma pack(pop)
static_assert(sizeof(RGBQuad) == 4);

}  // namespace gfx
