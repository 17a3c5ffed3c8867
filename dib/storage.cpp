#include "dib/storage.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>

#include "dib/errors.h"
#include "dib/memory.h"
#include "dib/pending_pixels.h"
#include "gfx/invariants.h"
#include "gfx/pixel_budget.h"

namespace kvdib {

namespace {

bool IsStoredBitCount(int32_t bitCount) { return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24; }

}  // namespace

TKvInternalDIB::TKvInternalDIB(bool useFMO) : UseFMO(useFMO) { CreateDIB(1, 1, 256, 8); }

TKvInternalDIB::~TKvInternalDIB() {
    gfx::ReportIfThrows("TKvInternalDIB.Destroy", [this] { FreeDIB(); });
}

void TKvInternalDIB::CreateDIB(int32_t width, int32_t height, int32_t colorCount, int32_t bitCount) {
    if (width <= 0 || height == 0 || colorCount < 0 || colorCount > 256 || !IsStoredBitCount(bitCount)) {
        throw EKvDIBInvalidDIBPara("TKvInternalDIB.CreateDIB: Invalid Parameters");
    }
    // |height| of INT32_MIN does not fit, and a size beyond BitsSize's range
    // could not be described; both are parameters no DIB can have.
    const std::optional<int32_t> size = CheckedDIBImageSize(width, std::abs(static_cast<int64_t>(height)), bitCount);
    if (!size) throw EKvDIBInvalidDIBPara("TKvInternalDIB.CreateDIB: Invalid Parameters");
    gfx::CheckPictureBudget(width, std::abs(static_cast<int64_t>(height)), "TKvInternalDIB.CreateDIB");

    PendingPixels block(*size, UseFMO);  // zero-filled by GetMemory
    // Callers free the old bits first; releasing any that are left keeps a
    // careless caller from leaking them.
    FreeDIB();
    block.HandOver(DIBInfos);
    Width = width;
    Height = static_cast<int32_t>(std::abs(static_cast<int64_t>(height)));

    BITMAPINFOHEADER& h = DIBInfos.Header;
    h = BITMAPINFOHEADER{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bitCount);
    h.biCompression = gfx::BI_RGB;
    h.biXPelsPerMeter = gfx::kDefaultPelsPerMeter;
    h.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
    h.biClrUsed = static_cast<uint32_t>(colorCount);
    std::fill(std::begin(DIBInfos.Colors), std::end(DIBInfos.Colors), RGBQuad{});
    PaletteChanged = true;
}

void TKvInternalDIB::FreeDIB() {
    if (DIBInfos.Bits != nullptr) {
        ReleaseMemory(DIBInfos.Mapping, DIBInfos.Bits, UseFMO);
        DIBInfos.BitsSize = 0;
        DIBInfos.Mapping = MappingHandle{};
        DIBInfos.Bits = nullptr;
    }
    PaletteHandle.reset();
}

void TKvInternalDIB::UpdatePalette() {
    KVDIB_ASSERT(RefCount == 1, "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
    PaletteHandle.reset();
    PaletteChanged = true;
}

gfx::HPALETTE TKvInternalDIB::MakePalette() const { return GetPaletteFromDIBInfos(DIBInfos); }

TKvPixelFormat TKvInternalDIB::GetPixelFormat() const {
    const uint32_t compression = DIBInfos.Header.biCompression;
    switch (DIBInfos.Header.biBitCount) {
        case 1:
            if (compression == gfx::BI_RGB) return TKvPixelFormat::kvpf1Bit;
            throw EKvDIBInvalidDIB("TKvInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
        case 4:
            if (compression == gfx::BI_RGB) return TKvPixelFormat::kvpf4Bit;
            if (compression == gfx::BI_RLE4) return TKvPixelFormat::kvpf4BitRLE;
            throw EKvDIBInvalidDIB("TKvInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
        case 8:
            if (compression == gfx::BI_RGB) return TKvPixelFormat::kvpf8Bit;
            if (compression == gfx::BI_RLE8) return TKvPixelFormat::kvpf8BitRLE;
            throw EKvDIBInvalidDIB("TKvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
        case 24:
            if (compression == gfx::BI_RGB) return TKvPixelFormat::kvpf24Bit;
            throw EKvDIBInvalidDIB("TKvInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
        default:
            throw EKvDIBInvalidDIB("TKvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

void TKvInternalDIB::Install(const kvdib::DIBInfos& loaded) {
    FreeDIB();
    DIBInfos = loaded;
    Width = loaded.Header.biWidth;
    Height = static_cast<int32_t>(std::abs(static_cast<int64_t>(loaded.Header.biHeight)));
    UpdatePalette();
}

std::unique_ptr<TKvInternalDIB> CopyForWrite(const TKvInternalDIB& source) {
    auto copy = std::make_unique<TKvInternalDIB>(source.UseFMO);
    copy->FreeDIB();
    copy->Height = source.Height;
    copy->Width = source.Width;
    copy->DIBInfos = source.DIBInfos;
    // The copied description still points at the source's memory; forget it
    // before anything can fail, so that freeing the copy never touches it.
    copy->DIBInfos.Bits = nullptr;
    copy->DIBInfos.Mapping = MappingHandle{};
    copy->UseFMO = source.UseFMO;

    PendingPixels block(source.DIBInfos.BitsSize, copy->UseFMO);
    if (source.DIBInfos.Bits != nullptr && source.DIBInfos.BitsSize > 0) {
        std::memcpy(block.Bits(), source.DIBInfos.Bits, static_cast<size_t>(source.DIBInfos.BitsSize));
    }
    block.HandOver(copy->DIBInfos);
    return copy;
}

}  // namespace kvdib
