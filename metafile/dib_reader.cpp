#include "metafile/dib_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <string>
#include <vector>

#include "gfx/byte_reader.h"
#include "gfx/dib_layout.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/rle_lenient.h"

namespace gfx::metafile {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EInvalidGraphic("Metafile bitmap: " + what); }

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;  // absolute
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    std::array<uint32_t, 4> masks{};  // red, green, blue, alpha for BI_BITFIELDS and 16/32-bit BI_RGB
    std::vector<QRgb> colors;
    size_t headerBytes = 0;  // header + masks + colour table
    size_t rowBytes = 0;
};

// Reads the header, masks and colour table; sizes are validated here, once.
DibLayout ReadLayout(std::span<const uint8_t> info, bool paletteIndices) {
    ByteReader in(info);
    DibLayout dib;
    uint32_t headerSize = 0;
    if (!in.ReadU32(headerSize)) Fail("header is truncated");
    in.Seek(0);
    bool core = false;
    uint32_t extraEntries = 0;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER ch;
        if (!in.ReadStruct(ch)) Fail("header is truncated");
        dib.width = ch.bcWidth;
        dib.height = ch.bcHeight;
        dib.bitCount = ch.bcBitCount;
        core = true;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= 1024) {
        BITMAPINFOHEADER bi;
        // headerSize bytes are checked to be present before the struct is read.
        if (!in.Has(headerSize) || !in.ReadStruct(bi)) Fail("header is truncated");
        dib.width = bi.biWidth;
        dib.bitCount = bi.biBitCount;
        dib.compression = bi.biCompression;
        if (bi.biHeight == INT32_MIN) Fail("height out of range");
        dib.topDown = bi.biHeight < 0;
        dib.height = bi.biHeight < 0 ? -bi.biHeight : bi.biHeight;
        in.Seek(headerSize);
        if (dib.compression == BI_BITFIELDS) {
            if (headerSize >= 52) {
                // V2 and later headers hold the masks themselves, right after the 40 bytes.
                ByteReader masks(info.subspan(40));
                for (int i = 0; i < 3; ++i) masks.ReadU32(dib.masks[i]);
                if (headerSize >= 56) masks.ReadU32(dib.masks[3]);
            } else {
                for (int i = 0; i < 3; ++i)
                    if (!in.ReadU32(dib.masks[i])) Fail("colour masks are truncated");
            }
        }
        if (dib.bitCount <= 8) {
            // Writers sometimes declare more entries than the depth can index: they
            // are present in the file, so read past them, but only the first ones count.
            if (bi.biClrUsed > 4096) Fail("colour table of " + std::to_string(bi.biClrUsed) + " entries");
            const uint32_t count = bi.biClrUsed ? bi.biClrUsed : (1u << dib.bitCount);
            dib.colors.resize(std::min<uint32_t>(count, 1u << dib.bitCount));
            extraEntries = count - static_cast<uint32_t>(dib.colors.size());
        } else if (bi.biClrUsed > 0 && bi.biClrUsed <= 4096) {
            // A table beside true-colour pixels is only a hint for palette devices: skip it.
            if (!in.Skip(size_t{bi.biClrUsed} * 4)) Fail("colour table is truncated");
        }
    } else {
        Fail("unknown header size " + std::to_string(headerSize));
    }
    if (core && dib.bitCount <= 8) dib.colors.resize(size_t{1} << dib.bitCount);

    switch (dib.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Fail("unsupported bit count " + std::to_string(dib.bitCount));
    }
    if (dib.width < 0) Fail("negative width");

    const size_t entrySize = paletteIndices ? 2 : (core ? 3 : 4);
    for (QRgb& color : dib.colors) {
        uint8_t bgr[4] = {0, 0, 0, 0};
        if (!in.ReadBytes(bgr, entrySize)) Fail("colour table is truncated");
        // Palette indices refer to a palette the file may not even carry: grey ramp.
        color = paletteIndices ? qRgb(bgr[0], bgr[0], bgr[0]) : qRgb(bgr[2], bgr[1], bgr[0]);
    }
    if (!in.Skip(size_t{extraEntries} * entrySize)) Fail("colour table is truncated");
    dib.headerBytes = in.Position();

    if (dib.compression == BI_RGB && (dib.bitCount == 16 || dib.bitCount == 32)) {
        dib.masks = dib.bitCount == 16 ? std::array<uint32_t, 4>{0x7C00, 0x03E0, 0x001F, 0}
                                       : std::array<uint32_t, 4>{0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};
    }
    dib.rowBytes = static_cast<size_t>(DIBStride(dib.width, dib.bitCount));  // width >= 0, bits <= 32
    return dib;
}

// Extracts a channel under a mask and scales it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
        // Masks must be contiguous runs of bits.
        if ((max & (max + 1)) != 0) Fail("colour mask is not contiguous");
    }
    int Get(uint32_t pixel, int fallback) const {
        if (mask == 0) return fallback;
        return static_cast<int>((uint64_t((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

}  // namespace

std::shared_ptr<const QImage> DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                        bool paletteIndices, bool keepAlpha, int64_t bandRows) {
    DibLayout dib = ReadLayout(info, paletteIndices);
    if (bandRows >= 0 && bandRows < dib.height) dib.height = static_cast<int32_t>(bandRows);
    const bool rle = (dib.compression == BI_RLE8 && dib.bitCount == 8) || (dib.compression == BI_RLE4 && dib.bitCount == 4);
    if (dib.compression != BI_RGB && dib.compression != BI_BITFIELDS && !rle) return nullptr;  // JPEG, PNG
    if (dib.compression == BI_BITFIELDS && dib.bitCount != 16 && dib.bitCount != 32)
        Fail("bit fields need 16 or 32 bits per pixel");
    if (dib.width == 0 || dib.height == 0) return nullptr;
    CheckPictureBudget(dib.width, dib.height, "Metafile bitmap");
    if (rle) {
        if (dib.topDown) Fail("compressed bitmaps cannot be top-down");
        auto image = std::make_shared<QImage>(dib.width, dib.height, QImage::Format_RGB32);
        if (image->isNull()) throw EInvalidGraphic("Metafile bitmap: out of memory");
        // Pixels the stream never sets keep index 0, as GDI leaves them.
        const QRgb background = dib.colors.empty() ? qRgb(0, 0, 0) : dib.colors[0];
        image->fill(background);
        const int32_t height = dib.height;
        DecodeRleLenient(bits, dib.width, height, dib.bitCount == 4, [&](int64_t row, int64_t column, uint8_t index) {
            // The decoder keeps row and column inside the bitmap; an index past
            // the table is drawn black, as for uncompressed bits.
            auto* line = reinterpret_cast<QRgb*>(image->scanLine(height - 1 - static_cast<int32_t>(row)));
            line[column] = index < dib.colors.size() ? dib.colors[index] : qRgb(0, 0, 0);
        });
        return image;
    }
    // The budget above keeps this far below the largest size a DIB can describe.
    const std::optional<int32_t> needed = CheckedDIBImageSize(dib.width, dib.height, dib.bitCount);
    if (!needed || static_cast<size_t>(*needed) > bits.size())
        Fail("bitmap of " + std::to_string(dib.width) + " x " + std::to_string(dib.height) + " needs " +
             std::to_string(needed.value_or(-1)) + " bytes, only " + std::to_string(bits.size()) + " present");

    const bool alpha = keepAlpha && dib.bitCount == 32;
    auto image = std::make_shared<QImage>(dib.width, dib.height,
                                          alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image->isNull()) throw EInvalidGraphic("Metafile bitmap: out of memory");
    const Channel red(dib.masks[0]), green(dib.masks[1]), blue(dib.masks[2]), alphaChannel(dib.masks[3]);
    const QRgb black = qRgb(0, 0, 0);
    for (int32_t row = 0; row < dib.height; ++row) {
        const int32_t y = dib.topDown ? row : dib.height - 1 - row;
        const uint8_t* src = bits.data() + size_t(row) * dib.rowBytes;  // within needed, checked above
        auto* dst = reinterpret_cast<QRgb*>(image->scanLine(y));
        for (int32_t x = 0; x < dib.width; ++x) {
            uint32_t index = 0;
            switch (dib.bitCount) {
            case 1: index = (src[x >> 3] >> (7 - (x & 7))) & 1; break;
            case 4: index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F; break;
            case 8: index = src[x]; break;
            case 16: {
                const uint32_t p = src[2 * x] | (uint32_t(src[2 * x + 1]) << 8);
                dst[x] = qRgb(red.Get(p, 0), green.Get(p, 0), blue.Get(p, 0));
                continue;
            }
            case 24: dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); continue;
            case 32: {
                const uint32_t p = src[4 * x] | (uint32_t(src[4 * x + 1]) << 8) | (uint32_t(src[4 * x + 2]) << 16) |
                                   (uint32_t(src[4 * x + 3]) << 24);
                if (alpha) {
                    // Alpha-blended bitmaps are stored premultiplied already.
                    dst[x] = qRgba(red.Get(p, 0), green.Get(p, 0), blue.Get(p, 0), alphaChannel.Get(p, 255));
                } else {
                    dst[x] = qRgb(red.Get(p, 0), green.Get(p, 0), blue.Get(p, 0));
                }
                continue;
            }
            }
            // An index past the table is drawn black, as GDI does.
            dst[x] = index < dib.colors.size() ? dib.colors[index] : black;
        }
    }
    return image;
}

std::shared_ptr<const QImage> DecodePackedDib(std::span<const uint8_t> packed, bool paletteIndices,
                                              int64_t bandRows) {
    const DibLayout dib = ReadLayout(packed, paletteIndices);
    return DecodeDib(packed.first(dib.headerBytes), packed.subspan(dib.headerBytes), paletteIndices, false, bandRows);
}

}  // namespace gfx::metafile
