// What the program does with a picture the engine accepted, for the loader
// targets: a TKvDIB holding it is handed to a framework bitmap, drawn onto a
// small canvas in each drawing mode (1 and 2 draw through a halftone) and
// converted to a pixel format the input picks, with the mono colour and the
// quality also picked by the input. The conversion must give the format asked
// for at the same size, and a reduction of true colour or a halftone must write
// only indices its colour table has.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "dib/dibinfos.h"
#include "dib/kvdib.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "fuzz_choices.h"
#include "fuzz_common.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"

namespace fuzz {

inline kvdib::TKvPixelFormat ExpectedFormat(kvdib::TKvPixelFormat asked) {
    using F = kvdib::TKvPixelFormat;
    if (asked == F::kvpfHalfTone) return F::kvpf8Bit;
    if (asked == F::kvpfHalfToneBW) return F::kvpf1Bit;
    return asked;
}

// Every pixel of an uncompressed indexed DIB names an entry of its colour table.
inline bool IndicesWithinTable(const kvdib::DIBInfos& infos) {
    const gfx::BITMAPINFOHEADER& h = infos.Header;
    if (h.biCompression != gfx::BI_RGB || h.biBitCount > 8) return true;
    const uint32_t entries = h.biClrUsed != 0 ? h.biClrUsed : 1u << h.biBitCount;
    const int64_t stride = kvdib::DIBStride(h.biWidth, h.biBitCount);
    const int64_t rows = std::abs(static_cast<int64_t>(h.biHeight));
    for (int64_t y = 0; y < rows && (y + 1) * stride <= infos.BitsSize; ++y) {
        const uint8_t* row = infos.Bits + y * stride;
        for (int64_t x = 0; x < h.biWidth; ++x) {
            const int64_t bit = x * h.biBitCount;
            const uint32_t index = (row[bit / 8] >> (8 - h.biBitCount - bit % 8)) & ((1u << h.biBitCount) - 1);
            if (index >= entries) return false;
        }
    }
    return true;
}

inline void DrawInEveryMode(kvdib::TKvDIB& dib, Choices& choices) {
    // A small canvas and a rectangle that may be mirrored or stick out of it.
    gfx::Bitmap target(24, 16, gfx::pfDevice);
    const gfx::Rect rect = choices.RectBack(target.Width(), target.Height());
    for (uint8_t mode = 0; mode <= 2; ++mode) {
        dib.DrawMode = static_cast<kvdib::TKvDrawMode>(mode);
        Attempt([&] { target.GetCanvas().StretchDraw(rect, dib); });
    }
    dib.DrawMode = kvdib::TKvDrawMode::Direct;
}

inline void ConvertAsPicked(kvdib::TKvDIB& dib, Choices& choices) {
    const auto asked = static_cast<kvdib::TKvPixelFormat>(choices.Back() % 8);
    dib.ConvertQuality = choices.Back() & 1;
    const uint8_t red = choices.Back(), green = choices.Back(), blue = choices.Back();
    dib.MonoColor = gfx::RGB(red, green, blue);
    const bool fromTrueColor = dib.GetPixelFormat() == kvdib::TKvPixelFormat::kvpf24Bit;
    const int32_t width = dib.Width(), height = dib.Height();
    if (!Attempt([&] { dib.SetPixelFormat(asked); })) return;
    Require(dib.GetPixelFormat() == ExpectedFormat(asked), "the conversion gives the format asked for");
    Require(dib.Width() == width && dib.Height() == height, "the conversion keeps the size");
    if (fromTrueColor || asked == kvdib::TKvPixelFormat::kvpfHalfTone ||
        asked == kvdib::TKvPixelFormat::kvpfHalfToneBW) {
        Require(IndicesWithinTable(dib.InternalDIB->DIBInfos), "a reduction writes only indices of its table");
    }
    gfx::Bitmap converted;
    Attempt([&] { dib.AssignTo(converted); });
}

// The road on from a successful load; choices come off the end of the input.
// Every accepted picture is handed to a bitmap, as every load shows it; only
// the drawing and the conversion are left to small ones.
inline void UseAcceptedDIB(kvdib::TKvDIB& dib, Choices& choices) {
    gfx::Bitmap bitmap;
    Attempt([&] { dib.AssignTo(bitmap); });
    if (!WithinWork(dib.Width(), dib.Height())) return;
    DrawInEveryMode(dib, choices);
    ConvertAsPicked(dib, choices);
}

}  // namespace fuzz
