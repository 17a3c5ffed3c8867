// TABitmap: a bitmap that always holds 24-bit pixels and carries the three tone
// operations of the picture menu (contrast, brightness, monochrome). Each
// operation changes a target bitmap in place, row by row; the target may be this
// object or any other bitmap. The arithmetic is fixed so that the same picture
// always gives the same bytes. Rows and row bytes are counted in wide integers,
// so pictures of any size are handled.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"

namespace tone {

// One output byte for every input byte value.
using ByteTable = std::array<uint8_t, 256>;

class TABitmap : public gfx::Bitmap {
public:
    // An empty bitmap, already in the 24-bit format.
    TABitmap();
    TABitmap(int32_t width, int32_t height);
    ~TABitmap() override;

    // A TABitmap holding the same 24-bit picture.
    std::unique_ptr<gfx::Graphic> Clone() const override;
    std::string ClassName() const override { return "TABitmap"; }
    // As the base class, then converted to 24 bits.
    void Assign(const gfx::Graphic* source) override;
    // As the base class, then converted to 24 bits; LoadFromFile goes through here.
    void LoadFromStream(gfx::Stream& stream) override;

    // Each byte v becomes v + (v - 127.5) * Percent / 100, rounded half to even
    // in 80-bit extended precision and clamped to 0..255.
    void AdjustContrast(int32_t percent, gfx::Bitmap& target) const;
    // Each byte v becomes v + Delta, clamped to 0..255.
    void AdjustBrightness(gfx::Bitmap& target, int16_t delta) const;
    // Each pixel's grey level (the truncated mean of its three bytes) is mapped
    // through one table per channel built from blue, green and red.
    void ToMonochrome(gfx::Bitmap& target, uint8_t blue, uint8_t green, uint8_t red) const;

    static int32_t ClampByte(int32_t value);

    // The per-byte tables the operations apply, exposed for tests and tools.
    static ByteTable ContrastTable(int32_t percent);
    static ByteTable BrightnessTable(int16_t delta);
    static ByteTable MonochromeTable(uint8_t parameter);
};

}  // namespace tone
