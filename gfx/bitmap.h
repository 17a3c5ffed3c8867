// The framework's bitmap: a graphic that holds pixels in one of six formats, with
// a palette for the indexed ones, row access and a canvas. 32-bit BGRX is the
// device format (what a window shows and what working images use). A bitmap may
// also wrap memory it does not own (a DIB section over an engine storage), with a
// negative stride for bottom-up rows. Copies share their pixels until one of
// them is written through a non-const accessor (ScanLine, SetPixel, the canvas),
// as QImage does; a row pointer taken before a copy is made must not be written
// through afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/graphic.h"
#include "gfx/palette.h"
#include "gfx/types.h"

namespace gfx {

enum class PixelFormat { pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit };
constexpr PixelFormat pfDevice = PixelFormat::pf32bit;

int BitsPerPixel(PixelFormat format);
bool IsIndexed(PixelFormat format);
// Bytes of one row padded to four bytes; throws EOutOfMemory when it overflows.
size_t RowBytes(PixelFormat format, int32_t width);

class Canvas;

class Bitmap : public Graphic {
public:
    // An empty bitmap (0 x 0) in the device format.
    Bitmap();
    // width x height of zero bytes (black, or palette index 0). Sizes are checked
    // before allocating: negative sizes throw EOutOfMemory, sizes above the
    // pixel budget EPictureTooLarge.
    Bitmap(int32_t width, int32_t height, PixelFormat format = pfDevice);
    ~Bitmap() override;

    // A view over external memory: rows start at bits and follow each other stride
    // bytes apart (negative: bottom-up, bits then points at the top row's start).
    // The memory must outlive the bitmap and is never freed by it.
    static std::unique_ptr<Bitmap> Wrap(uint8_t* topRow, int32_t width, int32_t height, PixelFormat format,
                                        ptrdiff_t stride, HPALETTE palette = nullptr);

    // Copy: pixels, format and palette (a wrapped view copies into owned memory;
    // owned pixels are shared until either bitmap is written).
    std::unique_ptr<Graphic> Clone() const override;
    std::unique_ptr<Bitmap> CloneBitmap() const;
    std::string ClassName() const override { return "TBitmap"; }
    void Assign(const Graphic* source) override;   // from a Bitmap: deep copy; else Graphic::Assign
    void AssignTo(Graphic& dest) const override;

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    // Resizing keeps the pixels of the common top-left area; new pixels are zero.
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    void SetSize(int32_t width, int32_t height);

    PixelFormat Format() const { return format_; }
    // Converts the pixels: widening is exact through the colour table; narrowing to
    // an indexed format maps each pixel to the nearest palette colour (with a
    // default palette when the bitmap has none); 16-bit is 5-5-5.
    void SetPixelFormat(PixelFormat format);

    HPALETTE GetPalette() const override { return palette_; }
    // The bitmap takes the palette as its colour table for indexed formats.
    void SetPalette(HPALETTE palette) override;
    // The colour table used to read indexed pixels: the palette's colours, or the
    // default table for the bit depth when there is no palette (black/white,
    // the 16 VGA colours, a 256-colour halftone table).
    std::vector<RGBQuad> ColorTable() const;

    // The non-const accessor first gives the bitmap pixels of its own when they are shared.
    uint8_t* ScanLine(int32_t y);
    const uint8_t* ScanLine(int32_t y) const;
    ptrdiff_t Stride() const { return stride_; }
    bool OwnsMemory() const { return !external_; }
    // True while another bitmap shares these pixels.
    bool SharesPixels() const;
    // Shows the pixels of source (same size and format, both owning their memory),
    // shared until either is written; the palette stays. Returns false, changing
    // nothing, when the two do not match. A drawing of a whole bitmap at 1:1
    // onto a whole bitmap uses it instead of copying.
    bool SharePixelsOf(const Bitmap& source);

    // The colour at a pixel, and writing one (indexed formats take the nearest entry).
    // Outside the bitmap Pixel gives 0xFFFFFFFF (GDI's CLR_INVALID) and SetPixel does nothing.
    Color Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, Color color);

    Canvas& GetCanvas();

    // Draws the bitmap with the canvas's stretch mode (high quality unless the
    // caller chose nearest neighbour).
    void Draw(Canvas& canvas, const Rect& rect) const override;
    // BMP: saving writes a plain BMP of the bitmap's own format; loading uses the
    // decoder installed by the Qt side (SetStreamDecoder) and throws
    // EInvalidGraphic when none is installed or the data is not a picture.
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;

    using StreamDecoder = std::function<std::unique_ptr<Bitmap>(Stream&)>;
    static void SetStreamDecoder(StreamDecoder decoder);

private:
    // Filling a whole shared bitmap takes fresh pixels instead of copying the shared ones.
    friend class Canvas;
    struct PixelStore;
    void Allocate(int32_t width, int32_t height, PixelFormat format, bool zeroed = true);
    void Detach();
    // Takes over another bitmap's pixels, format and palette (not its canvas or events).
    void Adopt(Bitmap& other);
    void CopyFrom(const Bitmap& source);

    int32_t width_ = 0;
    int32_t height_ = 0;
    PixelFormat format_ = pfDevice;
    ptrdiff_t stride_ = 0;
    std::shared_ptr<PixelStore> storage_;
    uint8_t* top_ = nullptr;  // start of row 0
    bool external_ = false;
    HPALETTE palette_;
    std::unique_ptr<Canvas> canvas_;
};

// Test support: makes the n-th next allocation of pixels fail as an exhausted
// heap would (0: off), so that every step of a command can be made to fail.
namespace testing {
void FailBitmapAllocationAfter(int calls);
}  // namespace testing

}  // namespace gfx
