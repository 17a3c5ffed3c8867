#include "session/picture_kinds.h"

#include "codecs/decoded_picture.h"
#include "codecs/heif.h"
#include "codecs/jpeg.h"
#include "codecs/qt/qt_readers.h"
#include "codecs/qt/raster_readers.h"
#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "metafile/metafile.h"

namespace gfx {

namespace {

void RegisterDecoded(const char* extension, const char* description, const char* className, PictureDecoder decoder) {
    PictureRegistry::RegisterFileFormat(extension, description, [className, decoder] {
        return std::make_unique<DecodedPicture>(className, decoder);
    });
}

Decoded DecodeHeic(std::span<const uint8_t> bytes) { return DecodeHeif(bytes, "HEIF"); }
Decoded DecodeAvif(std::span<const uint8_t> bytes) { return DecodeHeif(bytes, "AVIF"); }

}  // namespace

void RegisterStandardFormats() {
    Bitmap::SetStreamDecoder(DecodeBmpWithQt);
    PictureRegistry::RegisterFileFormat("bmp", "ビットマップ", [] { return std::make_unique<Bitmap>(); });
    PictureRegistry::RegisterFileFormat("ico", "アイコン", [] { return std::make_unique<IconImage>(); });
    RegisterMetafileFormats();
    const char* jpegDescription = "JPEG イメージファイル";
    PictureRegistry::RegisterFileFormat("jpg", jpegDescription, [] { return std::make_unique<JpegImage>(); });
    PictureRegistry::RegisterFileFormat("jpeg", jpegDescription, [] { return std::make_unique<JpegImage>(); });

    // The kinds pictures of today come in, after the program's first six.
    RegisterDecoded("png", "PNG イメージファイル", "TPngImage", DecodePng);
    RegisterDecoded("gif", "GIF イメージファイル", "TGifImage", DecodeGif);
    RegisterDecoded("tif", "TIFF イメージファイル", "TTiffImage", DecodeTiff);
    RegisterDecoded("tiff", "TIFF イメージファイル", "TTiffImage", DecodeTiff);
    RegisterDecoded("webp", "WebP イメージファイル", "TWebPImage", DecodeWebp);
    RegisterDecoded("heic", "HEIF イメージファイル", "THeifImage", DecodeHeic);
    RegisterDecoded("heif", "HEIF イメージファイル", "THeifImage", DecodeHeic);
    RegisterDecoded("avif", "AVIF イメージファイル", "TAvifImage", DecodeAvif);
}

}  // namespace gfx
