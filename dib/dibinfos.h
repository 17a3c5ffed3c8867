// The engine's description of one DIB: its pixel memory, the 40-byte info header
// and a colour area of 260 entries right behind it, so that header and colours
// form a BITMAPINFO. Copied as a whole between storages, loaders and conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "gfx/dibheaders.h"
#include "gfx/types.h"

namespace kvdib {

using gfx::BITMAPINFOHEADER;
using gfx::RGBQuad;

// The mapping record behind pixel memory allocated with UseFMO: the length of
// the shared mapping (its memfd is closed once mapped). 0 for heap memory.
struct MappingHandle {
    size_t length = 0;
    friend bool operator==(const MappingHandle&, const MappingHandle&) = default;
};

constexpr int kColorAreaEntries = 260;

struct DIBInfos {
    int32_t BitsSize = 0;
    MappingHandle Mapping;
    uint8_t* Bits = nullptr;
    BITMAPINFOHEADER Header;
    RGBQuad Colors[kColorAreaEntries];

    gfx::BitmapInfoView InfoView() const {
        return {&Header, Colors, Header.biClrUsed > 256 ? 256u : Header.biClrUsed};
    }
};
static_assert(std::is_trivially_copyable_v<DIBInfos>);

enum class TKvPixelFormat : uint8_t {
    kvpf1Bit = 0,
    kvpf4Bit = 1,
    kvpf4BitRLE = 2,
    kvpf8Bit = 3,
    kvpf8BitRLE = 4,
    kvpf24Bit = 5,
    kvpfHalfTone = 6,
    kvpfHalfToneBW = 7,
};

// The member name, for tools and messages ("kvpf8BitRLE").
const char* PixelFormatName(TKvPixelFormat format);

}  // namespace kvdib
