#include "session/output_size.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdlib>

namespace morvi {

std::optional<int32_t> ParseSizeText(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isdigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        // Stop before the accumulator itself could overflow; anything past the
        // 32-bit range is "not a number" like any other junk.
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t SizeTextOr(const std::string& text, int32_t fallback)
{
    return ParseSizeText(text).value_or(fallback);
}

int64_t MagnifiedSide(int32_t side, int k)
{
    if (k == 0) return side;
    const long double root = sqrtl(static_cast<long double>(2 * std::abs(k)));
    const long double scaled = k > 0 ? root * static_cast<long double>(side)
                                     : static_cast<long double>(side) / root;
    // nearbyintl follows the current rounding mode, which is round-half-to-even
    // unless someone changed it; make sure of it for the duration of the call.
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = nearbyintl((scaled + 5.0L) / 10.0L);
    std::fesetround(previousMode);
    return static_cast<int64_t>(rounded) * 10;
}

std::string MagnificationText(int k)
{
    if (k == 0) return "1/1";
    const std::string n = std::to_string(2 * std::abs(k));
    return k > 0 ? n : "1/" + n;
}

std::optional<int64_t> HeightForWidth(int32_t width, int32_t aspectPercent)
{
    if (aspectPercent == 0) return std::nullopt;
    // 64-bit: w x 100 overflows 32 bits for widths past 21 million.
    return (static_cast<int64_t>(width) * 100 / aspectPercent + 5) / 10 * 10;
}

int64_t WidthForHeight(int32_t height, int32_t aspectPercent)
{
    return (static_cast<int64_t>(height) * aspectPercent / 100 + 5) / 10 * 10;
}

}  // namespace morvi
