// What every fuzz target shares: telling a refusal from a fault, checking the
// properties a target states itself, and the bound on the work per input. The
// framework's exceptions are the expected answer to bad input; a broken
// invariant (EAssertionFailed, itself a gfx::Exception) is a fault and ends the
// run, so that the fuzzer keeps the input that reached it. Anything else a body
// throws escapes too.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "gfx/exceptions.h"

namespace fuzz {

// Drawing and converting cost per pixel; larger pictures are only loaded, so
// that one slow input does not hide the faults of many fast ones.
constexpr int64_t kMaxWorkPixels = int64_t{1} << 16;

inline bool WithinWork(int64_t width, int64_t height) { return width * height <= kMaxWorkPixels; }

// Runs body; true when it finished, false when it refused the input with a
// Refusal (any framework exception by default).
template <typename Refusal = gfx::Exception, typename Body>
bool Attempt(Body&& body) {
    try {
        body();
        return true;
    } catch (const gfx::EAssertionFailed& failure) {
        std::fprintf(stderr, "assertion failed: %s\n", failure.what());
        std::abort();
    } catch (const Refusal&) {
        return false;
    }
}

// A property the target checks itself: what held must go on holding.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
