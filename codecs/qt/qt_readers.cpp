#include "codecs/qt/qt_readers.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

#include "codecs/png_chunks.h"
#include "gfx/canvas.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/pixels.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

QByteArray ReadRest(Stream& stream) {
    const int64_t remaining = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    QByteArray bytes(static_cast<qsizetype>(remaining), Qt::Uninitialized);
    if (remaining > 0) stream.ReadBuffer(bytes.data(), static_cast<size_t>(remaining));
    return bytes;
}

// The size the header claims, refused above the budget before the pixels are read.
void CheckClaimedSize(const QImageReader& reader, const char* context) {
    const QSize size = reader.size();
    if (size.isValid()) CheckPictureBudget(size.width(), size.height(), context);
}

std::string ReasonOf(const QImageReader& reader) { return reader.errorString().toStdString(); }

}  // namespace

QImage ReadWithQt(Stream& stream, const char* format) { return ReadWithQt(ReadRest(stream), format); }

QImage ReadWithQt(QByteArray bytes, const char* format) {
    CheckPngChunks(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                            static_cast<size_t>(bytes.size())),
                   "Picture");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // The extension chose the kind; data of another kind is not silently accepted.
    reader.setAutoDetectImageFormat(false);
    // The orientation a file carries is applied by the program's own step.
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kQtReaderLimitMiB);
    CheckClaimedSize(reader, "Picture");
    QImage image = reader.read();
    if (image.isNull()) throw EInvalidGraphic("Cannot read the picture: " + ReasonOf(reader));
    // A reader that could not say the size beforehand is held to the budget now.
    CheckPictureBudget(image.width(), image.height(), "Picture");
    return image;
}

std::unique_ptr<Bitmap> DecodeBmpWithQt(Stream& stream) {
    // Qt refuses BMP pictures above its own limit without saying why; the header
    // is read here first, so that such a file gets the budget's clear refusal.
    const int64_t start = stream.Position();
    uint8_t header[sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)] = {};
    const size_t got = stream.Read(header, sizeof header);
    stream.SetPosition(start);
    if (got > sizeof(BITMAPFILEHEADER) && header[0] == 'B' && header[1] == 'M') {
        CheckClaimedDibSize(std::span<const uint8_t>(header + sizeof(BITMAPFILEHEADER), got - sizeof(BITMAPFILEHEADER)),
                            "Picture");
    }
    return FromQImage(ReadWithQt(stream, "bmp"));
}

IconImage::IconImage(QImage image) : image_(image.convertToFormat(QImage::Format_ARGB32)) {}

std::unique_ptr<Graphic> IconImage::Clone() const { return std::make_unique<IconImage>(image_); }

void IconImage::LoadFromStream(Stream& stream) {
    QByteArray bytes = ReadRest(stream);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(kQtReaderLimitMiB);
    QImage best;
    // Real icon files hold a handful of sizes; a header that claims thousands
    // of entries is not worth reading to its end.
    constexpr int kMostIconImages = 256;
    const int count = std::clamp(reader.imageCount(), 1, kMostIconImages);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        CheckClaimedSize(reader, "Icon");
        QImage candidate = reader.read();
        if (candidate.isNull()) continue;
        const qint64 area = qint64{candidate.width()} * candidate.height();
        const qint64 bestArea = qint64{best.width()} * best.height();
        if (best.isNull() || area > bestArea || (area == bestArea && candidate.depth() > best.depth()))
            best = candidate;
    }
    if (best.isNull()) throw EInvalidGraphic("Cannot read the icon: " + ReasonOf(reader));
    image_ = best.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

void IconImage::SaveToStream(Stream& stream) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image_)) throw EInvalidGraphic("Cannot write the icon: " + writer.errorString().toStdString());
    stream.WriteBuffer(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void IconImage::Draw(Canvas& canvas, const Rect& rect) const {
    if (image_.isNull()) return;
    const int64_t w = std::abs(static_cast<int64_t>(rect.right) - rect.left);
    const int64_t h = std::abs(static_cast<int64_t>(rect.bottom) - rect.top);
    if (w == 0 || h == 0 || w > INT32_MAX / 4 || h > INT32_MAX / 4) return;
    QImage picture = image_;
    if (w != image_.width() || h != image_.height()) {
        // Scaling mixes neighbouring pixels, which is only right with premultiplied colours.
        picture = image_.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                      .scaled(static_cast<int>(w), static_cast<int>(h), Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32);
        if (picture.isNull()) return;
    }
    if (rect.right < rect.left || rect.bottom < rect.top)
        picture = picture.mirrored(rect.right < rect.left, rect.bottom < rect.top);

    Bitmap& target = canvas.Target();
    PixelCodec codec(target);
    const int64_t left = std::min(rect.left, rect.right), top = std::min(rect.top, rect.bottom);
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(left + w, target.Width());
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(top + h, target.Height());
    for (int64_t y = y0; y < y1; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(static_cast<int>(y - top)));
        uint8_t* row = target.ScanLine(static_cast<int32_t>(y));
        for (int64_t x = x0; x < x1; ++x) {
            const QRgb s = in[x - left];
            const uint32_t a = static_cast<uint32_t>(qAlpha(s));
            if (a == 0) continue;
            const auto column = static_cast<int32_t>(x);
            const uint32_t d = a == 255 ? 0 : codec.Read(row, column);
            auto blend = [a](uint32_t src, uint32_t dst) { return (src * a + dst * (255 - a) + 127) / 255; };
            const uint32_t b = blend(static_cast<uint32_t>(qBlue(s)), d & 0xFF);
            const uint32_t g = blend(static_cast<uint32_t>(qGreen(s)), (d >> 8) & 0xFF);
            const uint32_t r = blend(static_cast<uint32_t>(qRed(s)), (d >> 16) & 0xFF);
            codec.Write(row, column, b | (g << 8) | (r << 16));
        }
    }
}

void IconImage::Assign(const Graphic* source) {
    if (source == this) return;
    if (const auto* icon = dynamic_cast<const IconImage*>(source)) {
        image_ = icon->image_;
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void IconImage::AssignTo(Graphic& dest) const {
    if (auto* bitmap = dynamic_cast<Bitmap*>(&dest)) {
        Bitmap drawn(Width(), Height(), PixelFormat::pf32bit);
        Canvas& canvas = drawn.GetCanvas();
        canvas.brushColor = clWhite;
        canvas.FillRect({0, 0, Width(), Height()});
        Draw(canvas, {0, 0, Width(), Height()});
        bitmap->Assign(&drawn);
        return;
    }
    Graphic::AssignTo(dest);
}

}  // namespace gfx
