// PNG and TIFF files written through Qt's image writers: lossless, opaque,
// 8 bits a channel, without a colour profile (the pixels are sRGB) or metadata.
#pragma once

namespace gfx {

class Bitmap;
class Stream;

void WritePng(const Bitmap& bitmap, Stream& stream);
// LZW-compressed.
void WriteTiff(const Bitmap& bitmap, Stream& stream);

}  // namespace gfx
