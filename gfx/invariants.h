// Broken invariants found where no exception may leave: destructors, which free
// pixel memory and hand on changes. They are reported here instead of being
// thrown (which would end the program) or swallowed (which would hide them).
// The default report is one line on stderr; tests install a handler that
// collects the reports, fuzz targets one that aborts.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

namespace gfx {

using BrokenInvariantHandler = std::function<void(const std::string& report)>;

// Installs handler (an empty one brings back the default) and returns the old one.
BrokenInvariantHandler SetBrokenInvariantHandler(BrokenInvariantHandler handler);
void ReportBrokenInvariant(const std::string& report) noexcept;

// Runs work, which may throw, where nothing may be thrown: what it throws is
// reported with the place it happened.
template <class Work>
void ReportIfThrows(const char* where, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& error) {
        ReportBrokenInvariant(std::string(where) + ": " + error.what());
    } catch (...) {
        ReportBrokenInvariant(std::string(where) + ": an exception of unknown type");
    }
}

}  // namespace gfx
