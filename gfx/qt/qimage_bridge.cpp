#include "gfx/qt/qimage_bridge.h"

#include <cstring>
#include <vector>

#include "gfx/exceptions.h"
#include "gfx/pixels.h"

namespace gfx {

QImage ToQImage(const Bitmap& bitmap) {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (bitmap.Empty()) return image;
    if (image.isNull()) throw EOutOfMemory("Out of memory for a copy of the picture");
    const PixelCodec codec(bitmap);
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(y));
        codec.ReadRow(bitmap.ScanLine(y), 0, bitmap.Width(), out);
        // RGB32 wants 0xFF in the fourth byte.
        for (int32_t x = 0; x < bitmap.Width(); ++x) out[x] |= 0xFF000000u;
    }
    return image;
}

QImage ViewAsQImage(const Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.Format() != PixelFormat::pf32bit || bitmap.Stride() <= 0)
        return ToQImage(bitmap);
    return QImage(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
                  QImage::Format_RGB32);
}

namespace {

HPALETTE PaletteOf(const QImage& image) {
    std::vector<PaletteEntry> entries;
    for (const QRgb c : image.colorTable())
        entries.push_back({static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                           static_cast<uint8_t>(qBlue(c)), 0});
    return CreatePalette(entries);
}

}  // namespace

std::unique_ptr<Bitmap> FromQImage(const QImage& image) {
    if (image.isNull()) return std::make_unique<Bitmap>();
    const int32_t width = image.width(), height = image.height();
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB: {
            // MSB first is the DIB bit order.
            const QImage mono = image.convertToFormat(QImage::Format_Mono);
            auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat::pf1bit);
            const size_t bytes = static_cast<size_t>((width + 7) / 8);
            for (int32_t y = 0; y < height; ++y) std::memcpy(bitmap->ScanLine(y), mono.constScanLine(y), bytes);
            if (HPALETTE palette = PaletteOf(mono)) bitmap->SetPalette(palette);
            bitmap->SetModified(false);
            return bitmap;
        }
        case QImage::Format_Indexed8: {
            auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat::pf8bit);
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(bitmap->ScanLine(y), image.constScanLine(y), static_cast<size_t>(width));
            if (HPALETTE palette = PaletteOf(image)) bitmap->SetPalette(palette);
            bitmap->SetModified(false);
            return bitmap;
        }
        case QImage::Format_RGB888:
        case QImage::Format_BGR888: {
            const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
            auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat::pf24bit);
            // BGR888 lies in memory blue first, as DIB rows do.
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(bitmap->ScanLine(y), bgr.constScanLine(y), 3 * static_cast<size_t>(width));
            return bitmap;
        }
        default: return FromQImage32(image);
    }
}

std::unique_ptr<Bitmap> FromQImage32(const QImage& image) {
    const QImage rgb = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                               : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull() && !image.isNull()) throw EOutOfMemory("Out of memory for a copy of the picture");
    auto bitmap = std::make_unique<Bitmap>(rgb.width(), rgb.height(), PixelFormat::pf32bit);
    // ARGB32 lies in memory blue, green, red, alpha, as the bitmap's pixels do.
    for (int32_t y = 0; y < rgb.height(); ++y)
        std::memcpy(bitmap->ScanLine(y), rgb.constScanLine(y), 4 * static_cast<size_t>(rgb.width()));
    return bitmap;
}

}  // namespace gfx
