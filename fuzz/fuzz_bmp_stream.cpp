// Feeds arbitrary bytes to the BMP stream loader, saves what it accepted and
// goes on with it as the program does (see fuzz_dib_road.h).
#include <cstddef>
#include <cstdint>
#include <span>

#include "dib/kvdib.h"
#include "fuzz_dib_road.h"
#include "gfx/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Choices choices(std::span<const uint8_t>(data, size));
    kvdib::TKvDIB dib;
    gfx::MemoryStream in(std::span<const uint8_t>(data, size));
    fuzz::Attempt([&] {
        dib.LoadFromStream(in);
        gfx::MemoryStream out;
        dib.SaveToStream(out);
        fuzz::UseAcceptedDIB(dib, choices);
    });
    return 0;
}
