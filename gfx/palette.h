// Logical palettes. A palette is an immutable, reference-counted object behind a
// handle; a null handle is "no palette" (0). Deleting a handle is resetting it;
// selecting and realizing a palette into a device context have nothing to do on
// this platform, so callers simply skip them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "gfx/types.h"

namespace gfx {

struct PaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

struct PaletteObject {
    std::vector<PaletteEntry> entries;
};

using HPALETTE = std::shared_ptr<const PaletteObject>;

constexpr uint16_t kPaletteVersion = 0x300;
constexpr size_t kMaxPaletteEntries = 256;

// A new palette with the given entries. Returns a null handle (creation failed)
// for zero entries or more than kMaxPaletteEntries, as GDI does; callers that
// must not fail turn that into EOutOfResources with their own message.
HPALETTE CreatePalette(std::span<const PaletteEntry> entries);

// Up to count entries starting at start; fewer (possibly none) past the end.
std::vector<PaletteEntry> GetPaletteEntries(const HPALETTE& palette, size_t start, size_t count);

// An independent palette with the same entries (null for null).
HPALETTE CopyPalette(const HPALETTE& palette);

// Colour table entries (blue, green, red, 0) from palette entries, and back.
std::vector<RGBQuad> PaletteToColorTable(const HPALETTE& palette);
HPALETTE ColorTableToPalette(std::span<const RGBQuad> colors);

}  // namespace gfx
