#include "codecs/webp.h"

#include <webp/decode.h>
#include <webp/encode.h>

#include <memory>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/exceptions.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

struct WebpDeleter {
    void operator()(uint8_t* bytes) const { WebPFree(bytes); }
};

}  // namespace

bool IsLosslessWebp(std::span<const uint8_t> bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return false;
    return features.format == 2 && !features.has_animation;
}

void WriteWebp(const Bitmap& bitmap, Stream& stream, bool lossless, int quality) {
    if (bitmap.Width() > WEBP_MAX_DIMENSION || bitmap.Height() > WEBP_MAX_DIMENSION)
        throw EInvalidGraphic("WebP: a picture of " + std::to_string(bitmap.Width()) + " x " +
                              std::to_string(bitmap.Height()) + " pixels is larger than WebP allows (" +
                              std::to_string(WEBP_MAX_DIMENSION) + " pixels a side)");
    // Blue, green, red in every pixel, as a 24-bit DIB row holds them.
    std::unique_ptr<Bitmap> packed;
    const Bitmap* source = &bitmap;
    if (bitmap.Format() != PixelFormat::pf24bit || bitmap.Stride() <= 0) {
        packed = bitmap.CloneBitmap();
        packed->SetPixelFormat(PixelFormat::pf24bit);
        source = packed.get();
    }
    const auto stride = static_cast<int>(source->Stride());
    if (source->Empty() || stride <= 0) throw EInvalidGraphic("WebP: no picture to write");
    uint8_t* raw = nullptr;
    const size_t size = lossless ? WebPEncodeLosslessBGR(source->ScanLine(0), source->Width(), source->Height(),
                                                         stride, &raw)
                                 : WebPEncodeBGR(source->ScanLine(0), source->Width(), source->Height(), stride,
                                                 static_cast<float>(quality), &raw);
    const std::unique_ptr<uint8_t, WebpDeleter> encoded(raw);
    if (size == 0 || !encoded) throw EInvalidGraphic("WebP: the encoder refused the picture");
    stream.WriteBuffer(encoded.get(), size);
}

}  // namespace gfx
