// Pictures read through Qt's image readers: BMP files into framework bitmaps
// (Qt accepts header forms the DIB engine refuses) and icons into a graphic that
// keeps their alpha and blends over what a canvas already holds.
#pragma once

#include <QImage>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/graphic.h"
#include "gfx/pixel_budget.h"

namespace gfx {

// The allocation limit every Qt reader of the program gets. Qt's own (256 MiB)
// would refuse photos the rest of the program takes; the pixel budget's, with
// room for the reader's conversion, keeps both in step.
constexpr int kQtReaderLimitMiB = static_cast<int>(kMaxPictureBytes >> 20) + 64;

// Reads the rest of the stream with Qt's reader of the given format ("bmp").
// Throws EInvalidGraphic with the reader's reason when it cannot.
QImage ReadWithQt(Stream& stream, const char* format);
// The same for bytes already read. The file's orientation is not applied.
QImage ReadWithQt(QByteArray bytes, const char* format);
// The decoder Bitmap::LoadFromStream uses once installed.
std::unique_ptr<Bitmap> DecodeBmpWithQt(Stream& stream);

class IconImage : public Graphic {
public:
    IconImage() = default;
    explicit IconImage(QImage image);

    std::unique_ptr<Graphic> Clone() const override;
    std::string ClassName() const override { return "TIcon"; }
    int32_t Width() const override { return image_.width(); }
    int32_t Height() const override { return image_.height(); }
    bool Empty() const override { return image_.isNull(); }

    // Blends the icon, scaled to rect (reversed edges mirror), over the canvas's pixels.
    void Draw(Canvas& canvas, const Rect& rect) const override;
    // Of the images an icon file holds, the largest (then the deepest) is kept.
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;

    void Assign(const Graphic* source) override;
    // To a Bitmap: the icon drawn on white at its own size.
    void AssignTo(Graphic& dest) const override;

    // Non-premultiplied ARGB.
    const QImage& Image() const { return image_; }

private:
    QImage image_;
};

}  // namespace gfx
