// The choices a fuzz target makes, read from its input: small numbers off the
// front, for targets whose input is parameters followed by data, or off the end,
// for targets whose input is a file that must keep its own first bytes. An
// exhausted input gives zeros, so every choice has a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "gfx/types.h"

namespace fuzz {

class Choices {
public:
    explicit Choices(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t Front() {
        if (bytes_.empty()) return 0;
        const uint8_t value = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return value;
    }
    uint8_t Back() {
        if (bytes_.empty()) return 0;
        const uint8_t value = bytes_.back();
        bytes_ = bytes_.first(bytes_.size() - 1);
        return value;
    }
    int8_t SignedFront() { return static_cast<int8_t>(Front()); }
    int8_t SignedBack() { return static_cast<int8_t>(Back()); }
    // Up to count bytes off the front (fewer when the input ends first).
    std::span<const uint8_t> TakeFront(size_t count) {
        const std::span<const uint8_t> taken = bytes_.first(count < bytes_.size() ? count : bytes_.size());
        bytes_ = bytes_.subspan(taken.size());
        return taken;
    }
    std::span<const uint8_t> Rest() const { return bytes_; }

    // A rectangle for drawing onto a canvas of the given size, off the end: it
    // may be mirrored (reversed edges), empty, or stick out of the canvas.
    gfx::Rect RectBack(int32_t width, int32_t height) {
        const int32_t left = Back() % (width + 4) - 2;
        const int32_t top = Back() % (height + 4) - 2;
        const int32_t w = SignedBack() % (width + 9);
        const int32_t h = SignedBack() % (height + 9);
        return {left, top, left + w, top + h};
    }

private:
    std::span<const uint8_t> bytes_;
};

}  // namespace fuzz
