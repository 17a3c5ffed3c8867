// Decodes arbitrary bytes as JPEG through libjpeg-turbo, then encodes what was
// accepted (when small) and decodes that again: what the encoder writes must
// read back at the same size.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "codecs/jpeg.h"
#include "fuzz_common.h"
#include "gfx/bitmap.h"
#include "gfx/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<gfx::Bitmap> picture;
    if (!fuzz::Attempt([&] { picture = gfx::ReadJpeg(data, size); })) return 0;
    if (!fuzz::WithinWork(picture->Width(), picture->Height())) return 0;
    gfx::MemoryStream out;
    gfx::WriteJpeg(*picture, out, 1 + static_cast<int>(size % 100));
    const std::unique_ptr<gfx::Bitmap> again = gfx::ReadJpeg(out.Bytes().data(), out.Bytes().size());
    fuzz::Require(again->Width() == picture->Width() && again->Height() == picture->Height(),
                  "an encoded picture reads back at its size");
    return 0;
}
