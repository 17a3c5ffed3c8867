// TKvDIB: the engine's graphic. It holds its picture in a shared TKvInternalDIB
// (copy on write), loads and saves BMP streams and clipboard DIBs, converts
// between pixel formats, draws itself (directly or through a halftone) and is
// assigned to and from the framework's bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dib/dibinfos.h"
#include "dib/kvgraphic.h"
#include "gfx/types.h"

namespace gfx {
class Bitmap;
}

namespace kvdib {

class TKvInternalDIB;
class TKvDIBCanvas;

// How a TKvDIB draws itself: its own pixels, or through a colour or a
// black-and-white halftone at the drawn size. Clients may store other values,
// which draw nothing.
enum class TKvDrawMode : uint8_t { Direct = 0, HalfTone = 1, HalfToneBW = 2 };

// The UseFMO every new TKvDIB gives its storage. The program never changes it;
// a client that sets it false gets heap storage, on which no canvas can open.
extern bool DefaultUseFMO;

class TKvDIB : public TKvGraphic {
public:
    TKvDIB();
    ~TKvDIB() override;

    std::unique_ptr<gfx::Graphic> Clone() const override;
    std::string ClassName() const override { return "TKvDIB"; }
    uint16_t NativeClipboardFormat() const override;

    void Assign(const gfx::Graphic* source) override;
    void AssignTo(gfx::Graphic& dest) const override;
    void Draw(gfx::Canvas& canvas, const gfx::Rect& rect) const override;  // Render

    bool Empty() const override;
    int32_t Width() const override;
    int32_t Height() const override;
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    gfx::HPALETTE GetPalette() const override;
    void SetPalette(gfx::HPALETTE palette) override;

    void LoadFromStream(gfx::Stream& stream) override;
    void SaveToStream(gfx::Stream& stream) const override;
    void LoadFromClipboardFormat(uint16_t format, const std::vector<uint8_t>* data, gfx::HPALETTE palette) override;
    void SaveToClipboardFormat(uint16_t& format, std::vector<uint8_t>& data, gfx::HPALETTE& palette) const override;

    int GetBitCount() const;
    void SetBitCount(int value);
    TKvPixelFormat GetPixelFormat() const;
    void SetPixelFormat(TKvPixelFormat value);
    bool GetUseFMO() const;

    // Private storage for a writer: copies the shared storage when RefCount > 1.
    void UniqueDIB();
    // Moves the storage's PaletteChanged mark to the graphic's palette-modified flag.
    void UpdatePaletteModified();
    void ReleaseInternalDIB();

    // Progress reporting of conversions through the graphic's progress event.
    void SetProgress(int32_t total, const std::string& text);
    void BeginProgress();
    void StepProgress();
    void EndProgress();

    // The storage (shared with other TKvDIB objects until a writer detaches it).
    TKvInternalDIB* InternalDIB = nullptr;
    uint8_t ConvertQuality = 0;
    gfx::Color MonoColor = gfx::clWhite;
    TKvDrawMode DrawMode = TKvDrawMode::Direct;
    int32_t ProgressCount = 0;
    int32_t ProgressTotal = 0;
    std::string ProgressText;

private:
    friend class TKvDIBCanvas;
    void InstallStorage(std::unique_ptr<TKvInternalDIB> storage);
    void AssignFromBitmap(const gfx::Bitmap& bitmap);
    void AssignToBitmap(gfx::Bitmap& bitmap) const;
    void RenderDirect(gfx::Canvas& canvas, const gfx::Rect& rect) const;
    void RenderHalftoned(gfx::Canvas& canvas, const gfx::Rect& rect) const;
    void NotifyChanged() { Changed(); }
};

// Registers TKvDIB for the extension "dib" ("Device Independent Bitmap") and for
// CF_DIB with the picture registry; the program calls it once at start-up.
void RegisterKvDIB();
void UnregisterKvDIB();

}  // namespace kvdib
