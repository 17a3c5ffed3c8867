#include "codecs/decoded_picture.h"

#include <algorithm>

#include "gfx/exceptions.h"
#include "gfx/stream.h"

namespace gfx {

DecodedPicture::DecodedPicture(std::string className, PictureDecoder decoder)
    : className_(std::move(className)), decoder_(std::move(decoder)), pixels_(std::make_unique<Bitmap>()) {}

DecodedPicture::~DecodedPicture() = default;

std::unique_ptr<Graphic> DecodedPicture::Clone() const {
    auto copy = std::make_unique<DecodedPicture>(className_, decoder_);
    copy->Assign(this);
    return copy;
}

void DecodedPicture::Draw(Canvas& canvas, const Rect& rect) const { pixels_->Draw(canvas, rect); }

void DecodedPicture::LoadFromStream(Stream& stream) {
    const int64_t remaining = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    std::vector<uint8_t> data(static_cast<size_t>(remaining));
    if (!data.empty()) stream.ReadBuffer(data.data(), data.size());
    Decoded decoded = decoder_(data);
    if (!decoded.pixels) throw EInvalidGraphic(className_ + ": no picture");
    pixels_ = std::move(decoded.pixels);
    lossy_ = decoded.lossy;
    data_ = std::move(data);
    Changed();
}

void DecodedPicture::SaveToStream(Stream& stream) const {
    if (!data_.empty()) stream.WriteBuffer(data_.data(), data_.size());
}

void DecodedPicture::Assign(const Graphic* source) {
    if (source == this) return;
    if (const auto* other = dynamic_cast<const DecodedPicture*>(source)) {
        auto pixels = other->pixels_->CloneBitmap();
        std::vector<uint8_t> data = other->data_;
        className_ = other->className_;
        decoder_ = other->decoder_;
        pixels_ = std::move(pixels);
        data_ = std::move(data);
        lossy_ = other->lossy_;
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void DecodedPicture::AssignTo(Graphic& dest) const {
    if (auto* bitmap = dynamic_cast<Bitmap*>(&dest)) {
        bitmap->Assign(pixels_.get());
        return;
    }
    Graphic::AssignTo(dest);
}

}  // namespace gfx
