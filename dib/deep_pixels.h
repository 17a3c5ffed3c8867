// Turning 16- and 32-bit pixels into 24-bit ones on the way in, for both the
// stream and the clipboard loader: masks from the header (5-5-5 and 8-8-8 by
// default, or the three bit fields), each channel scaled to 0..255.
#pragma once

#include <cstdint>

#include "dib/dibinfos.h"

namespace kvdib {

class DeepPixelConverter {
public:
    // Checks the header (compression, masks, size) of a loaded 16- or 32-bit
    // DIB. operation names the loader in messages ("TKvInternalDIB.LoadFromStream").
    DeepPixelConverter(const DIBInfos& infos, const char* operation);

    int64_t InputRowSize() const { return inputRowSize_; }
    int32_t Rows() const { return rows_; }
    int32_t OutputSize() const { return outputSize_; }
    int32_t OutputStride() const { return outputStride_; }

    // One input row of InputRowSize() bytes into one output row of OutputStride() bytes.
    void ConvertRow(const uint8_t* in, uint8_t* out) const;

    // Makes the header describe the 24-bit result and drops the masks from
    // the colour area.
    void FinishHeader(DIBInfos& infos) const;

private:
    struct Channel {
        uint32_t mask = 0;
        uint32_t rightShift = 0;
        uint32_t leftShift = 0;
        uint8_t scale[256] = {};  // aligned channel value -> 0..255

        uint8_t operator()(uint32_t v) const { return scale[((v & mask) >> rightShift) << leftShift]; }
    };
    static void Prepare(Channel& channel, uint32_t mask);

    int32_t width_ = 0;
    int32_t rows_ = 0;
    int bitCount_ = 0;
    bool bitFields_ = false;
    int64_t inputRowSize_ = 0;
    int32_t outputStride_ = 0;
    int32_t outputSize_ = 0;
    Channel red_, green_, blue_;
};

}  // namespace kvdib
