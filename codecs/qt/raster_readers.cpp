#include "codecs/qt/raster_readers.h"

#include <QByteArray>
#include <QImage>

#include "codecs/colour/as_shown.h"
#include "codecs/qt/qt_readers.h"
#include "codecs/webp.h"
#include "gfx/exceptions.h"
#include "gfx/qt/qimage_bridge.h"

namespace gfx {

namespace {

enum class Metadata { None, Embedded };

Decoded DecodeWithQt(std::span<const uint8_t> bytes, const char* format, Metadata metadata, bool lossy) {
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) throw EInvalidGraphic("Cannot read the picture: too long");
    // Qt reads the bytes where they are; they outlive the reader.
    const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    const QImage image = ReadWithQt(view, format);
    const Alpha alpha = image.hasAlphaChannel() ? Alpha::Straight : Alpha::None;
    std::unique_ptr<Bitmap> pixels = FromQImage32(image);
    const EmbeddedLook look = metadata == Metadata::Embedded ? ReadEmbeddedLook(bytes) : EmbeddedLook{};
    return {AsShown(std::move(pixels), look, alpha), lossy};
}

}  // namespace

Decoded DecodePng(std::span<const uint8_t> bytes) { return DecodeWithQt(bytes, "png", Metadata::Embedded, false); }

// GIF carries neither orientation nor profile.
Decoded DecodeGif(std::span<const uint8_t> bytes) { return DecodeWithQt(bytes, "gif", Metadata::None, false); }

Decoded DecodeTiff(std::span<const uint8_t> bytes) { return DecodeWithQt(bytes, "tiff", Metadata::Embedded, false); }

Decoded DecodeWebp(std::span<const uint8_t> bytes) {
    return DecodeWithQt(bytes, "webp", Metadata::Embedded, !IsLosslessWebp(bytes));
}

}  // namespace gfx
