// Writing the output picture to a file: BMP at 24 bits a pixel, a baseline
// colour JPEG at quality 90, PNG, WebP (lossy at quality 90, or lossless) or
// TIFF (LZW). Every kind is written in sRGB without a colour profile and without
// the camera's metadata. A file is replaced only when the new one is complete,
// so a failure (disk full, no permission, a killed process) leaves the old file
// as it was.
#pragma once

#include <string>

namespace gfx {
class Bitmap;
}

namespace morvi {

// The save file type, as the save dialog's filter index numbers it (TIFF is not
// offered there: it is only written over a TIFF source).
enum class SaveType { Bmp = 1, Jpeg = 2, Png = 3, Webp = 4, Tiff = 5 };

constexpr int kJpegQuality = 90;
constexpr int kWebpQuality = 90;

// How a WebP is coded: lossless when the picture came from a source that was.
enum class WebpCoding { Lossy, Lossless };

// Throws gfx::Exception (EInOutError, EWriteError, ...) with the system's reason.
void WriteOutputPicture(const gfx::Bitmap& bitmap, const std::string& path, SaveType type,
                        WebpCoding coding = WebpCoding::Lossy);

}  // namespace morvi
