// Feeds arbitrary bytes to the enhanced metafile reader and plays what it accepts.
#include "fuzz_metafile_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef MORVI_FUZZ_METAFILES
    return FuzzMetafile(data, size, [](std::span<const uint8_t> bytes) { return gfx::metafile::ReadEmf(bytes); });
#else
    (void)data;
    (void)size;
    return 0;
#endif
}
