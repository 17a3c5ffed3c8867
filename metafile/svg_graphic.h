// A vector picture (SVG) that a paste can take like a metafile: it reports the
// drawing's own size in pixels and renders itself at whatever size it is drawn,
// through Qt's SVG image reader.
#pragma once

#include <QByteArray>
#include <QSize>

#include "gfx/graphic.h"

namespace gfx {

class SvgGraphic : public Graphic {
public:
    SvgGraphic() = default;
    std::unique_ptr<Graphic> Clone() const override;
    std::string ClassName() const override { return "TSvgPicture"; }

    int32_t Width() const override { return size_.width(); }
    int32_t Height() const override { return size_.height(); }
    bool Empty() const override { return size_.isEmpty(); }

    // Renders the drawing at the rectangle's size and lays it over what the
    // canvas holds (transparent parts let it show); reversed edges mirror.
    void Draw(Canvas& canvas, const Rect& rect) const override;
    // Throws EInvalidGraphic when the bytes are not a drawing Qt can read.
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;

private:
    QByteArray bytes_;
    QSize size_;
};

}  // namespace gfx
