#include "dib/deep_pixels.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "dib/errors.h"
#include "dib/memory.h"
#include "dib/storage.h"

namespace kvdib {

int32_t GetMaskShift(uint32_t mask) {
    int32_t shift = 0;
    while (mask >= 256) {
        mask >>= 1;
        ++shift;
    }
    while (mask < 128) {
        mask <<= 1;
        --shift;
    }
    return shift;
}

void DeepPixelConverter::Prepare(Channel& channel, uint32_t mask) {
    channel.mask = mask;
    const int32_t shift = GetMaskShift(mask);
    channel.rightShift = shift > 0 ? static_cast<uint32_t>(shift) : 0;
    channel.leftShift = shift < 0 ? static_cast<uint32_t>(-shift) : 0;
    // Aligned, the mask's highest bit is bit 7, so every aligned channel value
    // lies in 0..top <= 255 and one table of 256 entries covers them all.
    const uint32_t top = (mask >> channel.rightShift) << channel.leftShift;
    for (uint32_t value = 0; value <= top; ++value) channel.scale[value] = static_cast<uint8_t>(value * 255 / top);
}

DeepPixelConverter::DeepPixelConverter(const DIBInfos& infos, const char* operation) {
    const BITMAPINFOHEADER& h = infos.Header;
    width_ = h.biWidth;
    bitCount_ = h.biBitCount;
    const int64_t rows = std::abs(static_cast<int64_t>(h.biHeight));
    const std::optional<int32_t> size = CheckedDIBImageSize(h.biWidth, rows, 24);
    if (!size) throw EKvDIBInvalidDIB(std::string(operation) + ": Picture is too large");
    rows_ = static_cast<int32_t>(rows);
    outputSize_ = *size;
    outputStride_ = static_cast<int32_t>(DIBStride(h.biWidth, 24));
    inputRowSize_ = DIBStride(width_, bitCount_);

    uint32_t masks[3];
    if (h.biCompression == gfx::BI_RGB) {
        if (bitCount_ == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
        }
    } else if (h.biCompression == gfx::BI_BITFIELDS) {
        std::memcpy(masks, infos.Colors, sizeof(masks));
        bitFields_ = true;
    } else {
        // Any other compression has no masks in the data; whatever sits in the
        // colour area would be guessed, not read.
        throw EKvDIBInvalidDIB(std::string(operation) + ": Invalid Compression");
    }
    if (masks[0] == 0 || masks[1] == 0 || masks[2] == 0) {
        throw EKvDIBInvalidDIB("TKvInternalDIB.LoadFromStream: Invalid Masks");
    }
    Prepare(red_, masks[0]);
    Prepare(green_, masks[1]);
    Prepare(blue_, masks[2]);
}

void DeepPixelConverter::ConvertRow(const uint8_t* in, uint8_t* out) const {
    // The padding of the row is cleared first; the pixels overwrite the rest.
    std::memset(out + outputStride_ - 4, 0, 4);
    if (bitCount_ == 16) {
        for (int32_t x = 0; x < width_; ++x, in += 2, out += 3) {
            const uint32_t v = static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8);
            out[0] = blue_(v);
            out[1] = green_(v);
            out[2] = red_(v);
        }
    } else {
        for (int32_t x = 0; x < width_; ++x, in += 4, out += 3) {
            uint32_t v;
            std::memcpy(&v, in, 4);  // little-endian host, as the packed headers assume
            out[0] = blue_(v);
            out[1] = green_(v);
            out[2] = red_(v);
        }
    }
}

void DeepPixelConverter::FinishHeader(DIBInfos& infos) const {
    if (bitFields_) std::memmove(&infos.Colors[0], &infos.Colors[3], sizeof(RGBQuad) * 256);
    infos.Header.biCompression = gfx::BI_RGB;
    infos.Header.biBitCount = 24;
    infos.Header.biSizeImage = 0;
}

}  // namespace kvdib
