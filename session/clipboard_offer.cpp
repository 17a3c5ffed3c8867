#include "session/clipboard_offer.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "codecs/colour/as_shown.h"
#include "codecs/png_chunks.h"
#include "codecs/qt/qt_readers.h"
#include "gfx/byte_reader.h"
#include "gfx/dib_layout.h"
#include "gfx/dibheaders.h"
#include "gfx/pixel_budget.h"
#include "gfx/qt/qimage_bridge.h"

namespace gfx {

namespace {

const QStringList kBmpTypes = {QStringLiteral("image/bmp"), QStringLiteral("image/x-bmp"),
                               QStringLiteral("image/x-MS-bmp"), QStringLiteral("image/x-ms-bmp")};

struct MetafileType {
    const char* mimeType;
    const char* extension;
};

// Office suites publish their drawings under their own names; plain names follow.
constexpr MetafileType kMetafileTypes[] = {
    {"application/x-openoffice-emf;windows_formatname=\"Image EMF\"", "emf"},
    {"image/emf", "emf"},
    {"image/x-emf", "emf"},
    {"application/x-openoffice-wmf;windows_formatname=\"Image WMF\"", "wmf"},
    {"image/wmf", "wmf"},
    {"image/x-wmf", "wmf"},
    {"image/svg+xml", "svg"},
};

bool IsMetafileType(const QString& format) {
    for (const MetafileType& type : kMetafileTypes) {
        if (format == QLatin1String(type.mimeType)) return true;
    }
    return false;
}

constexpr char kContext[] = "Clipboard picture";

// Raster types Qt can decode, other than the BMP types handled byte for byte.
// The size each offer claims is refused above the budget before it is decoded.
// Offered bytes are read here, never through the mime data's own image: Qt
// would decode another program's bytes for it without any of these checks.
std::optional<QImage> DecodeRasterOffer(const QMimeData* mime) {
    bool offeredBytes = false;
    for (const QString& format : mime->formats()) {
        if (!format.startsWith(QLatin1String("image/")) || IsMetafileType(format)) continue;
        offeredBytes = true;
        QByteArray bytes = mime->data(format);
        CheckPngChunks(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                static_cast<size_t>(bytes.size())),
                       kContext);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(kQtReaderLimitMiB);
        if (const QSize size = reader.size(); size.isValid()) CheckPictureBudget(size.width(), size.height(), kContext);
        QImage image;
        if (reader.read(&image) && !image.isNull()) return image;
    }
    // A picture this process put there itself.
    if (!offeredBytes && mime->hasImage()) {
        QImage image = qvariant_cast<QImage>(mime->imageData());
        if (!image.isNull()) return image;
    }
    return std::nullopt;
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

bool MimeClipboardSource::HasRaster() const {
    if (mime_ == nullptr) return false;
    if (mime_->hasImage()) return true;
    for (const QString& format : mime_->formats()) {
        if (format.startsWith(QLatin1String("image/")) && !IsMetafileType(format)) return true;
    }
    return false;
}

std::optional<MetafileOffer> MimeClipboardSource::Metafile() const {
    if (mime_ == nullptr) return std::nullopt;
    const QStringList formats = mime_->formats();
    for (const MetafileType& type : kMetafileTypes) {
        const QString name = QLatin1String(type.mimeType);
        if (!formats.contains(name)) continue;
        QByteArray bytes = mime_->data(name);
        if (!bytes.isEmpty()) return MetafileOffer{name, QLatin1String(type.extension), bytes};
    }
    return std::nullopt;
}

bool MimeClipboardSource::HasFormat(uint16_t format) const {
    if (format == CF_DIB || format == CF_BITMAP) return HasRaster();
    if (format == CF_ENHMETAFILE || format == CF_METAFILEPICT) return Metafile().has_value();
    return false;
}

std::optional<std::vector<uint8_t>> MimeClipboardSource::GetData(uint16_t format) const {
    if (format != CF_DIB || mime_ == nullptr) return std::nullopt;
    for (const QString& type : kBmpTypes) {
        if (!mime_->hasFormat(type)) continue;
        if (auto packed = PackedDIBFromBmpFile(mime_->data(type))) {
            // Refused by its header before the engine is given the block, and so
            // before a paste clears the session for it.
            CheckClaimedDibSize(*packed, kContext);
            return packed;
        }
    }
    if (const std::optional<QImage> image = DecodeRasterOffer(mime_)) return PackedDIBFromImage(*image);
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> PackedDIBFromBmpFile(const QByteArray& bmp) {
    ByteReader reader(reinterpret_cast<const uint8_t*>(bmp.constData()), static_cast<size_t>(bmp.size()));
    BITMAPFILEHEADER file;
    uint32_t headerSize = 0;
    // Both reads stop at the end of the bytes; a block that short is no BMP file.
    if (!reader.ReadStruct(file) || file.bfType != kBitmapFileType || !reader.ReadU32(headerSize)) {
        return std::nullopt;
    }
    constexpr size_t kFileHeader = sizeof(BITMAPFILEHEADER);
    const auto* begin = reinterpret_cast<const uint8_t*>(bmp.constData());
    const size_t size = static_cast<size_t>(bmp.size());
    // Where a packed DIB expects its pixels: right behind the header, the masks and
    // the colours. A file whose pixels start later (bfOffBits) has a gap there,
    // which the packed form cannot express; it is cut out.
    size_t tableEnd = kFileHeader + headerSize;
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER info;
        if (!reader.Seek(kFileHeader) || !reader.ReadStruct(info)) return std::nullopt;
        uint64_t colors = info.biClrUsed;
        if (colors == 0 && info.biBitCount <= 8) colors = uint64_t{1} << info.biBitCount;
        tableEnd += (info.biCompression == BI_BITFIELDS ? 12 : 0) + std::min<uint64_t>(colors, 1u << 16) * 4;
    } else if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        if (!reader.Seek(kFileHeader) || !reader.ReadStruct(core)) return std::nullopt;
        tableEnd += core.bcBitCount <= 8 ? (size_t{1} << core.bcBitCount) * 3 : 0;
    }
    std::vector<uint8_t> packed(begin + kFileHeader, begin + std::min(tableEnd, size));
    if (file.bfOffBits > tableEnd && file.bfOffBits <= size) {
        packed.insert(packed.end(), begin + file.bfOffBits, begin + size);
    } else if (tableEnd < size) {
        packed.insert(packed.end(), begin + tableEnd, begin + size);
    }
    return packed;
}

std::vector<uint8_t> PackedDIBFromImage(const QImage& source) {
    CheckPictureBudget(source.width(), source.height(), kContext);
    const uint32_t width = static_cast<uint32_t>(source.width());
    const uint32_t height = static_cast<uint32_t>(source.height());
    const auto stride = static_cast<size_t>(DIBStride(width, 24));
    const size_t header = sizeof(BITMAPINFOHEADER);
    std::vector<uint8_t> packed(header + stride * height, 0);
    PutU32(packed, 0, static_cast<uint32_t>(header));
    PutU32(packed, 4, width);
    PutU32(packed, 8, height);
    PutU16(packed, 12, 1);
    PutU16(packed, 14, 24);
    PutU32(packed, 16, BI_RGB);
    PutU32(packed, 20, static_cast<uint32_t>(stride * height));
    PutU32(packed, 24, kDefaultPelsPerMeter);
    PutU32(packed, 28, kDefaultPelsPerMeter);
    // Laid on white as a picture read from a file is, a band of rows at a time:
    // whole-picture copies beside the offered picture and the packed block would
    // triple what a large paste needs. Each pixel is blended on its own, so bands
    // give the same pixels as one pass. The conversion to 32 bits also pads the
    // colour table of a reader that handed over indices beyond it.
    constexpr int64_t kBandPixels = int64_t{1} << 20;
    const int bandRows = static_cast<int>(std::clamp<int64_t>(kBandPixels / std::max<uint32_t>(width, 1), 1, height));
    for (int top = 0; top < static_cast<int>(height); top += bandRows) {
        const int rows = std::min(bandRows, static_cast<int>(height) - top);
        const std::unique_ptr<Bitmap> band = FromQImage32(source.copy(0, top, static_cast<int>(width), rows));
        if (source.hasAlphaChannel()) ComposeOnWhite(*band);
        for (int row = 0; row < rows; ++row) {
            // Bottom-up: the last row of the picture comes first.
            const uint8_t* in = band->ScanLine(row);
            uint8_t* out = packed.data() + header + stride * (height - 1 - static_cast<uint32_t>(top + row));
            for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) std::memcpy(out, in, 3);
        }
    }
    return packed;
}

}  // namespace gfx
