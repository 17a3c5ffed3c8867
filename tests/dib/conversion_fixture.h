// Small pictures for the conversion tests: a DIBInfos whose pixel memory comes
// from GetMemory and goes back at the end of the test, built from rows of bytes,
// and the readers and failure catchers the tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dib/dibinfos.h"
#include "dib/memory.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"

namespace kvdib::test {

using Bytes = std::vector<uint8_t>;
using Colors = std::vector<gfx::RGBQuad>;

inline gfx::RGBQuad Rgb(uint8_t r, uint8_t g, uint8_t b) { return gfx::RGBQuad{b, g, r, 0}; }

// A 24-bit row (blue, green, red per pixel) of the given colours.
inline Bytes Bgr(const Colors& colors) {
    Bytes row;
    for (const auto& c : colors) row.insert(row.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
    return row;
}

// Owns the pixel memory of a DIBInfos (a source built here or a result).
struct Picture {
    DIBInfos info{};
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { ReleaseMemory(info.Mapping, info.Bits, false); }

    int64_t Stride() const { return DIBStride(info.Header.biWidth, info.Header.biBitCount); }
    Bytes Row(int32_t y) const { return Bytes(info.Bits + y * Stride(), info.Bits + (y + 1) * Stride()); }
    Bytes AllBits() const { return Bytes(info.Bits, info.Bits + info.BitsSize); }
};

inline void MakeHeader(Picture& p, int32_t width, int32_t height, int bits, uint32_t compression, int32_t size) {
    p.info.Header = BITMAPINFOHEADER{40, width, height, 1, static_cast<uint16_t>(bits), compression, 0, 3780, 3780,
                                     static_cast<uint32_t>(GetNumColors(bits)), 0};
    GetMemory(size, p.info.Mapping, p.info.Bits, false);
    p.info.BitsSize = size;
}

// A plain picture; rows (memory order) are copied to the start of each padded
// row. A negative height makes it top-down. Colours, when given, set biClrUsed.
inline void MakePlain(Picture& p, int32_t width, int32_t height, int bits, const std::vector<Bytes>& rows = {},
                      const Colors& colors = {}) {
    MakeHeader(p, width, height, bits, gfx::BI_RGB, *CheckedDIBImageSize(width, std::abs(height), bits));
    if (!colors.empty()) p.info.Header.biClrUsed = static_cast<uint32_t>(colors.size());
    std::copy(colors.begin(), colors.end(), p.info.Colors);
    for (size_t y = 0; y < rows.size(); ++y) std::memcpy(p.info.Bits + y * p.Stride(), rows[y].data(), rows[y].size());
}

// A compressed picture holding the given stream.
inline void MakeRLE(Picture& p, int32_t width, int32_t height, int bits, const Bytes& stream) {
    MakeHeader(p, width, height, bits, bits == 8 ? gfx::BI_RLE8 : gfx::BI_RLE4, static_cast<int32_t>(stream.size()));
    p.info.Header.biSizeImage = static_cast<uint32_t>(stream.size());
    std::copy(stream.begin(), stream.end(), p.info.Bits);
}

// The message of the exception of type E that f throws; "" when none.
template <typename E, typename F>
std::string MessageOf(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

// The message of a failed engine assertion, without source and line.
template <typename F>
std::string AssertionOf(F f) {
    try {
        f();
    } catch (const gfx::EAssertionFailed& e) {
        return e.AssertMessage();
    }
    return "";
}

}  // namespace kvdib::test
