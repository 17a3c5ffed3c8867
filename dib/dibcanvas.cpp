#include "dib/dibcanvas.h"

#include "dib/dibfuncs.h"
#include "dib/errors.h"
#include "dib/kvdib.h"
#include "dib/storage.h"
#include "gfx/exceptions.h"
#include "gfx/invariants.h"

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

void TKvDIBCanvas::Finish() {
    if (finished_ || DIB == nullptr) return;
    finished_ = true;
    DIB->UpdatePaletteModified();
    DIB->NotifyChanged();
}

TKvDIBCanvas::~TKvDIBCanvas() {
    gfx::ReportIfThrows("TKvDIBCanvas.Destroy", [this] { Finish(); });
}

}  // namespace kvdib
