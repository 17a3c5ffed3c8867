// Builds BMP files and packed DIBs byte by byte for the loader tests, so that
// each test states exactly which header field it bends.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "gfx/types.h"

namespace kvdib::test {

struct BmpSpec {
    uint16_t type = 0x4D42;
    uint32_t headerSize = 40;  // 40: info header, 12: core header, anything else: 40 bytes written
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPels = 2835;
    int32_t yPels = 2835;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
    std::vector<uint32_t> masks;          // written right behind an info header
    std::vector<gfx::RGBQuad> colors;     // 4 bytes each (3 behind a core header)
    std::vector<uint8_t> pixels;
    size_t gap = 0;                       // bytes between the colours and the pixels
    std::optional<uint32_t> offBits;      // default: where the pixels really start
    std::optional<uint32_t> fileSize;     // default: offBits + pixels
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Header, masks and colours, without pixels.
inline std::vector<uint8_t> HeaderPart(const BmpSpec& s) {
    std::vector<uint8_t> out;
    Put32(out, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, static_cast<uint32_t>(s.width));
        Put16(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
        for (const gfx::RGBQuad& c : s.colors) {
            out.push_back(c.rgbBlue), out.push_back(c.rgbGreen), out.push_back(c.rgbRed);
        }
        return out;
    }
    Put32(out, static_cast<uint32_t>(s.width));
    Put32(out, static_cast<uint32_t>(s.height));
    Put16(out, s.planes);
    Put16(out, s.bitCount);
    Put32(out, s.compression);
    Put32(out, s.sizeImage);
    Put32(out, static_cast<uint32_t>(s.xPels));
    Put32(out, static_cast<uint32_t>(s.yPels));
    Put32(out, s.clrUsed);
    Put32(out, s.clrImportant);
    for (uint32_t m : s.masks) Put32(out, m);
    for (const gfx::RGBQuad& c : s.colors) {
        out.push_back(c.rgbBlue), out.push_back(c.rgbGreen), out.push_back(c.rgbRed), out.push_back(c.rgbReserved);
    }
    return out;
}

inline std::vector<uint8_t> PackedDib(const BmpSpec& s) {
    std::vector<uint8_t> out = HeaderPart(s);
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

inline std::vector<uint8_t> BmpFile(const BmpSpec& s) {
    const std::vector<uint8_t> header = HeaderPart(s);
    const uint32_t offBits = s.offBits.value_or(static_cast<uint32_t>(14 + header.size() + s.gap));
    const uint32_t fileSize = s.fileSize.value_or(offBits + static_cast<uint32_t>(s.pixels.size()));
    std::vector<uint8_t> out;
    Put16(out, s.type);
    Put32(out, fileSize);
    Put32(out, 0);
    Put32(out, offBits);
    out.insert(out.end(), header.begin(), header.end());
    out.resize(out.size() + s.gap, 0xEE);
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// n distinct colours: entry i = (blue i, green 255 - i, red i / 2).
inline std::vector<gfx::RGBQuad> Ramp(size_t n) {
    std::vector<gfx::RGBQuad> colors(n);
    for (size_t i = 0; i < n; ++i) {
        colors[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0};
    }
    return colors;
}

// count bytes of a recognisable pattern.
inline std::vector<uint8_t> Pattern(size_t count, uint8_t seed = 1) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

// 16-bit pixels little-endian, rows padded to four bytes.
inline std::vector<uint8_t> Rows16(const std::vector<std::vector<uint16_t>>& rows) {
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        for (uint16_t v : row) Put16(out, v);
        while (out.size() % 4 != 0) out.push_back(0);
    }
    return out;
}

inline std::vector<uint8_t> Rows32(const std::vector<std::vector<uint32_t>>& rows) {
    std::vector<uint8_t> out;
    for (const auto& row : rows)
        for (uint32_t v : row) Put32(out, v);
    return out;
}

}  // namespace kvdib::test
