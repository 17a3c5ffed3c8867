// Plumbing shared by the pixel-format conversions: the checked row geometry of a
// plain DIB, an owner for freshly allocated pixel memory that gives it back
// unless the conversion completes, and the destination block every conversion
// starts from (a byte copy of the source).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "dib/dibinfos.h"
#include "dib/pending_pixels.h"
#include "dib/memory.h"
#include "gfx/exceptions.h"

namespace kvdib {

// Rows of an uncompressed picture as the header describes them.
struct PlainLayout {
    int32_t width = 0;
    int32_t rows = 0;    // |biHeight|
    int64_t stride = 0;  // bytes per row, padded to four
    int32_t size = 0;    // stride * rows
};

// The layout of a picture with the header's width and height at bitCount bits.
// A header whose size does not fit BitsSize raises EOutOfMemory naming the
// routine; a width or height of zero is a broken storage invariant (assertion).
PlainLayout LayoutFor(const BITMAPINFOHEADER& header, int bitCount, const char* routine);

// The layout of the source itself, checked against the memory it owns: a source
// whose BitsSize is smaller than its rows fails an assertion instead of letting a
// conversion read past its pixels.
PlainLayout SourceLayout(const DIBInfos& source, const char* routine);

// Releases the pixel memory of a DIBInfos that a conversion handed over, unless
// the holder keeps it (Keep). Used for the intermediate pictures of a chain.
class PixelsGuard {
public:
    PixelsGuard(DIBInfos& info, bool useFMO) : info_(&info), useFMO_(useFMO) {}
    ~PixelsGuard();
    PixelsGuard(const PixelsGuard&) = delete;
    PixelsGuard& operator=(const PixelsGuard&) = delete;
    void Keep() { info_ = nullptr; }

private:
    DIBInfos* info_;
    bool useFMO_;
};

// The header of a conversion result before the routine sets its own fields: the
// whole source block with the pixel fields replaced by memory's and the given bit
// count, BI_RGB and biSizeImage 0.
DIBInfos PlainResult(const DIBInfos& source, PendingPixels& memory, int bitCount);

// Working memory of a conversion (not pixel memory): uninitialised, owned, and a
// heap that cannot give it raises the framework's EOutOfMemory like GetMemory.
template <typename T>
std::unique_ptr<T[]> WorkBuffer(size_t count) {
    try {
        return std::make_unique_for_overwrite<T[]>(count);
    } catch (const std::bad_alloc&) {
        throw gfx::EOutOfMemory("Out of memory");
    }
}

// The colour-table entry of an index, as every indexed reader sees it: indices
// beyond biClrUsed read whatever the 260-entry area holds there.
inline const RGBQuad& ColorOf(const DIBInfos& info, unsigned index) { return info.Colors[index]; }

}  // namespace kvdib
