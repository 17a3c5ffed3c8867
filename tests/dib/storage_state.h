// What a loader must leave alone when it fails: a snapshot of a storage's
// visible state, taken before and compared after.
#pragma once

#include <cstring>
#include <vector>

#include "dib/storage.h"

namespace kvdib::test {

struct StorageState {
    int32_t width, height, bitsSize;
    const uint8_t* bits;
    std::vector<uint8_t> header;
    std::vector<uint8_t> pixels;

    explicit StorageState(const TKvInternalDIB& s)
        : width(s.Width), height(s.Height), bitsSize(s.DIBInfos.BitsSize), bits(s.DIBInfos.Bits),
          header(reinterpret_cast<const uint8_t*>(&s.DIBInfos.Header),
                 reinterpret_cast<const uint8_t*>(&s.DIBInfos.Header) + sizeof(s.DIBInfos.Header)),
          pixels(s.DIBInfos.Bits, s.DIBInfos.Bits + s.DIBInfos.BitsSize) {}
    bool operator==(const StorageState&) const = default;
};

// A storage holding a recognisable 3 x 2 24-bit picture, to see it survive.
inline void FillWithMarker(TKvInternalDIB& s) {
    s.FreeDIB();
    s.CreateDIB(3, 2, 0, 24);
    for (int32_t i = 0; i < s.DIBInfos.BitsSize; ++i) s.DIBInfos.Bits[i] = static_cast<uint8_t>(0xA0 + i);
}

}  // namespace kvdib::test
