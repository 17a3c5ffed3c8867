#include "app/widgets/bitmap_image.h"

#include "gfx/qt/qimage_bridge.h"

namespace morvi {

QImage BitmapToImage(const gfx::Bitmap& bitmap)
{
    return gfx::ToQImage(bitmap);
}

QImage BitmapToImageTransparent(const gfx::Bitmap& bitmap, gfx::Color transparent)
{
    QImage image = gfx::ToQImage(bitmap).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(gfx::GetRValue(transparent), gfx::GetGValue(transparent), gfx::GetBValue(transparent));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0x00FFFFFFu) == (key & 0x00FFFFFFu)) row[x] = 0;
        }
    }
    return image;
}

}  // namespace morvi
