// TKvInternalDIB: the one place the engine keeps a device-independent bitmap (its
// header, colour table, pixel memory and a cached logical palette), shared between
// graphic objects by reference count and copied only when one of them writes.
// Also the free helpers the loaders and the graphic class use around it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "dib/dibinfos.h"
#include "gfx/palette.h"
#include "gfx/stream.h"

namespace kvdib {

class TKvInternalDIB {
public:
    // Create: a 1 x 1, 8-bit DIB with 256 black colours and one zero pixel.
    explicit TKvInternalDIB(bool useFMO);
    ~TKvInternalDIB();
    TKvInternalDIB(const TKvInternalDIB&) = delete;
    TKvInternalDIB& operator=(const TKvInternalDIB&) = delete;

    // Rebuilds the storage as a blank DIB; the caller has released any bits with
    // FreeDIB first. Bad arguments raise EKvDIBInvalidDIBPara and change nothing.
    void CreateDIB(int32_t width, int32_t height, int32_t colorCount, int32_t bitCount);
    // Releases the pixel memory and the cached palette; header and colours stay.
    void FreeDIB();
    // Drops the cached palette and marks the colours changed (RefCount must be 1).
    void UpdatePalette();
    gfx::HPALETTE MakePalette() const;
    TKvPixelFormat GetPixelFormat() const;

    // Each replaces the storage's contents only once the new picture is complete;
    // on failure the storage is unchanged and no pixel memory is left behind.
    void LoadFromStream(gfx::Stream& stream);
    void SaveToStream(gfx::Stream& stream) const;
    // block: a packed DIB (header, masks, colours, pixels; no file header).
    void LoadFromClipboardFormat(std::span<const uint8_t> block);
    std::vector<uint8_t> SaveToClipboardFormat() const;

    // Converts the pixels in place of the storage (defined with the conversions).
    void SetPixelsFormat(TKvPixelFormat newFormat, uint8_t quality, const std::function<void()>& progressProc,
                         uint32_t monoRGB);

    int32_t RefCount = 1;
    int32_t Width = 0;
    int32_t Height = 0;
    gfx::HPALETTE PaletteHandle;
    kvdib::DIBInfos DIBInfos;
    bool PaletteChanged = false;
    bool UseFMO = false;

private:
    // Installs a fully built description (its bits now owned by the storage).
    void Install(const kvdib::DIBInfos& loaded);
};

// The private copy a writer takes of a shared storage: same UseFMO, header,
// colours and a fresh copy of the bits; RefCount 1, no cached palette. The
// source is not touched (the caller drops its reference).
std::unique_ptr<TKvInternalDIB> CopyForWrite(const TKvInternalDIB& source);

// A new logical palette of the biClrUsed colours, or null when there are none.
// Raises EOutOfResources ("GetPaletteFromDIBInfos: Cannot Make Palette").
gfx::HPALETTE GetPaletteFromDIBInfos(const DIBInfos& infos);

// The shift that brings the highest set bit of mask to bit 7 (positive: right).
// mask must not be 0.
int32_t GetMaskShift(uint32_t mask);

// Turns a core header and its 3-byte colours, held at the start of the header
// area, into an info header with 4-byte colours.
void ConvertCoreHeader(DIBInfos& infos);

}  // namespace kvdib
