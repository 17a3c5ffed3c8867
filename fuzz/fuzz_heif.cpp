// HEIF and AVIF files through libheif as the program reads them: the primary
// image decoded, its profile converted, composed on white; what loads is drawn
// onto a small bitmap.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/heif.h"
#include "fuzz_common.h"
#include "gfx/canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gfx::Decoded decoded;
    if (!fuzz::Attempt([&] { decoded = gfx::DecodeHeif(std::span<const uint8_t>(data, size), "HEIF"); })) return 0;
    fuzz::Require(decoded.pixels != nullptr, "a decoded picture has pixels");
    if (!fuzz::WithinWork(decoded.pixels->Width(), decoded.pixels->Height())) return 0;
    gfx::Bitmap target(24, 16, gfx::pfDevice);
    target.GetCanvas().StretchDraw({0, 0, 24, 16}, *decoded.pixels);
    return 0;
}

// libheif's AV1 decoder plugin hands libdav1d a data block and, when dav1d
// refuses a broken stream, never releases it: 40 bytes per refused AVIF, in
// the libraries, not in what this program holds. LeakSanitizer is told so, or
// every broken AV1 stream would be reported as the same finding.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }
