// A picture of a kind that is decoded once, as a whole, when it is read (PNG,
// GIF, TIFF, WebP, HEIF, AVIF): the graphic keeps the pixels as the program
// shows them (sRGB, on white, upright) and the file's bytes as they were read.
// Each kind is one decoder function; the registry makes one graphic per kind.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/graphic.h"

namespace gfx {

struct Decoded {
    std::unique_ptr<Bitmap> pixels;  // 32-bit, opaque, upright, sRGB
    bool lossy = false;              // the file's coding threw detail away
};

// Refuses data it cannot read with EInvalidGraphic, and a picture above the
// pixel budget with EPictureTooLarge before it allocates its pixels.
using PictureDecoder = std::function<Decoded(std::span<const uint8_t> bytes)>;

class DecodedPicture : public Graphic {
public:
    DecodedPicture(std::string className, PictureDecoder decoder);
    ~DecodedPicture() override;

    std::unique_ptr<Graphic> Clone() const override;
    std::string ClassName() const override { return className_; }
    int32_t Width() const override { return pixels_->Width(); }
    int32_t Height() const override { return pixels_->Height(); }
    bool Empty() const override { return pixels_->Empty(); }

    void Draw(Canvas& canvas, const Rect& rect) const override;
    void LoadFromStream(Stream& stream) override;
    // The bytes as they were read.
    void SaveToStream(Stream& stream) const override;

    void Assign(const Graphic* source) override;
    // To a Bitmap: the decoded pixels.
    void AssignTo(Graphic& dest) const override;

    const Bitmap& Pixels() const { return *pixels_; }
    bool Lossy() const { return lossy_; }

private:
    std::string className_;
    PictureDecoder decoder_;
    std::unique_ptr<Bitmap> pixels_;
    std::vector<uint8_t> data_;
    bool lossy_ = false;
};

}  // namespace gfx
