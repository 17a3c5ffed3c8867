// Writing the output picture to a file: BMP at 24 bits a pixel or a baseline
// colour JPEG at quality 90. A file is replaced only when the new one is
// complete, so a failure (disk full, no permission, a killed process) leaves the
// old file as it was.
#pragma once

#include <string>

namespace gfx {
class Bitmap;
}

namespace morvi {

// The save file type, as the save dialog's filter index numbers it.
enum class SaveType { Bmp = 1, Jpeg = 2 };

constexpr int kJpegQuality = 90;

// Throws gfx::Exception (EInOutError, EWriteError, ...) with the system's reason.
void WriteOutputPicture(const gfx::Bitmap& bitmap, const std::string& path, SaveType type);

}  // namespace morvi
