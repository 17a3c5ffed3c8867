// One file of a batch conversion, as the window's batch converts it when no one
// is asked anything: read through the DIB engine, sized by the batch's rules,
// cut to a region when one is given, and written by the overwrite save's rules
// (".jpg", ".bmp", ".png", ".webp", ".tif" and ".tiff" stay of their kind,
// anything else gets a ".bmp" file beside it). The output size is known from
// the picture's header before it is read, so a JPEG that is to be made at least
// twice smaller on both sides is decoded at a reduced scale (within the JPEG's
// own error of the whole road).
// The command-line converter and the benchmarks run it.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "gfx/types.h"
#include "session/output_file.h"

namespace morvi {

struct BatchSettings {
    // The magnification as the up-down position: 0 is 1/1, 1 to 10 give the areas
    // 2 to 20, -1 to -10 the areas 1/2 to 1/20.
    int position = 0;
    // The size boxes at 1/1: both given, every file gets exactly that size; one
    // given, the other follows each file's own ratio by the keep-aspect rules;
    // none, every file keeps its own size.
    std::optional<int32_t> width;
    std::optional<int32_t> height;
    // The region to hand on, in output pixels (left, top, right, bottom).
    std::optional<gfx::Rect> region;
    // The kind to write; by default the one the window's batch writes for the
    // source's name.
    std::optional<SaveType> type;
    // The folder to write into under the same file name; empty: beside the source.
    QString outputFolder;
};

struct BatchResult {
    QString written;   // the file written
    SaveType type = SaveType::Bmp;
    int32_t width = 0;
    int32_t height = 0;
    bool renamed = false;  // written under another name than the source's
};

// The file a batch writes for source: in outputFolder (or beside source) under
// source's name, with the kind's extension (".jpg", ".bmp", ".png", ...) when
// the kind is not the one the name says.
QString BatchTarget(const QString& source, SaveType type, const QString& outputFolder);
// The kind written when none is asked for: the one the name says, else BMP.
SaveType DefaultBatchType(const QString& source);

}  // namespace morvi
