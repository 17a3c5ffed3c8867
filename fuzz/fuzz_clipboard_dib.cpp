// Feeds arbitrary bytes to the packed-DIB (clipboard) loader, then writes back
// what it accepted.
#include <cstddef>
#include <cstdint>
#include <span>

#include "dib/errors.h"
#include "dib/storage.h"
#include "gfx/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvdib::TKvInternalDIB dib(size % 2 == 0);
    try {
        dib.LoadFromClipboardFormat(std::span<const uint8_t>(data, size));
        (void)dib.SaveToClipboardFormat();
        (void)dib.GetPixelFormat();
    } catch (const gfx::Exception&) {
        // Rejected input is the expected outcome for most of the corpus.
    }
    return 0;
}
