// Decoding of the device-independent bitmaps that metafile records carry (a
// BITMAPINFO header with its colour table, and the pixel bits) into QImages.
// Every size is checked against the bytes the record holds; the caller never
// sees a bitmap whose rows were not all present.
#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>

namespace gfx::metafile {

// Decodes a bitmap whose header (plus colour table or masks) is in info and whose
// pixel rows (or RLE8/RLE4 data) are in bits. Returns null for kinds that are
// valid but not played (JPEG or PNG compression); throws EInvalidGraphic when the
// header is malformed or the bits are shorter than the header says, and
// EPictureTooLarge above the pixel budget. The image is top-down, Format_RGB32
// (or ARGB32 when keepAlpha and the bitmap has 32 bits per pixel).
// bandRows, when not negative, is the number of rows the bits hold when they
// are a band of a taller bitmap (SETDIBITSTODEVICE): the image then has that many
// rows, at most the header's height.
std::shared_ptr<const QImage> DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                        bool paletteIndices = false, bool keepAlpha = false, int64_t bandRows = -1);

// The same for a packed DIB, where the bits follow the header and colour table.
std::shared_ptr<const QImage> DecodePackedDib(std::span<const uint8_t> packed, bool paletteIndices = false,
                                              int64_t bandRows = -1);

}  // namespace gfx::metafile
