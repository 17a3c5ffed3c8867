// The header and colour area of a DIBInfos seen as one run of bytes, as the
// loaders fill it: a raw header (core or info) followed by whatever the file puts
// behind it, before it is turned into the stored form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dib/dibinfos.h"

namespace kvdib {

static_assert(std::is_standard_layout_v<DIBInfos>);
static_assert(offsetof(DIBInfos, Colors) == offsetof(DIBInfos, Header) + sizeof(BITMAPINFOHEADER),
              "the colour table must follow the header directly");

constexpr size_t kHeaderAreaSize = sizeof(BITMAPINFOHEADER) + sizeof(RGBQuad) * kColorAreaEntries;

inline uint8_t* HeaderArea(DIBInfos& infos) {
    return reinterpret_cast<uint8_t*>(&infos) + offsetof(DIBInfos, Header);
}

}  // namespace kvdib
