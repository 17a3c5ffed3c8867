#include "gfx/invariants.h"

#include <cstdio>

namespace gfx {

namespace {

BrokenInvariantHandler& Installed() {
    static BrokenInvariantHandler handler;
    return handler;
}

}  // namespace

BrokenInvariantHandler SetBrokenInvariantHandler(BrokenInvariantHandler handler) {
    return std::exchange(Installed(), std::move(handler));
}

void ReportBrokenInvariant(const std::string& report) noexcept {
    try {
        if (const BrokenInvariantHandler& handler = Installed()) {
            handler(report);
            return;
        }
    } catch (...) {
        // A handler that fails still leaves the report to the default below.
    }
    std::fprintf(stderr, "morvi: broken invariant: %s\n", report.c_str());
}

}  // namespace gfx
