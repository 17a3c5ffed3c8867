#include "session/output_file.h"

#include "codecs/jpeg.h"
#include "codecs/qt/qt_writers.h"
#include "codecs/webp.h"
#include "gfx/bitmap.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace morvi {

void WriteOutputPicture(const gfx::Bitmap& bitmap, const std::string& path, SaveType type, WebpCoding coding) {
    switch (type) {
        case SaveType::Jpeg:
            gfx::SaveFileAtomically(path, [&bitmap](gfx::Stream& stream) { gfx::WriteJpeg(bitmap, stream, kJpegQuality); });
            return;
        case SaveType::Png:
            gfx::SaveFileAtomically(path, [&bitmap](gfx::Stream& stream) { gfx::WritePng(bitmap, stream); });
            return;
        case SaveType::Webp:
            gfx::SaveFileAtomically(path, [&bitmap, coding](gfx::Stream& stream) {
                gfx::WriteWebp(bitmap, stream, coding == WebpCoding::Lossless, kWebpQuality);
            });
            return;
        case SaveType::Tiff:
            gfx::SaveFileAtomically(path, [&bitmap](gfx::Stream& stream) { gfx::WriteTiff(bitmap, stream); });
            return;
        case SaveType::Bmp: break;
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
