// The Qt reader road as the program takes it: the first byte picks BMP (Qt's
// reader behind Bitmap), icon or SVG, the rest is the file; what loads is drawn
// onto a small bitmap, straight and in a rectangle picked off the input's end.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/qt/qt_readers.h"
#include "fuzz_choices.h"
#include "fuzz_common.h"
#include "fuzz_qt_app.h"
#include "gfx/canvas.h"
#include "gfx/stream.h"
#include "metafile/svg_graphic.h"

namespace {

std::unique_ptr<gfx::Graphic> Load(uint8_t reader, gfx::Stream& stream) {
    if (reader % 3 == 0) return gfx::DecodeBmpWithQt(stream);
    std::unique_ptr<gfx::Graphic> graphic;
    if (reader % 3 == 1) graphic = std::make_unique<gfx::IconImage>();
    else graphic = std::make_unique<gfx::SvgGraphic>();
    graphic->LoadFromStream(stream);
    return graphic;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureQtApplication();
    fuzz::Choices choices(std::span<const uint8_t>(data, size));
    const uint8_t reader = choices.Front();
    gfx::MemoryStream stream(choices.Rest());
    std::unique_ptr<gfx::Graphic> graphic;
    if (!fuzz::Attempt([&] { graphic = Load(reader, stream); })) return 0;
    if (!fuzz::WithinWork(graphic->Width(), graphic->Height())) return 0;
    gfx::Bitmap target(24, 16, gfx::pfDevice);
    target.GetCanvas().StretchDraw({0, 0, 24, 16}, *graphic);
    target.GetCanvas().StretchDraw(choices.RectBack(24, 16), *graphic);
    gfx::Bitmap copy;
    fuzz::Attempt<gfx::ECannotAssign>([&] { graphic->AssignTo(copy); });
    return 0;
}
