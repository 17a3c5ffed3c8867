#include "gfx/palette.h"

#include <algorithm>

namespace gfx {

HPALETTE CreatePalette(std::span<const PaletteEntry> entries) {
    if (entries.empty() || entries.size() > kMaxPaletteEntries) return nullptr;
    auto palette = std::make_shared<PaletteObject>();
    palette->entries.assign(entries.begin(), entries.end());
    return palette;
}

std::vector<PaletteEntry> GetPaletteEntries(const HPALETTE& palette, size_t start, size_t count) {
    if (!palette || start >= palette->entries.size()) return {};
    const size_t n = std::min(count, palette->entries.size() - start);
    return {palette->entries.begin() + static_cast<std::ptrdiff_t>(start),
            palette->entries.begin() + static_cast<std::ptrdiff_t>(start + n)};
}

HPALETTE CopyPalette(const HPALETTE& palette) {
    if (!palette) return nullptr;
    return CreatePalette(palette->entries);
}

std::vector<RGBQuad> PaletteToColorTable(const HPALETTE& palette) {
    std::vector<RGBQuad> colors;
    if (!palette) return colors;
    colors.reserve(palette->entries.size());
    for (const PaletteEntry& e : palette->entries) colors.push_back({e.peBlue, e.peGreen, e.peRed, 0});
    return colors;
}

HPALETTE ColorTableToPalette(std::span<const RGBQuad> colors) {
    std::vector<PaletteEntry> entries;
    entries.reserve(colors.size());
    for (const RGBQuad& c : colors) entries.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue, 0});
    return CreatePalette(entries);
}

}  // namespace gfx
