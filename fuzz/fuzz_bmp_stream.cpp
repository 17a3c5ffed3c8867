// Feeds arbitrary bytes to the BMP stream loader, then saves what it accepted.
#include <cstddef>
#include <cstdint>
#include <span>

#include "dib/errors.h"
#include "dib/storage.h"
#include "gfx/exceptions.h"
#include "gfx/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvdib::TKvInternalDIB dib(size % 2 == 0);
    gfx::MemoryStream in(std::span<const uint8_t>(data, size));
    try {
        dib.LoadFromStream(in);
        gfx::MemoryStream out;
        dib.SaveToStream(out);
        (void)dib.GetPixelFormat();
    } catch (const gfx::Exception&) {
        // Rejected input is the expected outcome for most of the corpus.
    }
    return 0;
}
