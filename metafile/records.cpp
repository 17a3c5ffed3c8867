#include "metafile/records.h"

#include <string>

#include "gfx/exceptions.h"

namespace gfx::metafile {

void ChargeBitmap(Document& document, const QImage* image) {
    if (!image) return;
    document.bitmapPixels += int64_t(image->width()) * image->height();
    if (document.bitmapPixels > kMaxTotalBitmapPixels)
        throw EInvalidGraphic("Metafile: its bitmaps hold more than " + std::to_string(kMaxTotalBitmapPixels) +
                              " pixels in all");
}

void CheckCommandCount(const Document& document) {
    if (document.commands.size() >= kMaxCommands)
        throw EInvalidGraphic("Metafile: more than " + std::to_string(kMaxCommands) + " records to play");
}

}  // namespace gfx::metafile
