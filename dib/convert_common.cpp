#include "dib/convert_common.h"

#include <cstdlib>

#include "dib/errors.h"
#include "gfx/exceptions.h"
#include "gfx/invariants.h"

namespace kvdib {

PlainLayout LayoutFor(const BITMAPINFOHEADER& header, int bitCount, const char* routine) {
    const int64_t rows = std::llabs(static_cast<int64_t>(header.biHeight));
    KVDIB_ASSERT(header.biWidth > 0 && rows > 0, std::string(routine) + ": Invalid DIB Size");
    const auto size = CheckedDIBImageSize(header.biWidth, rows, bitCount);
    // The source fits in memory, but a wider result (1 bit to 24 bits) may not
    // fit a 32-bit size; that is a failure to get memory, not a broken picture.
    if (!size) throw gfx::EOutOfMemory(std::string(routine) + ": Picture Too Large");
    return {header.biWidth, static_cast<int32_t>(rows), DIBStride(header.biWidth, bitCount), *size};
}

PlainLayout SourceLayout(const DIBInfos& source, const char* routine) {
    const PlainLayout layout = LayoutFor(source.Header, source.Header.biBitCount, routine);
    KVDIB_ASSERT(source.Bits != nullptr && source.BitsSize >= layout.size,
                 std::string(routine) + ": Pixel Memory Too Small");
    return layout;
}

PixelsGuard::~PixelsGuard() {
    if (info_ == nullptr || info_->Bits == nullptr) return;
    // A failed unmap is reported, not thrown: the failure already on its way, if
    // any, is the one the caller sees.
    gfx::ReportIfThrows("PixelsGuard.Destroy", [this] { ReleaseMemory(info_->Mapping, info_->Bits, useFMO_); });
    info_->Bits = nullptr;
    info_->Mapping = MappingHandle{};
    info_->BitsSize = 0;
}

DIBInfos PlainResult(const DIBInfos& source, PendingPixels& memory, int bitCount) {
    DIBInfos result = source;
    memory.HandOver(result);
    result.Header.biBitCount = static_cast<uint16_t>(bitCount);
    result.Header.biCompression = gfx::BI_RGB;
    result.Header.biSizeImage = 0;
    return result;
}

}  // namespace kvdib
