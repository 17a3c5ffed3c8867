// Writing the result of a colour reduction: packed indices in 8- or 4-bit rows,
// and the header fields every reduction sets (its palette and biClrUsed).
#pragma once

#include <cstdint>

#include "dib/convert_common.h"
#include "dib/median_cut.h"

namespace kvdib {

// Stores index at column x of an 8- or 4-bit row of fresh memory. At 4 bits an
// even column stores the whole byte and an odd one ORs into its low nibble.
inline void PutIndex(uint8_t* row, int64_t x, uint8_t index, int bits) {
    if (bits == 8)
        row[x] = index;
    else if (x & 1)
        row[x >> 1] |= index;
    else
        row[x >> 1] = static_cast<uint8_t>(index << 4);
}

// The reduction result: the source block with memory, bit count and the
// palette's entries (the entries behind them stay the source's).
inline DIBInfos ReducedResult(const DIBInfos& source, PendingPixels& memory, int bits, const PaletteBuffer& palette) {
    DIBInfos result = PlainResult(source, memory, bits);
    for (int i = 0; i < palette.Count; ++i) result.Colors[i] = palette.Entries[i];
    result.Header.biClrUsed = static_cast<uint32_t>(palette.Count);
    return result;
}

}  // namespace kvdib
