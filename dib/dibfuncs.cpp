#include "dib/dibfuncs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/pixels.h"
#include "gfx/resample.h"
#include "gfx/rle_lenient.h"

namespace gfx {

namespace {

bool FormatForBitCount(uint16_t bitCount, PixelFormat& format) {
    switch (bitCount) {
        case 1: format = PixelFormat::pf1bit; return true;
        case 4: format = PixelFormat::pf4bit; return true;
        case 8: format = PixelFormat::pf8bit; return true;
        case 16: format = PixelFormat::pf16bit; return true;
        case 24: format = PixelFormat::pf24bit; return true;
        case 32: format = PixelFormat::pf32bit; return true;
        default: return false;
    }
}

// The colour table a DIB header declares, as far as the caller handed it over.
HPALETTE DibPalette(const BitmapInfoView& info) {
    const BITMAPINFOHEADER& h = *info.header;
    if (h.biBitCount > 8 || info.colors == nullptr) return nullptr;
    const uint32_t maximum = 1u << h.biBitCount;
    uint32_t n = h.biClrUsed != 0 ? h.biClrUsed : maximum;
    n = std::min({n, maximum, info.colorCount});
    if (n == 0) return nullptr;
    return ColorTableToPalette(std::span<const RGBQuad>(info.colors, n));
}

struct DibGeometry {
    PixelFormat format;
    int32_t width;
    int32_t height;   // rows, positive
    bool bottomUp;
    size_t rowBytes;
    uint64_t imageBytes;
};

// Checks the header fields every DIB function relies on; false for a header
// that cannot describe a picture.
bool ReadGeometry(const BITMAPINFOHEADER& h, DibGeometry& g) {
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
    if (!FormatForBitCount(h.biBitCount, g.format)) return false;
    g.width = h.biWidth;
    g.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    g.bottomUp = h.biHeight > 0;
    g.rowBytes = RowBytes(g.format, g.width);  // cannot overflow for a positive int32 width
    g.imageBytes = static_cast<uint64_t>(g.rowBytes) * static_cast<uint64_t>(g.height);
    return FitsPictureBudget(g.width, g.height);
}

// RLE data drawn into an indexed bitmap of the picture's size; the stream's
// first row is the bottom one of a bottom-up picture.
void DecodeRle(std::span<const uint8_t> data, Bitmap& out, bool fourBit, bool bottomUp) {
    const PixelFormat format = out.Format();
    const int32_t height = out.Height();
    DecodeRleLenient(data, out.Width(), height, fourBit, [&](int64_t row, int64_t column, uint8_t index) {
        const auto y = static_cast<int32_t>(row);  // the decoder keeps both inside the bitmap
        StoreRaw(out.ScanLine(bottomUp ? height - 1 - y : y), static_cast<int32_t>(column), format, index);
    });
}

}  // namespace

int GetDIBits(const Bitmap& bitmap, uint32_t startScan, uint32_t numScans, void* bits, size_t bitsSize,
              const BITMAPINFOHEADER& header, RGBQuad* colors) {
    DibGeometry g;
    if (!ReadGeometry(header, g) || header.biCompression != BI_RGB || bits == nullptr) return 0;
    if (g.width != bitmap.Width() || g.height != bitmap.Height()) return 0;
    if (startScan >= static_cast<uint32_t>(g.height)) return 0;
    uint32_t rows = std::min<uint32_t>(numScans, static_cast<uint32_t>(g.height) - startScan);
    rows = static_cast<uint32_t>(std::min<uint64_t>(rows, bitsSize / g.rowBytes));
    if (rows == 0) return 0;

    // An indexed target keeps the bitmap's own table when the depths match; other
    // depths get the bitmap's palette when it fits, else the default table.
    std::vector<RGBQuad> table;
    if (IsIndexed(g.format)) {
        const size_t maximum = size_t{1} << BitsPerPixel(g.format);
        if (bitmap.Format() == g.format || (bitmap.GetPalette() && bitmap.GetPalette()->entries.size() <= maximum))
            table = bitmap.ColorTable();
        if (table.empty() || table.size() > maximum) table = DefaultColorTable(g.format);
        if (colors != nullptr) {
            std::fill(colors, colors + maximum, RGBQuad{});
            std::copy(table.begin(), table.end(), colors);
        }
    }
    const bool raw = bitmap.Format() == g.format && (!IsIndexed(g.format) || table == bitmap.ColorTable());
    // Device pixels to 24 bits, the usual way into a DIB, need no trip through words.
    const bool pack = bitmap.Format() == PixelFormat::pf32bit && g.format == PixelFormat::pf24bit;
    PixelCodec from(bitmap);
    PixelCodec to(g.format, table);
    std::vector<uint32_t> line(raw || pack ? 0 : static_cast<size_t>(g.width));
    auto* out = static_cast<uint8_t*>(bits);
    const size_t used = (static_cast<size_t>(g.width) * static_cast<size_t>(BitsPerPixel(g.format)) + 7) / 8;
    for (uint32_t i = 0; i < rows; ++i) {
        const uint32_t scan = startScan + i;
        const int32_t y = g.bottomUp ? g.height - 1 - static_cast<int32_t>(scan) : static_cast<int32_t>(scan);
        uint8_t* dst = out + static_cast<size_t>(i) * g.rowBytes;
        // Every pixel bit of the first used bytes is written below (sub-byte
        // writers set or clear each bit); only the padding needs clearing.
        std::memset(dst + used, 0, g.rowBytes - used);
        if (raw) {
            std::memcpy(dst, bitmap.ScanLine(y), used);
        } else if (pack) {
            PackBGRXToBGR(bitmap.ScanLine(y), dst, static_cast<size_t>(g.width));
        } else {
            from.ReadRow(bitmap.ScanLine(y), 0, g.width, line.data());
            to.WriteRow(dst, 0, g.width, line.data());
        }
        // Bits past the last pixel of a row stay zero, as in a freshly written DIB.
        const unsigned rest = static_cast<unsigned>((static_cast<uint64_t>(g.width) * BitsPerPixel(g.format)) % 8);
        if (rest != 0) dst[used - 1] &= static_cast<uint8_t>(0xFF << (8 - rest));
    }
    return static_cast<int>(rows);
}

int StretchDIBits(Canvas& canvas, int32_t xDest, int32_t yDest, int32_t wDest, int32_t hDest, int32_t xSrc,
                  int32_t ySrc, int32_t wSrc, int32_t hSrc, const void* bits, size_t bitsSize,
                  const BitmapInfoView& info, uint32_t usage, uint32_t rop) {
    if (info.header == nullptr || bits == nullptr || usage != DIB_RGB_COLORS || rop != SRCCOPY) return 0;
    const BITMAPINFOHEADER& h = *info.header;
    DibGeometry g;
    if (!ReadGeometry(h, g)) return 0;
    const HPALETTE palette = DibPalette(info);
    const auto* data = static_cast<const uint8_t*>(bits);

    std::unique_ptr<Bitmap> source;
    if (h.biCompression == BI_RGB) {
        if (g.imageBytes > bitsSize) return 0;
        // Only read through the view: the cast lets the read-only bits wear the bitmap type.
        auto* top = const_cast<uint8_t*>(data) + (g.bottomUp ? (static_cast<size_t>(g.height) - 1) * g.rowBytes : 0);
        const ptrdiff_t stride = g.bottomUp ? -static_cast<ptrdiff_t>(g.rowBytes) : static_cast<ptrdiff_t>(g.rowBytes);
        source = Bitmap::Wrap(top, g.width, g.height, g.format, stride, palette);
    } else if ((h.biCompression == BI_RLE8 && h.biBitCount == 8) || (h.biCompression == BI_RLE4 && h.biBitCount == 4)) {
        source = std::make_unique<Bitmap>(g.width, g.height, g.format);
        if (palette) source->SetPalette(palette);
        DecodeRle(std::span<const uint8_t>(data, bitsSize), *source, h.biCompression == BI_RLE4, g.bottomUp);
    } else {
        return 0;
    }
    const Rect dest{xDest, yDest, static_cast<int32_t>(static_cast<int64_t>(xDest) + wDest),
                    static_cast<int32_t>(static_cast<int64_t>(yDest) + hDest)};
    const Rect src{xSrc, ySrc, static_cast<int32_t>(static_cast<int64_t>(xSrc) + wSrc),
                   static_cast<int32_t>(static_cast<int64_t>(ySrc) + hSrc)};
    StretchBitmap(canvas.Target(), dest, *source, src, canvas.stretchMode);
    return hSrc < 0 ? -hSrc : hSrc;
}

std::unique_ptr<Bitmap> CreateDIBSection(const BitmapInfoView& info, void* bits, size_t bitsSize) {
    if (info.header == nullptr || bits == nullptr) return nullptr;
    const BITMAPINFOHEADER& h = *info.header;
    DibGeometry g;
    if (!ReadGeometry(h, g) || h.biCompression != BI_RGB || g.imageBytes > bitsSize) return nullptr;
    auto* data = static_cast<uint8_t*>(bits);
    uint8_t* top = data + (g.bottomUp ? (static_cast<size_t>(g.height) - 1) * g.rowBytes : 0);
    const ptrdiff_t stride = g.bottomUp ? -static_cast<ptrdiff_t>(g.rowBytes) : static_cast<ptrdiff_t>(g.rowBytes);
    return Bitmap::Wrap(top, g.width, g.height, g.format, stride, DibPalette(info));
}

}  // namespace gfx
