#include "dib/kvdib.h"

#include <cstdlib>
#include <utility>

#include "dib/dibcanvas.h"
#include "dib/dibfuncs.h"
#include "dib/errors.h"
#include "dib/halftone.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"

namespace kvdib {

bool DefaultUseFMO = true;

namespace {

// Puts DrawMode back however the scope is left.
class DrawModeGuard {
public:
    DrawModeGuard(TKvDrawMode& mode, TKvDrawMode temporary) : mode_(mode), saved_(mode) { mode_ = temporary; }
    ~DrawModeGuard() { mode_ = saved_; }
    DrawModeGuard(const DrawModeGuard&) = delete;
    DrawModeGuard& operator=(const DrawModeGuard&) = delete;

private:
    TKvDrawMode& mode_;
    TKvDrawMode saved_;
};

// A storage with the given UseFMO whose initial 1 x 1 picture is already released,
// ready for CreateDIB.
std::unique_ptr<TKvInternalDIB> BlankStorage(bool useFMO) {
    auto storage = std::make_unique<TKvInternalDIB>(useFMO);
    storage->FreeDIB();
    return storage;
}

int BitCountOf(gfx::PixelFormat format) {
    switch (format) {
        case gfx::PixelFormat::pf1bit: return 1;
        case gfx::PixelFormat::pf4bit: return 4;
        case gfx::PixelFormat::pf8bit: return 8;
        case gfx::PixelFormat::pf16bit: return 24;
        case gfx::PixelFormat::pf24bit: return 24;
        case gfx::PixelFormat::pf32bit: return 24;
    }
    return 0;
}

// The colour halftone palette of the drawing modes, the halftone conversion's
// colours in its order; made once, shared by every TKvDIB.
const gfx::HPALETTE& SharedHalfTonePalette() {
    static const gfx::HPALETTE palette = gfx::ColorTableToPalette(HalfTonePalette);
    if (!palette) throw gfx::EOutOfResources("TKvDIB.GetPalette: Cannot Make Palette(1)");
    return palette;
}

const gfx::HPALETTE& SharedMonoPalette() {
    static const gfx::HPALETTE palette = [] {
        const gfx::PaletteEntry entries[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        return gfx::CreatePalette(entries);
    }();
    if (!palette) throw gfx::EOutOfResources("TKvDIB.GetPalette: Cannot Make Palette(1)");
    return palette;
}

}  // namespace

TKvDIB::TKvDIB() {
    InternalDIB = std::make_unique<TKvInternalDIB>(DefaultUseFMO).release();
    UpdatePaletteModified();
}

TKvDIB::~TKvDIB() {
    if (InternalDIB != nullptr) ReleaseInternalDIB();
}

std::unique_ptr<gfx::Graphic> TKvDIB::Clone() const {
    auto copy = std::make_unique<TKvDIB>();
    copy->Assign(this);
    return copy;
}

uint16_t TKvDIB::NativeClipboardFormat() const { return gfx::CF_DIB; }

void TKvDIB::ReleaseInternalDIB() {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKVDIB.ReleaseInternalDIB: InternalDIB should not be Nil");
    TKvInternalDIB* storage = std::exchange(InternalDIB, nullptr);
    // The storage is reference counted by hand (its RefCount is part of its
    // state); the last holder owns it.
    if (--storage->RefCount == 0) std::unique_ptr<TKvInternalDIB> last(storage);
}

void TKvDIB::InstallStorage(std::unique_ptr<TKvInternalDIB> storage) {
    ReleaseInternalDIB();
    InternalDIB = storage.release();
}

void TKvDIB::UniqueDIB() {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.UniqueDIB: InternalDIB Should not be Nil");
    if (InternalDIB->RefCount == 1) return;
    std::unique_ptr<TKvInternalDIB> copy = CopyForWrite(*InternalDIB);
    InstallStorage(std::move(copy));
    UpdatePaletteModified();
}

void TKvDIB::UpdatePaletteModified() {
    KVDIB_ASSERT(InternalDIB != nullptr && InternalDIB->RefCount == 1,
                 "TKvDIB.UpdatePaletteModified RefCount Must be 1");
    if (InternalDIB->PaletteChanged) {
        InternalDIB->PaletteChanged = false;
        SetPaletteModified(true);
    }
}

bool TKvDIB::GetUseFMO() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetUseFMO: InternalDIB Should not be Nil");
    return InternalDIB->UseFMO;
}

bool TKvDIB::Empty() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetEmpty: InternalDIB Should not be Nil");
    return false;
}

int32_t TKvDIB::Width() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetWidth: InternalDIB Should not be Nil");
    return InternalDIB->Width;
}

int32_t TKvDIB::Height() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetHeight: InternalDIB Should not be Nil");
    return InternalDIB->Height;
}

void TKvDIB::SetWidth(int32_t value) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SetWidth: InternalDIB Should not be Nil");
    if (value <= 0) throw EKvDIBInvalidDIBPara("TKvDIB.SetWidth: Invalid Width");
    if (value == InternalDIB->Width) return;
    const BITMAPINFOHEADER& header = InternalDIB->DIBInfos.Header;
    auto storage = BlankStorage(InternalDIB->UseFMO);
    storage->CreateDIB(value, InternalDIB->Height, static_cast<int32_t>(header.biClrUsed), header.biBitCount);
    InstallStorage(std::move(storage));
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::SetHeight(int32_t value) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SetWidth: InternalDIB Should not be Nil");
    if (value == 0) throw EKvDIBInvalidDIBPara("TKvDIB.SetWidth: Invalid Height");
    if (value == InternalDIB->Height) return;
    const BITMAPINFOHEADER& header = InternalDIB->DIBInfos.Header;
    auto storage = BlankStorage(InternalDIB->UseFMO);
    storage->CreateDIB(InternalDIB->Width, value, static_cast<int32_t>(header.biClrUsed), header.biBitCount);
    InstallStorage(std::move(storage));
    UpdatePaletteModified();
    Changed();
}

gfx::HPALETTE TKvDIB::GetPalette() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetPalette: InternalDIB Should not be Nil");
    if (DrawMode == TKvDrawMode::HalfTone) return SharedHalfTonePalette();
    if (DrawMode == TKvDrawMode::HalfToneBW) return SharedMonoPalette();
    if (!InternalDIB->PaletteHandle && InternalDIB->DIBInfos.Header.biClrUsed != 0) {
        InternalDIB->PaletteHandle = InternalDIB->MakePalette();
    }
    return InternalDIB->PaletteHandle;
}

void TKvDIB::SetPalette(gfx::HPALETTE palette) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SetPalette: InternalDIB Should not be Nil");
    UniqueDIB();
    DIBInfos& infos = InternalDIB->DIBInfos;
    if (!palette) {
        infos.Header.biClrUsed = 0;
        // A handle cached from the old colour table would go on describing colours
        // the picture no longer has.
        InternalDIB->PaletteHandle = nullptr;
    } else {
        const std::vector<gfx::PaletteEntry> entries = gfx::GetPaletteEntries(palette, 0, 256);
        if (entries.empty()) throw EKvDIBInvalidPalette("TKvDIB.SetPalette: Invalid Palette");
        infos.Header.biClrUsed = static_cast<uint32_t>(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            infos.Colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        }
        InternalDIB->PaletteHandle = std::move(palette);
    }
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::Assign(const gfx::Graphic* source) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.Assign: InternalDIB Should not be Nil");
    if (source == nullptr) {
        InstallStorage(std::make_unique<TKvInternalDIB>(InternalDIB->UseFMO));
        UpdatePaletteModified();
        Changed();
        return;
    }
    if (const auto* other = dynamic_cast<const TKvDIB*>(source)) {
        if (other == this) return;
        TKvInternalDIB* shared = other->InternalDIB;
        ++shared->RefCount;  // taken before the release, in case both share it already
        ReleaseInternalDIB();
        InternalDIB = shared;
        MonoColor = other->MonoColor;
        ConvertQuality = other->ConvertQuality;
        DrawMode = other->DrawMode;
        SetPaletteModified(true);
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const gfx::Bitmap*>(source)) {
        AssignFromBitmap(*bitmap);
        return;
    }
    TKvGraphic::Assign(source);
}

void TKvDIB::AssignFromBitmap(const gfx::Bitmap& bitmap) {
    const int bitCount = BitCountOf(bitmap.Format());
    auto storage = BlankStorage(InternalDIB->UseFMO);
    storage->CreateDIB(bitmap.Width(), bitmap.Height(), 0, bitCount);
    DIBInfos& infos = storage->DIBInfos;
    gfx::GetDIBits(bitmap, 0, static_cast<uint32_t>(storage->Height), infos.Bits,
                   static_cast<size_t>(infos.BitsSize), infos.Header, infos.Colors);
    if (infos.Header.biClrUsed == 0) infos.Header.biClrUsed = static_cast<uint32_t>(GetNumColors(bitCount));
    if (infos.Header.biXPelsPerMeter == 0) infos.Header.biXPelsPerMeter = gfx::kDefaultPelsPerMeter;
    if (infos.Header.biYPelsPerMeter == 0) infos.Header.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
    InstallStorage(std::move(storage));
    InternalDIB->UpdatePalette();
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::AssignTo(gfx::Graphic& dest) const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.AssignTo: InternalDIB Should not be Nil");
    if (auto* other = dynamic_cast<TKvDIB*>(&dest)) {
        other->Assign(this);
        return;
    }
    if (auto* bitmap = dynamic_cast<gfx::Bitmap*>(&dest)) {
        AssignToBitmap(*bitmap);
        return;
    }
    TKvGraphic::AssignTo(dest);
}

void TKvDIB::AssignToBitmap(gfx::Bitmap& bitmap) const {
    bitmap.SetHeight(Height());
    bitmap.SetWidth(Width());
    gfx::PixelFormat format = gfx::PixelFormat::pf24bit;
    switch (InternalDIB->GetPixelFormat()) {
        case TKvPixelFormat::kvpf1Bit: format = gfx::PixelFormat::pf1bit; break;
        case TKvPixelFormat::kvpf4Bit:
        case TKvPixelFormat::kvpf4BitRLE: format = gfx::PixelFormat::pf4bit; break;
        case TKvPixelFormat::kvpf8Bit:
        case TKvPixelFormat::kvpf8BitRLE: format = gfx::PixelFormat::pf8bit; break;
        case TKvPixelFormat::kvpf24Bit: format = gfx::PixelFormat::pf24bit; break;
        default: KVDIB_ASSERT(false, "TKvDIB.AssignTo: Illegal PixelFormat");
    }
    const DIBInfos& infos = InternalDIB->DIBInfos;
    const int32_t width = Width();
    const int32_t height = Height();
    const int64_t stride = DIBStride(width, infos.Header.biBitCount);
    const size_t rowBytes = gfx::RowBytes(format, width);
    // Uncompressed rows that are all there are copied over every byte; RLE data
    // is decoded into a whole picture and drawn over every pixel at 1:1.
    const bool everyPixelWritten = infos.Header.biCompression != gfx::BI_RGB ||
                                   (stride * static_cast<int64_t>(height) <= infos.BitsSize &&
                                    static_cast<size_t>(stride) == rowBytes);
    if (everyPixelWritten && bitmap.Format() != format) {
        // Converting the old pixels to the new depth would be wasted (for a
        // large indexed picture, minutes of nearest-colour searches): all of them
        // are overwritten below. A blank bitmap of that depth changes the bitmap
        // in one step, as the conversion does. The plain bitmap assignment is
        // meant: a derived class may convert what it is given.
        gfx::Bitmap blank(width, height, format);
        bitmap.gfx::Bitmap::Assign(&blank);
    } else {
        bitmap.SetPixelFormat(format);
    }
    {
        DrawModeGuard guard(const_cast<TKvDIB*>(this)->DrawMode, TKvDrawMode::Direct);
        bitmap.SetPalette(gfx::CopyPalette(GetPalette()));
    }
    if (infos.Header.biCompression == gfx::BI_RGB) {
        // Uncompressed data goes row by row, so that palette indices stay exactly
        // as stored even where the colour table repeats a colour.
        const size_t copyBytes = std::min<size_t>(rowBytes, static_cast<size_t>(stride));
        for (int32_t y = 0; y < height; ++y) {
            const int32_t memoryRow = infos.Header.biHeight > 0 ? height - 1 - y : y;
            const int64_t offset = static_cast<int64_t>(memoryRow) * stride;
            if (offset + stride > infos.BitsSize) break;
            std::copy_n(infos.Bits + offset, copyBytes, bitmap.ScanLine(y));
        }
        bitmap.SetModified(true);
        return;
    }
    gfx::Canvas& canvas = bitmap.GetCanvas();
    gfx::StretchDIBits(canvas, 0, 0, width, height, 0, 0, width, height, infos.Bits,
                       static_cast<size_t>(infos.BitsSize), infos.InfoView(), gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
    bitmap.SetModified(true);
}

void TKvDIB::Draw(gfx::Canvas& canvas, const gfx::Rect& rect) const {
    if (InternalDIB == nullptr) return;
    if (DrawMode == TKvDrawMode::Direct) {
        RenderDirect(canvas, rect);
    } else if (DrawMode == TKvDrawMode::HalfTone || DrawMode == TKvDrawMode::HalfToneBW) {
        RenderHalftoned(canvas, rect);
    }
}

void TKvDIB::RenderDirect(gfx::Canvas& canvas, const gfx::Rect& rect) const {
    // Selecting and realizing the palette have nothing to do here; the colours
    // come with the DIB's own table.
    const gfx::StretchMode saved = canvas.stretchMode;
    canvas.stretchMode = gfx::StretchMode::ColorOnColor;
    const DIBInfos& infos = InternalDIB->DIBInfos;
    try {
        gfx::StretchDIBits(canvas, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                           Width(), Height(), infos.Bits, static_cast<size_t>(infos.BitsSize), infos.InfoView(),
                           gfx::DIB_RGB_COLORS, gfx::SRCCOPY);
    } catch (...) {
        canvas.stretchMode = saved;
        throw;
    }
    canvas.stretchMode = saved;
}

void TKvDIB::RenderHalftoned(gfx::Canvas& canvas, const gfx::Rect& rect) const {
    if (rect.right == rect.left || rect.bottom == rect.top) return;
    auto* self = const_cast<TKvDIB*>(this);
    TKvDIB temporary;
    {
        DrawModeGuard guard(self->DrawMode, TKvDrawMode::Direct);
        temporary.SetWidth(std::abs(rect.right - rect.left));
        temporary.SetHeight(std::abs(rect.bottom - rect.top));
        temporary.SetBitCount(GetBitCount());
        temporary.SetPalette(gfx::CopyPalette(GetPalette()));
        TKvDIBCanvas dibCanvas(&temporary);
        dibCanvas.StretchDraw({0, 0, rect.right - rect.left, rect.bottom - rect.top}, *this);
        dibCanvas.Finish();
    }
    temporary.SetPixelFormat(DrawMode == TKvDrawMode::HalfTone ? TKvPixelFormat::kvpfHalfTone
                                                              : TKvPixelFormat::kvpfHalfToneBW);
    temporary.Draw(canvas, rect);
}

void TKvDIB::LoadFromStream(gfx::Stream& stream) {
    auto storage = std::make_unique<TKvInternalDIB>(InternalDIB->UseFMO);
    storage->LoadFromStream(stream);
    InstallStorage(std::move(storage));
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::SaveToStream(gfx::Stream& stream) const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SaveToStream: InternalDIB Should not be Nil");
    InternalDIB->SaveToStream(stream);
}

void TKvDIB::LoadFromClipboardFormat(uint16_t format, const std::vector<uint8_t>* data, gfx::HPALETTE) {
    if (format != gfx::CF_DIB || data == nullptr) {
        throw gfx::EInvalidGraphic("TKvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
    // The palette handle is not used: the colours come with the packed DIB.
    auto storage = std::make_unique<TKvInternalDIB>(InternalDIB->UseFMO);
    storage->LoadFromClipboardFormat(*data);
    InstallStorage(std::move(storage));
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::SaveToClipboardFormat(uint16_t& format, std::vector<uint8_t>& data, gfx::HPALETTE& palette) const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SaveToClipboardFormat: InternalDIB Should not be Nil");
    format = gfx::CF_DIB;
    palette = nullptr;
    data = InternalDIB->SaveToClipboardFormat();
}

int TKvDIB::GetBitCount() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetBitCount: InternalDIB Should not be Nil");
    return InternalDIB->DIBInfos.Header.biBitCount;
}

void TKvDIB::SetBitCount(int value) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.SetBitCount: InternalDIB Should not be Nil");
    if (value != 1 && value != 4 && value != 8 && value != 24) {
        throw EKvDIBInvalidDIBPara("TKvDIB.SetBitCount: Invalid BitCount");
    }
    if (value == InternalDIB->DIBInfos.Header.biBitCount) return;
    auto storage = BlankStorage(InternalDIB->UseFMO);
    storage->CreateDIB(InternalDIB->Width, InternalDIB->Height, GetNumColors(value), value);
    InstallStorage(std::move(storage));
    UpdatePaletteModified();
    Changed();
}

TKvPixelFormat TKvDIB::GetPixelFormat() const {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetPixelFormat: InternalDIB Should not be Nil");
    return InternalDIB->GetPixelFormat();
}

namespace {

struct ProgressPlan {
    TKvPixelFormat from;
    TKvPixelFormat to;
    int32_t total;
    const char* text;
};

// The conversions that run a colour reduction, and so report progress.
constexpr ProgressPlan kProgressPlans[] = {
    {TKvPixelFormat::kvpf8Bit, TKvPixelFormat::kvpf4Bit, 16, "PixelFormat 8Bit -> 4Bit"},
    {TKvPixelFormat::kvpf8Bit, TKvPixelFormat::kvpf4BitRLE, 16, "PixelFormat 8Bit -> 4BitRLE"},
    {TKvPixelFormat::kvpf8BitRLE, TKvPixelFormat::kvpf4Bit, 16, "PixelFormat 8BitRLE -> 4Bit"},
    {TKvPixelFormat::kvpf8BitRLE, TKvPixelFormat::kvpf4BitRLE, 16, "PixelFormat 8BitRLE -> 4BitRLE"},
    {TKvPixelFormat::kvpf24Bit, TKvPixelFormat::kvpf4Bit, 16, "PixelFormat 24Bit -> 4Bit"},
    {TKvPixelFormat::kvpf24Bit, TKvPixelFormat::kvpf4BitRLE, 16, "PixelFormat 24Bit -> 4BitRLE"},
    {TKvPixelFormat::kvpf24Bit, TKvPixelFormat::kvpf8Bit, 256, "PixelFormat 24Bit -> 8Bit"},
    {TKvPixelFormat::kvpf24Bit, TKvPixelFormat::kvpf8BitRLE, 256, "PixelFormat 24Bit -> 8BitRLE"},
};

// Framework colours have no system colours to resolve here: the plain RGB of
// one is its low 24 bits, in the 0x00BBGGRR order the reductions read back.
uint32_t ColorToPlainRGB(gfx::Color color) { return color & 0x00FFFFFF; }

}  // namespace

void TKvDIB::SetPixelFormat(TKvPixelFormat value) {
    KVDIB_ASSERT(InternalDIB != nullptr, "TKvDIB.GetPixelFormat: InternalDIB Should not be Nil");
    const TKvPixelFormat current = GetPixelFormat();
    if (value == current) return;
    UniqueDIB();
    bool progressBegun = false;
    for (const ProgressPlan& plan : kProgressPlans) {
        if (plan.from == current && plan.to == value) {
            SetProgress(plan.total, plan.text);
            BeginProgress();
            progressBegun = true;
        }
    }
    try {
        InternalDIB->SetPixelsFormat(value, ConvertQuality, [this] { StepProgress(); }, ColorToPlainRGB(MonoColor));
    } catch (...) {
        UpdatePaletteModified();
        if (progressBegun) EndProgress();
        throw;
    }
    UpdatePaletteModified();
    if (progressBegun) EndProgress();
    UpdatePaletteModified();
    Changed();
}

void TKvDIB::SetProgress(int32_t total, const std::string& text) {
    ProgressText = text;
    ProgressTotal = total;
    ProgressCount = 0;
}

void TKvDIB::BeginProgress() {
    Progress(gfx::ProgressStage::Starting, 0, false, {0, 0, Width(), Height()}, ProgressText);
}

void TKvDIB::StepProgress() {
    ++ProgressCount;
    if (ProgressCount == ProgressTotal) return;
    const int32_t percent = ProgressTotal != 0 ? ProgressCount * 100 / ProgressTotal : 0;
    Progress(gfx::ProgressStage::Running, static_cast<uint8_t>(std::clamp(percent, 0, 100)), false,
             {0, 0, Width(), Height()}, ProgressText);
}

void TKvDIB::EndProgress() {
    Progress(gfx::ProgressStage::Ending, 100, true, {0, 0, Width(), Height()}, ProgressText);
}

void RegisterKvDIB() {
    gfx::PictureRegistry::RegisterFileFormat("dib", "Device Independent Bitmap", [] { return std::make_unique<TKvDIB>(); });
    gfx::PictureRegistry::RegisterClipboardFormat(gfx::CF_DIB, [] { return std::make_unique<TKvDIB>(); });
}

void UnregisterKvDIB() {
    gfx::PictureRegistry::UnregisterFileFormat("dib");
    gfx::PictureRegistry::UnregisterClipboardFormat(gfx::CF_DIB);
}

}  // namespace kvdib
