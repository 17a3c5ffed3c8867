// Windows metafiles (WMF, placeable or plain) and enhanced metafiles (EMF) as
// graphics of the framework layer: the file is parsed and checked once when it
// is loaded, reports its size in pixels at 96 dpi, and is played on a QPainter
// whenever it is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gfx/graphic.h"

class QPainter;
class QRectF;

namespace gfx {

namespace metafile {
struct Document;
}

class MetafileGraphic : public Graphic {
public:
    MetafileGraphic() = default;
    ~MetafileGraphic() override;

    std::unique_ptr<Graphic> Clone() const override;
    std::string ClassName() const override { return "TMetafile"; }
    void Assign(const Graphic* source) override;

    int32_t Width() const override;
    int32_t Height() const override;
    bool Empty() const override;
    bool Enhanced() const;

    // Plays the records so that the picture fills rect (reversed edges mirror),
    // over whatever the canvas holds: parts the metafile does not paint stay.
    void Draw(Canvas& canvas, const Rect& rect) const override;
    // The same on any painter, target in the painter's coordinates.
    void Paint(QPainter& painter, const QRectF& target) const;

    // Reads the rest of the stream; a malformed file throws EInvalidGraphic and
    // leaves the graphic as it was.
    void LoadFromStream(Stream& stream) override;
    void LoadFromBytes(std::span<const uint8_t> bytes);
    // Writes the file's bytes unchanged.
    void SaveToStream(Stream& stream) const override;
    // CF_ENHMETAFILE and CF_METAFILEPICT data given as the bytes of an EMF or a
    // (placeable or plain) WMF file; other formats throw EInvalidGraphic.
    void LoadFromClipboardFormat(uint16_t format, const std::vector<uint8_t>* data, HPALETTE palette) override;

private:
    std::shared_ptr<const std::vector<uint8_t>> bytes_;
    std::shared_ptr<const metafile::Document> document_;
};

// Registers the "wmf" ("メタファイル") and "emf" ("エンハンス メタファイル")
// kinds with the picture registry, in that order.
void RegisterMetafileFormats();

}  // namespace gfx
