// Turning the old 12-byte core header into the info header the engine stores.
#include <cstring>

#include "dib/header_area.h"
#include "dib/memory.h"
#include "dib/storage.h"

namespace kvdib {

void ConvertCoreHeader(DIBInfos& infos) {
    // The 3-byte colours behind the core header overlap where the 4-byte ones
    // go, so take both out before writing anything.
    gfx::BITMAPCOREHEADER core;
    std::memcpy(&core, HeaderArea(infos), sizeof(core));
    const int count = GetNumColors(core.bcBitCount);
    gfx::RGBTriple triples[256];
    std::memcpy(triples, HeaderArea(infos) + sizeof(core), sizeof(gfx::RGBTriple) * static_cast<size_t>(count));

    BITMAPINFOHEADER& h = infos.Header;
    h = BITMAPINFOHEADER{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = core.bcWidth;
    h.biHeight = core.bcHeight;
    h.biPlanes = core.bcPlanes;
    h.biBitCount = core.bcBitCount;
    h.biCompression = gfx::BI_RGB;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = gfx::kDefaultPelsPerMeter;
    h.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
    h.biClrUsed = static_cast<uint32_t>(count);
    h.biClrImportant = 0;
    for (int i = 0; i < count; ++i) {
        infos.Colors[i] = {triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
    }
}

}  // namespace kvdib
