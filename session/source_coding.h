// How the picture a session holds was coded where it came from, for the one
// choice that depends on it: a WebP is written losslessly when its source was
// lossless (PNG, BMP, GIF, TIFF, a lossless WebP, an icon, a metafile, the
// clipboard) and lossy at quality 90 when its source already was (JPEG, a lossy
// WebP, HEIF, AVIF), where lossless coding would only keep the losses.
#pragma once

#include "session/output_file.h"

namespace gfx {
class Graphic;
}

namespace morvi {

// The coding for a graphic just read from a file.
WebpCoding WebpCodingFor(const gfx::Graphic& read);

}  // namespace morvi
