// The one limit on the size of a picture the program takes in or makes, whatever
// road it comes by: the engine's loaders (RLE data included), Qt's readers, JPEG,
// metafiles, the clipboard and every bitmap of the framework. It is checked from
// the header, before memory for the pixels is taken, so a few bytes that claim a
// gigantic picture cost nothing and end in one clear refusal.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "gfx/exceptions.h"

namespace gfx {

// 2^28 pixels: 16384 x 16384, or a 100-megapixel photo with room to spare. At
// four bytes a pixel one such picture takes 1 GiB.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;
// The bytes one picture of the budget takes at the widest pixel format (32 bits).
constexpr int64_t kMaxPictureBytes = kMaxPicturePixels * 4;

// A picture above the budget. Carries the size it claimed, so that the window can
// say it in its own words.
class EPictureTooLarge : public EInvalidGraphic {
public:
    EPictureTooLarge(const std::string& context, int64_t width, int64_t height);
    int64_t ClaimedWidth() const { return width_; }
    int64_t ClaimedHeight() const { return height_; }

private:
    int64_t width_;
    int64_t height_;
};

// True for a size whose pixel count is within the budget; sides of 0 or less
// hold no pixels and pass (their own checks refuse them where they matter).
bool FitsPictureBudget(int64_t width, int64_t height);
// Throws EPictureTooLarge, its message beginning with context, unless the size fits.
void CheckPictureBudget(int64_t width, int64_t height, const std::string& context);
// The same for the size a DIB header claims (a core or info header at the start
// of packed, as in a packed DIB or a BMP file after its 14-byte file header).
// Bytes too short to say, or of another layout, pass: the reader refuses them.
void CheckClaimedDibSize(std::span<const uint8_t> packed, const std::string& context);

}  // namespace gfx
