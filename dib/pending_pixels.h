// Pixel memory on its way into a DIBInfos: taken with GetMemory, given back with
// ReleaseMemory unless it has been handed over, so that every failure between
// allocating and installing leaves nothing behind.
#pragma once

#include <cstdint>

#include "dib/dibinfos.h"
#include "dib/memory.h"
#include "gfx/invariants.h"

namespace kvdib {

class PendingPixels {
public:
    PendingPixels(int32_t size, bool useFMO) : size_(size), useFMO_(useFMO) { GetMemory(size, mapping_, bits_, useFMO); }
    // Memory holding the next size bytes of from.
    PendingPixels(int32_t size, bool useFMO, gfx::Stream& from) : size_(size), useFMO_(useFMO) {
        GetMemoryFilled(size, mapping_, bits_, useFMO, &from);
    }
    // An unmap that fails here is reported, not thrown: an exception may already
    // be on its way out, and that one is the caller's.
    ~PendingPixels() {
        gfx::ReportIfThrows("PendingPixels.Destroy", [this] { ReleaseMemory(mapping_, bits_, useFMO_); });
    }
    PendingPixels(const PendingPixels&) = delete;
    PendingPixels& operator=(const PendingPixels&) = delete;

    uint8_t* Bits() const { return bits_; }
    int32_t Size() const { return size_; }

    // Gives the memory to infos (BitsSize, Mapping, Bits); this block then owns nothing.
    void HandOver(DIBInfos& infos) {
        infos.BitsSize = size_;
        infos.Mapping = mapping_;
        infos.Bits = bits_;
        mapping_ = MappingHandle{};
        bits_ = nullptr;
    }

private:
    int32_t size_;
    bool useFMO_;
    MappingHandle mapping_;
    uint8_t* bits_ = nullptr;
};

}  // namespace kvdib
