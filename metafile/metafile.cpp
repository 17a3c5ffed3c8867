#include "metafile/metafile.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"
#include "gfx/stream.h"
#include "metafile/player.h"
#include "metafile/readers.h"

namespace gfx {

namespace {

// Larger files are refused before reading them into memory.
constexpr int64_t kMaxMetafileBytes = int64_t{256} << 20;

}  // namespace

MetafileGraphic::~MetafileGraphic() = default;

std::unique_ptr<Graphic> MetafileGraphic::Clone() const {
    auto copy = std::make_unique<MetafileGraphic>();
    copy->bytes_ = bytes_;
    copy->document_ = document_;
    return copy;
}

void MetafileGraphic::Assign(const Graphic* source) {
    if (const auto* other = dynamic_cast<const MetafileGraphic*>(source)) {
        bytes_ = other->bytes_;
        document_ = other->document_;
        Changed();
        return;
    }
    Graphic::Assign(source);
}

int32_t MetafileGraphic::Width() const { return document_ ? document_->width : 0; }
int32_t MetafileGraphic::Height() const { return document_ ? document_->height : 0; }
bool MetafileGraphic::Empty() const { return !document_ || document_->width == 0 || document_->height == 0; }
bool MetafileGraphic::Enhanced() const { return document_ && document_->enhanced; }

void MetafileGraphic::LoadFromStream(Stream& stream) {
    const int64_t size = stream.Size() - stream.Position();
    if (size < 0 || size > kMaxMetafileBytes)
        throw EInvalidGraphic("Metafile: the file of " + std::to_string(size) + " bytes is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), bytes.size());
    LoadFromBytes(bytes);
}

void MetafileGraphic::LoadFromBytes(std::span<const uint8_t> bytes) {
    auto document = metafile::ReadMetafile(bytes);
    bytes_ = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
    document_ = std::move(document);
    Changed();
}

void MetafileGraphic::LoadFromClipboardFormat(uint16_t format, const std::vector<uint8_t>* data, HPALETTE) {
    if ((format != CF_ENHMETAFILE && format != CF_METAFILEPICT) || !data)
        throw EInvalidGraphic("Metafile: unsupported clipboard format " + std::to_string(format));
    LoadFromBytes(*data);
}

void MetafileGraphic::SaveToStream(Stream& stream) const {
    if (bytes_ && !bytes_->empty()) stream.WriteBuffer(bytes_->data(), bytes_->size());
}

void MetafileGraphic::Paint(QPainter& painter, const QRectF& target) const {
    if (!Empty()) metafile::PlayDocument(*document_, painter, target);
}

void MetafileGraphic::Draw(Canvas& canvas, const Rect& rect) const {
    if (Empty() || rect.Width() == 0 || rect.Height() == 0) return;
    Bitmap& bitmap = canvas.Target();
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    if (width <= 0 || height <= 0) return;
    const QRectF target(rect.left, rect.top, rect.Width(), rect.Height());

    if (bitmap.Format() == PixelFormat::pf32bit) {
        // 32-bit BGRX rows are QImage's RGB32 in memory. Bottom-up rows are painted
        // through a vertical flip over the lowest row's address.
        const ptrdiff_t stride = bitmap.Stride();
        uint8_t* lowest = stride > 0 ? bitmap.ScanLine(0) : bitmap.ScanLine(height - 1);
        QImage image(lowest, width, height, static_cast<qsizetype>(stride > 0 ? stride : -stride),
                     QImage::Format_RGB32);
        const QTransform toDevice = stride > 0 ? QTransform() : QTransform(1, 0, 0, -1, 0, height);
        QPainter painter(&image);
        metafile::PlayDocument(*document_, painter, target, toDevice);
        return;
    }

    // Other formats: paint a 32-bit copy of the covered area and write it back.
    const int32_t left = std::max(0, std::min(rect.left, rect.right));
    const int32_t top = std::max(0, std::min(rect.top, rect.bottom));
    const int32_t right = std::min(width, std::max(rect.left, rect.right));
    const int32_t bottom = std::min(height, std::max(rect.top, rect.bottom));
    if (right <= left || bottom <= top) return;
    QImage image(right - left, bottom - top, QImage::Format_RGB32);
    if (image.isNull()) throw EOutOfMemory("Metafile: no memory for drawing");
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) {
            const Color c = bitmap.Pixel(x, y);
            image.setPixel(x - left, y - top, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    {
        QPainter painter(&image);
        metafile::PlayDocument(*document_, painter, target.translated(-left, -top));
    }
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) {
            const QRgb c = image.pixel(x - left, y - top);
            bitmap.SetPixel(x, y, RGB(qRed(c), qGreen(c), qBlue(c)));
        }
}

void RegisterMetafileFormats() {
    PictureRegistry::RegisterFileFormat("wmf", "メタファイル", [] { return std::make_unique<MetafileGraphic>(); });
    PictureRegistry::RegisterFileFormat("emf", "エンハンス メタファイル",
                                        [] { return std::make_unique<MetafileGraphic>(); });
}

}  // namespace gfx
