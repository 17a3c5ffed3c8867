// Feeds arbitrary bytes to the Windows metafile reader and plays what it accepts.
#include "fuzz_metafile_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzMetafile(data, size, [](std::span<const uint8_t> bytes) { return gfx::metafile::ReadWmf(bytes); });
}
