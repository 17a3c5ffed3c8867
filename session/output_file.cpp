#include "session/output_file.h"

#include "gfx/bitmap.h"
#include "gfx/jpeg.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace morvi {

void WriteOutputPicture(const gfx::Bitmap& bitmap, const std::string& path, SaveType type) {
    if (type == SaveType::Jpeg) {
        gfx::SaveFileAtomically(path, [&bitmap](gfx::Stream& stream) { gfx::WriteJpeg(bitmap, stream, kJpegQuality); });
        return;
    }
    // BMP files are always written at 24 bits, whatever depth the working image has.
    if (bitmap.Format() == gfx::PixelFormat::pf24bit) {
        gfx::SaveFileAtomically(path, [&bitmap](gfx::Stream& stream) { bitmap.SaveToStream(stream); });
        return;
    }
    std::unique_ptr<gfx::Bitmap> copy = bitmap.CloneBitmap();
    copy->SetPixelFormat(gfx::PixelFormat::pf24bit);
    gfx::SaveFileAtomically(path, [&copy](gfx::Stream& stream) { copy->SaveToStream(stream); });
}

}  // namespace morvi
