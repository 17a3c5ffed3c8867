// The arithmetic of the output size row: reading a size box as a number, the
// transfer magnification of the up-down position and the keep-aspect rules.
// Kept apart from the widgets so that the exact rounding can be tested alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace morvi {

// The box text as a signed 32-bit decimal (leading blanks and a sign allowed);
// nullopt when it is not one, so that each reader picks its own default.
std::optional<int32_t> ParseSizeText(const std::string& text);
int32_t SizeTextOr(const std::string& text, int32_t fallback);

// One side scaled by position k of the up-down: k = 0 is the side itself;
// otherwise n = 2|k| and the side is multiplied (k > 0) or divided (k < 0) by
// sqrt(n) in extended precision, then R((x + 5) / 10) x 10 with R rounding half
// to even. 645 at k = 2 gives 1300.
int64_t MagnifiedSide(int32_t side, int k);

// "1/1", "2" .. "20", "1/2" .. "1/20".
std::string MagnificationText(int k);

// Leaving the width box with keep-aspect on: the height derived from width w.
// nullopt when the ratio is 0 (no usable ratio), which leaves the height as it is.
std::optional<int64_t> HeightForWidth(int32_t width, int32_t aspectPercent);
// Leaving the height box: the width derived from height h.
int64_t WidthForHeight(int32_t height, int32_t aspectPercent);

}  // namespace morvi
