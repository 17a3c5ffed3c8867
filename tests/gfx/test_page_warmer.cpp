// The page warmer runs beside a decoder that is writing the same buffer: what
// the decoder wrote before, during and after the warming stays as written, and
// pages nobody wrote read as zero.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "gfx/page_warmer.h"

namespace gfx {
namespace {

struct Mapping {
    explicit Mapping(size_t size)
        : size(size), data(static_cast<uint8_t*>(::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {}
    ~Mapping() { ::munmap(data, size); }
    size_t size;
    uint8_t* data;
};

uint8_t Mark(size_t at) { return static_cast<uint8_t>(at * 2654435761u >> 13) | 1; }

TEST(PageWarmer, LeavesWhatTheWriterWroteAndZeroesTheRest) {
    const size_t size = PageWarmer::kWorthFrom * 3 + 12345;
    Mapping memory(size);
    ASSERT_NE(memory.data, MAP_FAILED);
    // Written before the warmer starts, while it runs, and after it ended; the
    // unaligned start and end of the span are not pages the warmer may round into.
    const size_t quarter = size / 4;
    const auto write = [&](size_t from, size_t to) {
        for (size_t at = (from + 96) / 97 * 97; at < to; at += 97) memory.data[at] = Mark(at);
    };
    write(0, quarter);
    {
        const PageWarmer warmer(memory.data + 1, size - 2);
        write(quarter, 2 * quarter);
    }
    write(2 * quarter, 3 * quarter);
    for (size_t at = 0; at < size; ++at) {
        const uint8_t expected = at < 3 * quarter && at % 97 == 0 ? Mark(at) : 0;
        ASSERT_EQ(memory.data[at], expected) << "at " << at;
    }
}

TEST(PageWarmer, SmallOrMissingBuffersAreLeftAlone) {
    const PageWarmer none(nullptr, PageWarmer::kWorthFrom * 2);
    uint8_t small[4096] = {7};
    const PageWarmer tiny(small, sizeof small);
    EXPECT_EQ(small[0], 7);
}

}  // namespace
}  // namespace gfx
