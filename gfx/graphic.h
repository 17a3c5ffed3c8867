// The abstract picture of the framework layer: anything with a size that can draw
// itself stretched into a rectangle of a canvas, load and save itself through a
// stream, and be assigned to and from other graphics. Bitmaps, JPEG and icon
// pictures, metafiles and the DIB engine's TKvDIB all derive from it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/palette.h"
#include "gfx/types.h"

namespace gfx {

class Canvas;
class Stream;

enum class ProgressStage { Starting, Running, Ending };

// What a paste can read: the clipboard's data by (Windows-numbered) format. The
// window implements it over the system clipboard; tests over a map.
class ClipboardSource {
public:
    virtual ~ClipboardSource() = default;
    virtual bool HasFormat(uint16_t format) const = 0;
    virtual std::optional<std::vector<uint8_t>> GetData(uint16_t format) const = 0;
};

class Graphic {
public:
    using ChangeHandler = std::function<void(Graphic& sender)>;
    using ProgressHandler = std::function<void(Graphic& sender, ProgressStage stage, uint8_t percentDone,
                                               bool redrawNow, const Rect& rect, const std::string& message)>;

    Graphic() = default;
    virtual ~Graphic() = default;
    Graphic(const Graphic&) = delete;
    Graphic& operator=(const Graphic&) = delete;

    // A new object of the same class holding the same picture ("virtual constructor"
    // followed by Assign). Events are not copied.
    virtual std::unique_ptr<Graphic> Clone() const = 0;
    // A short class name for messages ("TBitmap", "TJPEGImage", "TKvDIB", ...).
    virtual std::string ClassName() const = 0;

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual bool Empty() const = 0;
    // Default: EAbstractError.
    virtual void SetWidth(int32_t value);
    virtual void SetHeight(int32_t value);

    // Default: no palette / ignored.
    virtual HPALETTE GetPalette() const { return nullptr; }
    virtual void SetPalette(HPALETTE palette) { (void)palette; }

    // Draws the picture stretched into rect of the canvas (reversed edges mirror).
    // Canvas::StretchDraw calls this.
    virtual void Draw(Canvas& canvas, const Rect& rect) const = 0;

    virtual void LoadFromStream(Stream& stream) = 0;
    // The same for a reader that needs the picture no larger than wanted says:
    // given the picture's own (upright) size from its header, wanted gives the
    // smallest size the caller will use. A kind that can decode at a reduced
    // scale for less work does so, down to a picture still at least that large
    // on both sides; the others (the default) read the picture whole.
    using SizeWanted = std::function<Size(int32_t width, int32_t height)>;
    virtual void LoadFromStreamFor(Stream& stream, const SizeWanted& wanted);
    virtual void SaveToStream(Stream& stream) const = 0;
    // Opens the file and calls LoadFromStream (EInOutError when it cannot be opened).
    void LoadFromFile(const std::string& path);
    // Opens the file and calls LoadFromStreamFor.
    void LoadFromFileFor(const std::string& path, const SizeWanted& wanted);
    // Writes through SaveFileAtomically: the old file survives any failure.
    void SaveToFile(const std::string& path) const;

    // Clipboard data in the graphic's own format. Default: EAbstractError.
    virtual void LoadFromClipboardFormat(uint16_t format, const std::vector<uint8_t>* data, HPALETTE palette);
    virtual void SaveToClipboardFormat(uint16_t& format, std::vector<uint8_t>& data, HPALETTE& palette) const;

    // Takes the picture of source. Default: source->AssignTo(*this), which throws
    // ECannotAssign ("Cannot assign a X to a Y") when neither side knows the other;
    // a null source also throws ECannotAssign.
    virtual void Assign(const Graphic* source);
    virtual void AssignTo(Graphic& dest) const;

    bool Modified() const { return modified_; }
    // Setting true fires the change event (the framework's change notification).
    void SetModified(bool value);
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    ChangeHandler OnChange;
    ProgressHandler OnProgress;

protected:
    // Sets the modified flag and fires OnChange.
    virtual void Changed();
    void Progress(ProgressStage stage, uint8_t percentDone, bool redrawNow, const Rect& rect,
                  const std::string& message);

private:
    bool modified_ = false;
    bool paletteModified_ = false;
};

}  // namespace gfx
