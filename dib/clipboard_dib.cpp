// Reading and writing the packed DIB the clipboard carries (CF_DIB): a core or
// info header, bit-field masks, the colour table and the pixels up to the end of
// the block, without a file header.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "dib/deep_pixels.h"
#include "dib/errors.h"
#include "dib/header_area.h"
#include "dib/load_checks.h"
#include "dib/memory.h"
#include "dib/pending_pixels.h"
#include "dib/storage.h"
#include "gfx/byte_reader.h"
#include "gfx/pixel_budget.h"

namespace kvdib {

namespace {

constexpr char kLoad[] = "TKvInternalDIB.LoadFromClipboardFormat";
// Header, three masks and 256 colours: all of a packed header the colour area keeps.
constexpr size_t kMaxCopiedHeader = sizeof(BITMAPINFOHEADER) + 4 * (3 + 256);
static_assert(kMaxCopiedHeader <= kHeaderAreaSize);

[[noreturn]] void InvalidData() { throw EKvDIBInvalidDIB("TKvDIB.LoadFromClipboardFormat: Invalid Clipboard Data"); }

}  // namespace

void TKvInternalDIB::LoadFromClipboardFormat(std::span<const uint8_t> block) {
    // The install at the end would refuse a shared storage only after replacing
    // the picture under its other holders; refuse it before anything is read.
    KVDIB_ASSERT(RefCount == 1, "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
    gfx::ByteReader reader(block);
    kvdib::DIBInfos loaded{};
    BITMAPINFOHEADER& h = loaded.Header;
    uint8_t* area = HeaderArea(loaded);

    uint32_t headerSize = 0;
    if (!reader.ReadU32(headerSize)) InvalidData();
    reader.Seek(0);
    int64_t headerBytes = 0;
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
        if (!reader.ReadStruct(h)) InvalidData();
        const int64_t n = h.biClrUsed != 0 ? h.biClrUsed : GetNumColors(h.biBitCount);
        headerBytes = 40 + 4 * n + (h.biCompression == gfx::BI_BITFIELDS ? 12 : 0);
        // The whole declared header and colour table must be in the block,
        // even the entries past 256 that are not kept.
        if (static_cast<int64_t>(block.size()) < headerBytes) InvalidData();
        const size_t copied = static_cast<size_t>(std::min<int64_t>(headerBytes, kMaxCopiedHeader));
        std::memcpy(area, block.data(), copied);
        if (h.biXPelsPerMeter == 0) h.biXPelsPerMeter = gfx::kDefaultPelsPerMeter;
        if (h.biYPelsPerMeter == 0) h.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
        h.biClrUsed = static_cast<uint32_t>(std::min<int64_t>(n, 256));
    } else if (headerSize == sizeof(gfx::BITMAPCOREHEADER)) {
        gfx::BITMAPCOREHEADER core;
        if (!reader.ReadStruct(core)) InvalidData();
        headerBytes = 12 + 3 * static_cast<int64_t>(GetNumColors(core.bcBitCount));
        if (static_cast<int64_t>(block.size()) < headerBytes) InvalidData();
        std::memcpy(area, block.data(), static_cast<size_t>(headerBytes));  // at most 780 bytes
        ConvertCoreHeader(loaded);
    } else {
        InvalidData();
    }
    const int64_t bitsSize = static_cast<int64_t>(block.size()) - headerBytes;
    reader.Seek(static_cast<size_t>(headerBytes));

    // A negative width would poison every later stride and size, so it is
    // refused here just as the stream loader refuses it.
    if (h.biWidth <= 0 || h.biHeight == 0) throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid Width or Height");
    // Before any pixel memory: a 60-byte block of RLE data may claim any size.
    gfx::CheckPictureBudget(h.biWidth, std::abs(static_cast<int64_t>(h.biHeight)), kLoad);

    switch (h.biBitCount) {
        case 1: case 4: case 8: case 24: {
            if (bitsSize > kMaxDIBBytes) throw EKvDIBInvalidDIB(std::string(kLoad) + ": Picture is too large");
            CheckPixelDataSize(h, bitsSize, kLoad);
            PendingPixels pixels(static_cast<int32_t>(bitsSize), UseFMO);
            reader.ReadBytes(pixels.Bits(), static_cast<size_t>(bitsSize));  // exactly the rest of the block
            pixels.HandOver(loaded);
            break;
        }
        case 16: case 32: {
            const DeepPixelConverter converter(loaded, kLoad);
            // Every input row must lie inside the block before any is converted.
            if (converter.InputRowSize() * converter.Rows() > bitsSize) {
                throw EKvDIBInvalidDIB(std::string(kLoad) + ": Pixel data is too short");
            }
            PendingPixels pixels(converter.OutputSize(), UseFMO);
            for (int32_t r = 0; r < converter.Rows(); ++r) {
                const std::span<const uint8_t> row = reader.Take(static_cast<size_t>(converter.InputRowSize()));
                converter.ConvertRow(row.data(), pixels.Bits() + static_cast<int64_t>(r) * converter.OutputStride());
            }
            converter.FinishHeader(loaded);
            pixels.HandOver(loaded);
            break;
        }
        default:
            throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    }
    Install(loaded);
}

std::vector<uint8_t> TKvInternalDIB::SaveToClipboardFormat() const {
    const uint32_t colors = DIBInfos.Header.biClrUsed;
    KVDIB_ASSERT(colors <= 256, "TKvInternalDIB.SaveToClipboardFormat: Too Many Colors");
    const size_t headerBytes = sizeof(BITMAPINFOHEADER) + sizeof(RGBQuad) * colors;
    const size_t bitsSize = DIBInfos.BitsSize > 0 ? static_cast<size_t>(DIBInfos.BitsSize) : 0;
    std::vector<uint8_t> packed;
    try {
        packed.resize(headerBytes + bitsSize);
    } catch (const std::bad_alloc&) {
        throw gfx::EOutOfMemory("TKvInternalDIB.SaveToClipboardFormat: Out Of Memory");
    }
    std::memcpy(packed.data(), &DIBInfos.Header, sizeof(BITMAPINFOHEADER));
    std::memcpy(packed.data() + sizeof(BITMAPINFOHEADER), DIBInfos.Colors, sizeof(RGBQuad) * colors);
    if (bitsSize > 0) std::memcpy(packed.data() + headerBytes, DIBInfos.Bits, bitsSize);
    return packed;
}

}  // namespace kvdib
