// Fresh memory is zeroed by the kernel at the first touch of each page. A
// decoder that fills a large buffer row by row on one core pays for that
// zeroing as it goes; a PageWarmer has the pages faulted in on another thread
// meanwhile, from the start of the buffer on, so the zeroing runs beside the
// decoding. It only makes pages present and never changes their contents, and
// it is joined before it is destroyed: the buffer must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>

namespace gfx {

class PageWarmer {
public:
    // Below this, starting a thread costs more than the faults it saves.
    static constexpr size_t kWorthFrom = size_t{8} << 20;

    PageWarmer(uint8_t* data, size_t size);
    ~PageWarmer() = default;  // the jthread joins
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

private:
    std::jthread thread_;
};

}  // namespace gfx
