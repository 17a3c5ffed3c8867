#include "gfx/graphic.h"

#include "gfx/exceptions.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace gfx {

void Graphic::SetWidth(int32_t) { throw EAbstractError("Abstract error: " + ClassName() + ".SetWidth"); }

void Graphic::SetHeight(int32_t) { throw EAbstractError("Abstract error: " + ClassName() + ".SetHeight"); }

void Graphic::LoadFromFile(const std::string& path) {
    FileStream stream(path, FileStream::Mode::Read);
    LoadFromStream(stream);
}

void Graphic::LoadFromStreamFor(Stream& stream, const SizeWanted&) { LoadFromStream(stream); }

void Graphic::LoadFromFileFor(const std::string& path, const SizeWanted& wanted) {
    FileStream stream(path, FileStream::Mode::Read);
    LoadFromStreamFor(stream, wanted);
}

void Graphic::SaveToFile(const std::string& path) const {
    SaveFileAtomically(path, [this](Stream& stream) { SaveToStream(stream); });
}

void Graphic::LoadFromClipboardFormat(uint16_t, const std::vector<uint8_t>*, HPALETTE) {
    throw EAbstractError("Abstract error: " + ClassName() + ".LoadFromClipboardFormat");
}

void Graphic::SaveToClipboardFormat(uint16_t&, std::vector<uint8_t>&, HPALETTE&) const {
    throw EAbstractError("Abstract error: " + ClassName() + ".SaveToClipboardFormat");
}

void Graphic::Assign(const Graphic* source) {
    if (source == nullptr) throw ECannotAssign("Cannot assign nil to a " + ClassName());
    source->AssignTo(*this);
}

void Graphic::AssignTo(Graphic& dest) const {
    throw ECannotAssign("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

void Graphic::SetModified(bool value) {
    if (value)
        Changed();
    else
        modified_ = false;
}

void Graphic::Changed() {
    modified_ = true;
    if (OnChange) OnChange(*this);
}

void Graphic::Progress(ProgressStage stage, uint8_t percentDone, bool redrawNow, const Rect& rect,
                       const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percentDone, redrawNow, rect, message);
}

}  // namespace gfx
