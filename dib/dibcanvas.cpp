#include "dibcanvas.h"

#include "dib/errors.h"
#include "dib/kvdib.h"
#include "dib/storage.h"
#include "gfx/dibfuncs.h"
#include "gfx/exceptions.h"

namespace kvdib {

gfx::Bitmap& TKvDIBCanvas::MakeSection(TKvDIB* dib, std::unique_ptr<gfx::Bitmap>& holder) {
    if (dib == nullptr || !dib->GetUseFMO()) throw EKvDIBCanvasFailed("TKvDIBCanvas.Create: Cannot Create Canvas");
    // The canvas must never draw into a storage another TKvDIB still shares.
    dib->UniqueDIB();
    const DIBInfos& infos = dib->InternalDIB->DIBInfos;
    // The section views the storage's own shared memory: drawing needs no copy back.
    holder = gfx::CreateDIBSection(infos.InfoView(), infos.Bits, static_cast<size_t>(infos.BitsSize));
    if (!holder) throw gfx::EOutOfResources("TKvDIBCanvas.Create: Cannot Create Memory DC");
    return *holder;
}

TKvDIBCanvas::TKvDIBCanvas(TKvDIB* dib) : gfx::Canvas(MakeSection(dib, SectionBitmap)), DIB(dib) {}

TKvDIBCanvas::~TKvDIBCanvas() {
    if (DIB == nullptr) return;
    try {
        DIB->UpdatePaletteModified();
        DIB->NotifyChanged();
    } catch (...) {
        // A destructor cannot report; the storage was made private when the canvas
        // opened, so the only failure left would be a change handler's own.
    }
}

}  // namespace kvdib
