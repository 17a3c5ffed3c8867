// Colour conversion of decoded pictures to sRGB with LittleCMS 2: a picture
// tagged with a colour profile (a camera's Adobe RGB, a phone's Display P3) is
// converted where it is read, relative colorimetric with black-point
// compensation, so that everything the program hands on (clipboard, BMP, JPEG)
// is sRGB and needs no profile of its own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gfx {

class Bitmap;

// Converts the colours of a 32-bit BGRA or BGRX bitmap from the RGB profile to
// sRGB in place; the fourth byte is kept. A profile that cannot be read, or that
// is not one of RGB pictures, leaves the pixels as they are: the picture is
// then taken as sRGB, like an untagged one.
void ConvertToSrgb(Bitmap& pixels, std::span<const uint8_t> iccProfile);

// The tone curve of an RGB space described by its primaries rather than by a
// profile (HEIF and AVIF's colour descriptions).
enum class ToneCurve { Srgb, Bt709, Linear, Gamma22, Gamma28 };

struct Chromaticity {
    double x = 0, y = 0;
};

// An ICC profile for the RGB space with the given primaries, white point and
// tone curve; empty when LittleCMS cannot make one of these values.
std::vector<uint8_t> RgbProfile(Chromaticity red, Chromaticity green, Chromaticity blue, Chromaticity white,
                                ToneCurve curve);

}  // namespace gfx
