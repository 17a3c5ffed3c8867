// What another program offers on the clipboard, in the engine's terms: any
// raster picture becomes a packed DIB for the engine's CF_DIB reader, whatever
// type it was offered as; a drawing becomes metafile bytes for the metafile
// road. Only bytes and QMimeData here, no widgets, so that every offer can be
// tried without a display.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "gfx/graphic.h"

class QMimeData;

namespace gfx {

// MIME types that carry a metafile picture, in the order they are preferred.
struct MetafileOffer {
    QString mimeType;
    QString extension;  // "emf", "wmf" or "svg"
    QByteArray bytes;
};

// A clipboard snapshot as the engine reads it.
class MimeClipboardSource : public ClipboardSource {
public:
    explicit MimeClipboardSource(const QMimeData* mime) : mime_(mime) {}
    // CF_DIB for any raster picture, CF_ENHMETAFILE/CF_METAFILEPICT for metafiles.
    bool HasFormat(uint16_t format) const override;
    // The packed DIB of a raster offer; nothing when no offer can be read. An
    // offer whose header claims more than the pixel budget throws
    // EPictureTooLarge before anything is decoded.
    std::optional<std::vector<uint8_t>> GetData(uint16_t format) const override;

    bool HasRaster() const;
    std::optional<MetafileOffer> Metafile() const;

private:
    const QMimeData* mime_;
};

// A packed DIB (40-byte header, no colour table, 24 bits, bottom-up) of a QImage;
// transparent parts are laid on white, as a pasted picture is shown. An image
// above the pixel budget throws EPictureTooLarge.
std::vector<uint8_t> PackedDIBFromImage(const QImage& image);

// Bytes of an image/bmp offer without their 14-byte file header; nothing when the
// bytes are not a BMP file.
std::optional<std::vector<uint8_t>> PackedDIBFromBmpFile(const QByteArray& bmp);

}  // namespace gfx
