// Feeds arbitrary bytes to the packed-DIB (clipboard) loader, writes back what it
// accepted and goes on with it as the program does (see fuzz_dib_road.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dib/kvdib.h"
#include "fuzz_dib_road.h"
#include "gfx/dibheaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Choices choices(std::span<const uint8_t>(data, size));
    const std::vector<uint8_t> block(data, data + size);
    kvdib::TKvDIB dib;
    fuzz::Attempt([&] {
        dib.LoadFromClipboardFormat(gfx::CF_DIB, &block, nullptr);
        uint16_t format = 0;
        std::vector<uint8_t> saved;
        gfx::HPALETTE palette;
        dib.SaveToClipboardFormat(format, saved, palette);
        fuzz::UseAcceptedDIB(dib, choices);
    });
    return 0;
}
