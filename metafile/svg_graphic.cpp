#include "metafile/svg_graphic.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdlib>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

// A reader over the drawing's bytes; the buffer must outlive the reader.
QImage Render(const QByteArray& bytes, const QSize& size) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer, "svg");
    if (size.isValid()) reader.setScaledSize(size);
    QImage image;
    if (!reader.read(&image)) return {};
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

std::unique_ptr<Graphic> SvgGraphic::Clone() const {
    auto copy = std::make_unique<SvgGraphic>();
    copy->bytes_ = bytes_;
    copy->size_ = size_;
    return copy;
}

void SvgGraphic::LoadFromStream(Stream& stream) {
    const int64_t available = stream.Size() - stream.Position();
    // A drawing is text; anything beyond 64 MiB is not one the program should parse.
    if (available <= 0 || available > (int64_t{64} << 20)) throw EInvalidGraphic("SVG: invalid size");
    QByteArray bytes(static_cast<qsizetype>(available), Qt::Uninitialized);
    stream.ReadBuffer(bytes.data(), static_cast<size_t>(available));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "svg");
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) {
        throw EInvalidGraphic("SVG: the drawing cannot be read (" + reader.errorString().toStdString() + ")");
    }
    bytes_ = bytes;
    size_ = size;
    Changed();
}

void SvgGraphic::SaveToStream(Stream& stream) const {
    stream.WriteBuffer(bytes_.constData(), static_cast<size_t>(bytes_.size()));
}

void SvgGraphic::Draw(Canvas& canvas, const Rect& rect) const {
    const int width = std::abs(rect.right - rect.left);
    const int height = std::abs(rect.bottom - rect.top);
    if (width == 0 || height == 0 || bytes_.isEmpty()) return;
    const QImage image = Render(bytes_, QSize(width, height));
    if (image.isNull()) return;
    Bitmap& target = canvas.Target();
    const bool mirrorX = rect.right < rect.left;
    const bool mirrorY = rect.bottom < rect.top;
    const int left = std::min(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom);
    for (int y = 0; y < height; ++y) {
        const int ty = top + y;
        if (ty < 0 || ty >= target.Height()) continue;
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(mirrorY ? height - 1 - y : y));
        for (int x = 0; x < width; ++x) {
            const int tx = left + x;
            if (tx < 0 || tx >= target.Width()) continue;
            const QRgb pixel = row[mirrorX ? width - 1 - x : x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0) continue;
            Color out = RGB(static_cast<uint8_t>(qRed(pixel)), static_cast<uint8_t>(qGreen(pixel)),
                            static_cast<uint8_t>(qBlue(pixel)));
            if (alpha < 255) {
                const Color under = target.Pixel(tx, ty);
                auto blend = [alpha](int over, int below) {
                    return static_cast<uint8_t>((over * alpha + below * (255 - alpha) + 127) / 255);
                };
                out = RGB(blend(qRed(pixel), GetRValue(under)), blend(qGreen(pixel), GetGValue(under)),
                          blend(qBlue(pixel), GetBValue(under)));
            }
            target.SetPixel(tx, ty, out);
        }
    }
}

}  // namespace gfx
