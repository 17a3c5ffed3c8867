// Reading and writing BMP files: a 14-byte file header, a core or info header,
// bit-field masks, the colour table and the pixel data at bfOffBits.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dib/deep_pixels.h"
#include "dib/errors.h"
#include "dib/header_area.h"
#include "dib/load_checks.h"
#include "dib/memory.h"
#include "dib/pending_pixels.h"
#include "dib/storage.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"

namespace kvdib {

namespace {

constexpr char kLoad[] = "TKvInternalDIB.LoadFromStream";
constexpr int64_t kFileHeaderSize = sizeof(gfx::BITMAPFILEHEADER);

[[noreturn]] void OffBitsTooSmall() { throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromFile: bfOffBits is too small"); }

// A short stream fails as its own read would, but before memory for the
// missing bytes is taken: a 60-byte file must not make us zero gigabytes.
void RequireStreamBytes(gfx::Stream& stream, int64_t count) {
    const int64_t position = stream.Position();
    if (count > stream.Size() - position) throw gfx::EReadError("Stream read error");
}

}  // namespace

void TKvInternalDIB::LoadFromStream(gfx::Stream& stream) {
    // The install at the end would refuse a shared storage only after replacing
    // the picture under its other holders; refuse it before anything is read.
    KVDIB_ASSERT(RefCount == 1, "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
    const int64_t start = stream.Position();
    gfx::BITMAPFILEHEADER file;
    stream.ReadBuffer(&file, sizeof(file));
    if (file.bfType != gfx::kBitmapFileType) {
        throw EKvDIBInvalidDIBFile("TKvInternalDIB.LoadFromFile: File type is invalid");
    }

    kvdib::DIBInfos loaded{};  // colour area zero: nothing in it is ever undefined
    BITMAPINFOHEADER& h = loaded.Header;
    uint32_t headerSize = 0;
    stream.ReadBuffer(&headerSize, sizeof(headerSize));
    // All offsets and sizes from the header are 64-bit here, so a huge
    // biClrUsed or a bfSize below bfOffBits cannot wrap into a plausible value.
    int64_t bitsSize = static_cast<int64_t>(file.bfSize) - static_cast<int64_t>(file.bfOffBits);

    if (headerSize == sizeof(BITMAPINFOHEADER)) {
        h.biSize = headerSize;
        stream.ReadBuffer(reinterpret_cast<uint8_t*>(&h) + sizeof(uint32_t), sizeof(h) - sizeof(uint32_t));
        if (h.biXPelsPerMeter == 0) h.biXPelsPerMeter = gfx::kDefaultPelsPerMeter;
        if (h.biYPelsPerMeter == 0) h.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
        switch (h.biBitCount) {
            case 1: case 4: case 8: case 16: case 24: case 32: break;
            default: throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid BitCout");
        }
        if (h.biClrUsed == 0) h.biClrUsed = static_cast<uint32_t>(GetNumColors(h.biBitCount));
        const int64_t n = h.biClrUsed;
        const int64_t maskBytes = h.biCompression == gfx::BI_BITFIELDS ? 12 : 0;
        // At most 3 masks and 256 colours land in the 260-entry colour area;
        // entries beyond 256 are passed over.
        auto* colorArea = reinterpret_cast<uint8_t*>(loaded.Colors);
        if (n <= 256) {
            stream.ReadBuffer(colorArea, static_cast<size_t>(maskBytes + n * 4));
        } else {
            stream.ReadBuffer(colorArea, static_cast<size_t>(maskBytes + 1024));
            stream.Seek((n - 256) * 4, gfx::SeekOrigin::Current);
        }
        if (static_cast<int64_t>(file.bfOffBits) < kFileHeaderSize + 40 + 4 * n + maskBytes) OffBitsTooSmall();
        stream.SetPosition(start + file.bfOffBits);
        if (n > 256) h.biClrUsed = 256;
    } else if (headerSize == sizeof(gfx::BITMAPCOREHEADER)) {
        uint8_t* area = HeaderArea(loaded);
        std::memcpy(area, &headerSize, sizeof(headerSize));
        stream.ReadBuffer(area + sizeof(headerSize), sizeof(gfx::BITMAPCOREHEADER) - sizeof(headerSize));
        gfx::BITMAPCOREHEADER core;
        std::memcpy(&core, area, sizeof(core));
        switch (core.bcBitCount) {
            case 1: case 4: case 8: case 24: break;
            default: throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid BitCount");
        }
        const int64_t colorBytes = 3 * static_cast<int64_t>(GetNumColors(core.bcBitCount));
        // 12 + 3 * 256 bytes fit well inside the 1080-byte header area.
        stream.ReadBuffer(area + sizeof(core), static_cast<size_t>(colorBytes));
        if (static_cast<int64_t>(file.bfOffBits) < kFileHeaderSize + 12 + colorBytes) OffBitsTooSmall();
        stream.SetPosition(start + file.bfOffBits);
        ConvertCoreHeader(loaded);
    } else {
        throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    }

    if (h.biWidth <= 0 || h.biHeight == 0) throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid Width or Height");
    // Before any pixel memory, whatever the data: RLE data has no size of its
    // own, and a few bytes of it may describe any picture.
    gfx::CheckPictureBudget(h.biWidth, std::abs(static_cast<int64_t>(h.biHeight)), kLoad);

    if (h.biBitCount == 16 || h.biBitCount == 32) {
        const DeepPixelConverter converter(loaded, kLoad);
        RequireStreamBytes(stream, converter.InputRowSize() * converter.Rows());
        PendingPixels block(converter.OutputSize(), UseFMO);
        std::vector<uint8_t> row(static_cast<size_t>(converter.InputRowSize()));
        for (int32_t r = 0; r < converter.Rows(); ++r) {
            stream.ReadBuffer(row.data(), row.size());
            converter.ConvertRow(row.data(), block.Bits() + static_cast<int64_t>(r) * converter.OutputStride());
        }
        converter.FinishHeader(loaded);
        block.HandOver(loaded);
    } else {
        if (bitsSize < 0) throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: bfSize is smaller than bfOffBits");
        if (bitsSize > kMaxDIBBytes) throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Picture is too large");
        CheckPixelDataSize(h, bitsSize, kLoad);
        RequireStreamBytes(stream, bitsSize);
        PendingPixels block(static_cast<int32_t>(bitsSize), UseFMO, stream);
        block.HandOver(loaded);
    }
    Install(loaded);
}

void TKvInternalDIB::SaveToStream(gfx::Stream& stream) const {
    const uint32_t colors = DIBInfos.Header.biClrUsed;
    KVDIB_ASSERT(colors <= 256, "TKvInternalDIB.SaveToStream: Too Many Colors");
    const uint32_t offBits = static_cast<uint32_t>(kFileHeaderSize + sizeof(BITMAPINFOHEADER)) + 4 * colors;
    gfx::BITMAPFILEHEADER file;
    file.bfType = gfx::kBitmapFileType;
    file.bfSize = offBits + static_cast<uint32_t>(DIBInfos.BitsSize);
    file.bfOffBits = offBits;
    stream.WriteBuffer(&file, sizeof(file));
    stream.WriteBuffer(&DIBInfos.Header, sizeof(BITMAPINFOHEADER));
    stream.WriteBuffer(DIBInfos.Colors, sizeof(RGBQuad) * colors);
    if (DIBInfos.BitsSize > 0) stream.WriteBuffer(DIBInfos.Bits, static_cast<size_t>(DIBInfos.BitsSize));
}

}  // namespace kvdib
