#include "dib/expand.h"

#include <array>
#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"

namespace kvdib {

namespace {

void CheckSource(const DIBInfos& source, int bitCount, const char* routine) {
    if (source.Header.biBitCount != bitCount || source.Header.biCompression != gfx::BI_RGB)
        throw EKvDIBBadDIBType(std::string(routine) + ": Invalid Bitcount & Compression Combination");
}

// Index of pixel x in a row of 1- or 4-bit pixels, left pixel in the high bits.
inline unsigned IndexAt(const uint8_t* row, int32_t x, int bits) {
    if (bits == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
}

// The shape every widening shares: check, allocate, fill row by row through
// writeRow(sourceRow, destRow, width), hand the memory over.
template <typename RowWriter>
void Expand(const DIBInfos& source, DIBInfos& dest, bool useFMO, int fromBits, int toBits, const char* routine,
            RowWriter writeRow) {
    CheckSource(source, fromBits, routine);
    const PlainLayout from = SourceLayout(source, routine);
    const PlainLayout to = LayoutFor(source.Header, toBits, routine);
    PendingPixels memory(to.size, useFMO);
    for (int32_t y = 0; y < from.rows; ++y)
        writeRow(source.Bits + y * from.stride, memory.Bits() + y * to.stride, from.width);
    dest = PlainResult(source, memory, toBits);
}

// Blue, green, red of the colour entries a picture can index, in the low three
// bytes of a word (the fourth is zero).
template <size_t N>
std::array<uint32_t, N> TrueColorTable(const DIBInfos& source) {
    std::array<uint32_t, N> table{};
    for (size_t i = 0; i < N; ++i) {
        const RGBQuad& c = ColorOf(source, static_cast<unsigned>(i));
        table[i] = c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16;
    }
    return table;
}

// Writes the colours of w indices as 3-byte pixels. Every pixel but the last is
// stored as a whole word whose fourth byte the next pixel overwrites, which is
// much cheaper than three single bytes; the last one must not touch the byte
// after the row's pixels (padding, or the end of the block).
template <typename IndexOf, size_t N>
void PutTrueColors(uint8_t* out, int32_t w, const std::array<uint32_t, N>& table, IndexOf indexOf) {
    for (int32_t x = 0; x + 1 < w; ++x) std::memcpy(out + 3 * x, &table[indexOf(x)], 4);
    std::memcpy(out + 3 * (w - 1), &table[indexOf(w - 1)], 3);
}

}  // namespace

void Convert1BitRGBTo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    Expand(source, dest, useFMO, 1, 4, "Convert1BitRGBTo4BitRGB", [](const uint8_t* in, uint8_t* out, int32_t w) {
        // An odd width leaves the low nibble of the last byte as fresh memory has it.
        for (int32_t x = 0; x < w; ++x) {
            const unsigned v = IndexAt(in, x, 1);
            if (x & 1)
                out[x >> 1] |= static_cast<uint8_t>(v);
            else
                out[x >> 1] = static_cast<uint8_t>(v << 4);
        }
    });
}

void Convert1BitRGBTo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    Expand(source, dest, useFMO, 1, 8, "Convert1BitRGBTo8BitRGB", [](const uint8_t* in, uint8_t* out, int32_t w) {
        for (int32_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(IndexAt(in, x, 1));
    });
}

void Convert4BitRGBTo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    Expand(source, dest, useFMO, 4, 8, "Convert4BitRGBTo8BitRGB", [](const uint8_t* in, uint8_t* out, int32_t w) {
        for (int32_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(IndexAt(in, x, 4));
    });
}

void Convert1BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    const auto table = TrueColorTable<2>(source);
    Expand(source, dest, useFMO, 1, 24, "Convert1BitRGBToTrueColor",
           [&table](const uint8_t* in, uint8_t* out, int32_t w) {
               PutTrueColors(out, w, table, [in](int32_t x) { return IndexAt(in, x, 1); });
           });
}

void Convert4BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    const auto table = TrueColorTable<16>(source);
    Expand(source, dest, useFMO, 4, 24, "Convert4BitRGBToTrueColor",
           [&table](const uint8_t* in, uint8_t* out, int32_t w) {
               PutTrueColors(out, w, table, [in](int32_t x) { return IndexAt(in, x, 4); });
           });
}

void Convert8BitRGBToTrueColor(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    const auto table = TrueColorTable<256>(source);
    Expand(source, dest, useFMO, 8, 24, "Convert8BitRGBToTrueColor",
           [&table](const uint8_t* in, uint8_t* out, int32_t w) {
               PutTrueColors(out, w, table, [in](int32_t x) { return in[x]; });
           });
}

}  // namespace kvdib
