// A walk over the chunks of PNG data before Qt's reader sees it. libpng takes
// the length a chunk claims at its word and allocates it whole before reading
// (a 400-byte file claiming a 1.9 GB text chunk costs 1.9 GB and seconds of
// work), so data whose buffered chunks run past its end is refused here.
#pragma once

#include <cstdint>
#include <span>

namespace gfx {

// True when the bytes begin with the PNG signature.
bool LooksLikePng(std::span<const uint8_t> bytes);

// Throws EInvalidGraphic when a chunk other than image data claims more bytes
// than follow it. Image data is streamed by libpng, not buffered, and a file
// cut off inside it is left to the reader as before. Other data passes.
void CheckPngChunks(std::span<const uint8_t> bytes, const char* context);

}  // namespace gfx
