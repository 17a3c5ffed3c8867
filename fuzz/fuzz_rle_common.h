// The shared body of the RLE decoder fuzz targets: build a compressed picture
// from the input, decode it, and when that succeeds re-encode and re-decode,
// which must give the same pixels back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dib/dibinfos.h"
#include "dib/memory.h"
#include "fuzz_common.h"

namespace fuzzrle {

using Routine = void (*)(const kvdib::DIBInfos&, kvdib::DIBInfos&, bool);

// Frees a routine's result at the end of the round.
struct Result {
    kvdib::DIBInfos info{};
    ~Result() { kvdib::ReleaseMemory(info.Mapping, info.Bits, false); }
};

inline void RoundTrip(const uint8_t* data, size_t size, int bits, Routine decode, Routine encode) {
    if (size < 2) return;
    // The stream gets its own block of exactly its size, so a read past the
    // end is caught by the sanitizers.
    std::vector<uint8_t> stream(data + 2, data + size);
    kvdib::DIBInfos source{};
    source.Header.biSize = 40;
    source.Header.biWidth = 1 + data[0] % 64;
    source.Header.biHeight = (data[1] & 0x80) ? -(1 + (data[1] & 63)) : 1 + (data[1] & 63);
    source.Header.biPlanes = 1;
    source.Header.biBitCount = static_cast<uint16_t>(bits);
    source.Header.biCompression = bits == 8 ? 1 : 2;
    source.BitsSize = static_cast<int32_t>(stream.size());
    source.Bits = stream.data();
    Result plain;
    // Bad data is rejected with an engine error.
    if (!fuzz::Attempt([&] { decode(source, plain.info, false); })) return;
    Result encoded;
    // Not every picture fits its own size compressed.
    if (!fuzz::Attempt([&] { encode(plain.info, encoded.info, false); })) return;
    Result again;
    decode(encoded.info, again.info, false);
    // The encoder writes top-down pictures bottom-up, so rows compare in the
    // order they show, not in memory order. A run may fill the spare low
    // nibble of an odd 4-bit row, which is no pixel and is not encoded.
    const int32_t width = plain.info.Header.biWidth;
    const int32_t rows = std::abs(plain.info.Header.biHeight);
    const int64_t stride = kvdib::DIBStride(width, bits);
    const bool flipped = plain.info.Header.biHeight < 0;
    fuzz::Require(again.info.BitsSize == plain.info.BitsSize && again.info.Header.biHeight == rows,
                  "the round trip keeps the picture's size");
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* a = again.info.Bits + y * stride;
        const uint8_t* b = plain.info.Bits + (flipped ? rows - 1 - y : y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const int pa = bits == 8 ? a[x] : (x & 1 ? a[x / 2] & 15 : a[x / 2] >> 4);
            const int pb = bits == 8 ? b[x] : (x & 1 ? b[x / 2] & 15 : b[x / 2] >> 4);
            fuzz::Require(pa == pb, "the round trip keeps every pixel");
        }
    }
}

}  // namespace fuzzrle
