// JPEG pictures through libjpeg: a graphic that decodes a JPEG stream into a
// device-format bitmap, draws it with the resampler and encodes a bitmap as a
// baseline colour JPEG. Errors of the library become EInvalidGraphic.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/graphic.h"

namespace gfx {

class Stream;

constexpr int kDefaultJpegQuality = 90;
// Decodes the JPEG data from the stream's position to its end into a 32-bit
// (BGRX) bitmap, upright by its EXIF orientation and in sRGB by its embedded
// colour profile. Grayscale and CMYK pictures come out as colour. A header that
// claims more than the pixel budget is refused (EPictureTooLarge) before the
// decoder allocates anything for the pixels.
std::unique_ptr<Bitmap> ReadJpeg(Stream& stream);
// With wanted, the picture is decoded at the smallest of libjpeg-turbo's IDCT
// scales (1/8, 2/8 ... 7/8) that still gives at least wanted(width, height) on
// both sides: far less work for a picture that is to be made smaller anyway.
std::unique_ptr<Bitmap> ReadJpeg(const uint8_t* data, size_t size, const Graphic::SizeWanted& wanted = {});
// Encodes a bitmap of any format as a baseline colour JPEG of the given quality.
void WriteJpeg(const Bitmap& bitmap, Stream& stream, int quality = kDefaultJpegQuality);

class JpegImage : public Graphic {
public:
    JpegImage();
    ~JpegImage() override;

    std::unique_ptr<Graphic> Clone() const override;
    std::string ClassName() const override { return "TJPEGImage"; }

    int32_t Width() const override { return bitmap_->Width(); }
    int32_t Height() const override { return bitmap_->Height(); }
    bool Empty() const override { return bitmap_->Empty(); }

    // Draws the decoded picture with the canvas's stretch mode.
    void Draw(Canvas& canvas, const Rect& rect) const override;
    void LoadFromStream(Stream& stream) override;
    // At a reduced scale when the wanted size allows; such a picture is no longer
    // the file's, and is encoded anew when saved.
    void LoadFromStreamFor(Stream& stream, const SizeWanted& wanted) override;
    // Writes the data as it was read when the picture has not been changed since,
    // otherwise encodes the bitmap at Quality.
    void SaveToStream(Stream& stream) const override;

    // From a Bitmap (its pixels are taken, to be encoded when saved) or another JpegImage.
    void Assign(const Graphic* source) override;
    // To a Bitmap: the decoded pixels in the device format.
    void AssignTo(Graphic& dest) const override;

    const Bitmap& Pixels() const { return *bitmap_; }
    int Quality = kDefaultJpegQuality;

private:
    std::unique_ptr<Bitmap> bitmap_;
    std::vector<uint8_t> data_;  // the stream as read; empty once the picture is changed
};

}  // namespace gfx
