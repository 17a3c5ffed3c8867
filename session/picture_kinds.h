// The picture kinds the program opens by file extension, registered in the
// order the open dialog lists them.
#pragma once

namespace gfx {

// Registers bmp ("ビットマップ", read through Qt), ico ("アイコン"), the
// metafile kinds, jpg and jpeg ("JPEG イメージファイル"), then png, gif, tif
// and tiff, webp, heic and heif, and avif; and installs the Qt BMP reader behind
// Bitmap::LoadFromStream. Calling it again changes nothing.
void RegisterStandardFormats();

}  // namespace gfx
