#include "gfx/qt/formats.h"

#include "gfx/bitmap.h"
#include "gfx/jpeg.h"
#include "gfx/metafile/metafile.h"
#include "gfx/picture.h"
#include "gfx/qt/qt_readers.h"

namespace gfx {

void RegisterStandardFormats() {
    Bitmap::SetStreamDecoder(DecodeBmpWithQt);
    PictureRegistry::RegisterFileFormat("bmp", "ビットマップ", [] { return std::make_unique<Bitmap>(); });
    PictureRegistry::RegisterFileFormat("ico", "アイコン", [] { return std::make_unique<IconImage>(); });
    RegisterMetafileFormats();
    const char* jpegDescription = "JPEG イメージファイル";
    PictureRegistry::RegisterFileFormat("jpg", jpegDescription, [] { return std::make_unique<JpegImage>(); });
    PictureRegistry::RegisterFileFormat("jpeg", jpegDescription, [] { return std::make_unique<JpegImage>(); });
}

}  // namespace gfx
