// PNG, GIF, TIFF and WebP as the program reads them: the first byte picks the
// kind, the rest is the file, read by the graphic the registry makes for it
// (Qt's reader, exiv2 for the orientation and profile, LittleCMS); what loads is
// upright, opaque and drawn onto a small bitmap.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/decoded_picture.h"
#include "codecs/qt/raster_readers.h"
#include "fuzz_choices.h"
#include "fuzz_common.h"
#include "fuzz_qt_app.h"
#include "gfx/canvas.h"
#include "gfx/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureQtApplication();
    fuzz::Choices choices(std::span<const uint8_t>(data, size));
    static const gfx::PictureDecoder decoders[] = {gfx::DecodePng, gfx::DecodeGif, gfx::DecodeTiff, gfx::DecodeWebp};
    gfx::DecodedPicture picture("fuzz", decoders[choices.Front() % 4]);
    gfx::MemoryStream stream(choices.Rest());
    if (!fuzz::Attempt([&] { picture.LoadFromStream(stream); })) return 0;
    fuzz::Require(picture.Pixels().Format() == gfx::PixelFormat::pf32bit, "a decoded picture has 32-bit pixels");
    if (!fuzz::WithinWork(picture.Width(), picture.Height())) return 0;
    gfx::Bitmap target(24, 16, gfx::pfDevice);
    target.GetCanvas().StretchDraw(choices.RectBack(24, 16), picture);
    return 0;
}
