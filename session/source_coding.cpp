#include "session/source_coding.h"

#include "codecs/decoded_picture.h"
#include "codecs/jpeg.h"

namespace morvi {

WebpCoding WebpCodingFor(const gfx::Graphic& read) {
    if (dynamic_cast<const gfx::JpegImage*>(&read) != nullptr) return WebpCoding::Lossy;
    if (const auto* decoded = dynamic_cast<const gfx::DecodedPicture*>(&read))
        return decoded->Lossy() ? WebpCoding::Lossy : WebpCoding::Lossless;
    return WebpCoding::Lossless;
}

}  // namespace morvi
