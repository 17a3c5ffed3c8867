#include "gfx/page_warmer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace gfx {

PageWarmer::PageWarmer(uint8_t* data, size_t size) {
    if (data == nullptr || size < kWorthFrom) return;
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
    if (end <= start) return;
    try {
        thread_ = std::jthread([start, end](std::stop_token stop) {
            // In steps, so that the pages the decoder reaches first are made
            // first, and so that a decoder that gives up stops the warming soon.
            constexpr uintptr_t kStep = uintptr_t{2} << 20;
            for (uintptr_t at = start; at < end && !stop.stop_requested(); at += kStep) {
                // Only advice: a kernel without it, or memory it declines, is
                // faulted in by the decoder as before.
                if (::madvise(reinterpret_cast<void*>(at), std::min(kStep, end - at), MADV_POPULATE_WRITE) != 0)
                    return;
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the decoder touches the pages itself.
    }
}

}  // namespace gfx
