// TKvDIBCanvas: a canvas whose drawing lands directly in a TKvDIB's pixel memory,
// through a bitmap that views the storage's shared memory in place.
#pragma once

#include <memory>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"

namespace kvdib {

class TKvDIB;

namespace detail {
// Holds the section bitmap so that it exists before the canvas drawing on it.
struct SectionHolder {
    std::unique_ptr<gfx::Bitmap> SectionBitmap;
};
}  // namespace detail

class TKvDIBCanvas : private detail::SectionHolder, public gfx::Canvas {
public:
    // Fails with EKvDIBCanvasFailed for a null DIB or heap storage, and with
    // EOutOfResources for data that cannot be viewed as a section (RLE).
    explicit TKvDIBCanvas(TKvDIB* dib);
    // Hands the DIB its changes (palette mark and one change event) once; what a
    // change handler throws passes on. The destructor finishes a canvas that was
    // not finished, reporting instead of throwing.
    void Finish();
    ~TKvDIBCanvas();
    TKvDIBCanvas(const TKvDIBCanvas&) = delete;
    TKvDIBCanvas& operator=(const TKvDIBCanvas&) = delete;

private:
    static gfx::Bitmap& MakeSection(TKvDIB* dib, std::unique_ptr<gfx::Bitmap>& holder);
    TKvDIB* DIB = nullptr;
    bool finished_ = false;
};

}  // namespace kvdib
