// The logical palette of a DIB's colour table.
#include <vector>

#include "dib/errors.h"
#include "dib/storage.h"

namespace kvdib {

gfx::HPALETTE GetPaletteFromDIBInfos(const DIBInfos& infos) {
    const uint32_t count = infos.Header.biClrUsed;
    if (count == 0) return nullptr;
    // More entries than a palette can hold cannot be made; the colour area is
    // never read beyond its 260 entries either way.
    if (count > gfx::kMaxPaletteEntries) throw gfx::EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
    std::vector<gfx::PaletteEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const RGBQuad& c = infos.Colors[i];
        entries[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    gfx::HPALETTE palette = gfx::CreatePalette(entries);
    if (!palette) throw gfx::EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
    return palette;
}

}  // namespace kvdib
