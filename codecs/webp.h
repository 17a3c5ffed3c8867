// WebP through libwebp where Qt's reader has nothing to say: whether a file is
// coded losslessly, and the encoder for the WebP files the program writes (lossy
// at a quality, or lossless), without a profile or metadata.
#pragma once

#include <cstdint>
#include <span>

namespace gfx {

class Bitmap;
class Stream;

// True for a still picture coded losslessly (VP8L); false for lossy, animated or
// unreadable data.
bool IsLosslessWebp(std::span<const uint8_t> bytes);
// Writes the bitmap, any format, opaque. Throws EInvalidGraphic when libwebp
// cannot encode it (a side above 16383 pixels).
void WriteWebp(const Bitmap& bitmap, Stream& stream, bool lossless, int quality);

}  // namespace gfx
