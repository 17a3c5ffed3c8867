// TKvInternalDIB::SetPixelsFormat: replaces a storage's pixels by a converted
// copy, running the one, two or three conversions that lead from the current
// pixel format to the asked one. Every intermediate picture is released on every
// path, and the storage changes only once the last conversion has succeeded.
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/expand.h"
#include "dib/halftone.h"
#include "dib/reduce.h"
#include "dib/rle.h"
#include "dib/storage.h"

namespace kvdib {

namespace {

using F = TKvPixelFormat;

enum class Step : uint8_t {
    Rle4To4, Rle8To8, FourToRle4, EightToRle8,
    OneTo4, OneTo8, FourTo8, OneTo24, FourTo24, EightTo24,
    TrueTo4, TrueTo8, EightTo4, TrueTo1, EightTo1, FourTo1,
};

// The chain from each stored format (row) to each target (column), in the order
// of TKvPixelFormat; an empty chain is not a conversion.
using Chain = std::vector<Step>;
const std::array<std::array<Chain, 6>, 6>& Chains() {
    using S = Step;
    static const std::array<std::array<Chain, 6>, 6> chains = {{
        // to: 1Bit, 4Bit, 4BitRLE, 8Bit, 8BitRLE, 24Bit
        {{{}, {S::OneTo4}, {S::OneTo4, S::FourToRle4}, {S::OneTo8}, {S::OneTo8, S::EightToRle8}, {S::OneTo24}}},
        {{{S::FourTo1}, {}, {S::FourToRle4}, {S::FourTo8}, {S::FourTo8, S::EightToRle8}, {S::FourTo24}}},
        {{{S::Rle4To4, S::FourTo1},
          {S::Rle4To4},
          {},
          {S::Rle4To4, S::FourTo8},
          {S::Rle4To4, S::FourTo8, S::EightToRle8},
          {S::Rle4To4, S::FourTo24}}},
        {{{S::EightTo1}, {S::EightTo4}, {S::EightTo4, S::FourToRle4}, {}, {S::EightToRle8}, {S::EightTo24}}},
        {{{S::Rle8To8, S::EightTo1},
          {S::Rle8To8, S::EightTo4},
          {S::Rle8To8, S::EightTo4, S::FourToRle4},
          {S::Rle8To8},
          {},
          {S::Rle8To8, S::EightTo24}}},
        {{{S::TrueTo1}, {S::TrueTo4}, {S::TrueTo4, S::FourToRle4}, {S::TrueTo8}, {S::TrueTo8, S::EightToRle8}, {}}},
    }};
    return chains;
}

constexpr const char* kFormatError = "TKvIntenalDIB.SetPixelsFormat: PixelFormat Error";

struct StepArguments {
    uint8_t quality;
    const ProgressProc& progress;
    uint32_t monoRGB;
    bool useFMO;
};

void RunStep(Step step, const DIBInfos& from, DIBInfos& to, const StepArguments& a) {
    switch (step) {
        case Step::Rle4To4: return Convert4BitRLETo4BitRGB(from, to, a.useFMO);
        case Step::Rle8To8: return Convert8BitRLETo8BitRGB(from, to, a.useFMO);
        case Step::FourToRle4: return Convert4BitRGBTo4BitRLE(from, to, a.useFMO);
        case Step::EightToRle8: return Convert8BitRGBTo8BitRLE(from, to, a.useFMO);
        case Step::OneTo4: return Convert1BitRGBTo4BitRGB(from, to, a.useFMO);
        case Step::OneTo8: return Convert1BitRGBTo8BitRGB(from, to, a.useFMO);
        case Step::FourTo8: return Convert4BitRGBTo8BitRGB(from, to, a.useFMO);
        case Step::OneTo24: return Convert1BitRGBToTrueColor(from, to, a.useFMO);
        case Step::FourTo24: return Convert4BitRGBToTrueColor(from, to, a.useFMO);
        case Step::EightTo24: return Convert8BitRGBToTrueColor(from, to, a.useFMO);
        case Step::TrueTo4:
            if (a.quality == 0) return ConvertTrueColorTo4BitRGBLow(from, to, a.useFMO, a.progress);
            return ConvertTrueColorTo4BitRGBHigh(from, to, a.useFMO, a.progress);
        case Step::TrueTo8:
            if (a.quality == 0) return ConvertTrueColorTo8BitRGBLow(from, to, a.useFMO, a.progress);
            return ConvertTrueColorTo8BitRGBHigh(from, to, a.useFMO, a.progress);
        case Step::EightTo4: return Convert8BitRGBTo4BitRGB(from, to, a.useFMO, a.progress);
        case Step::TrueTo1: return ConvertTrueColorTo1BitRGB(from, to, a.monoRGB, a.useFMO);
        case Step::EightTo1: return Convert8BitTo1BitRGB(from, to, a.monoRGB, a.useFMO);
        case Step::FourTo1: return Convert4BitRGBTo1BitRGB(from, to, a.monoRGB, a.useFMO);
    }
    KVDIB_ASSERT(false, kFormatError);
}

}  // namespace

void TKvInternalDIB::SetPixelsFormat(TKvPixelFormat newFormat, uint8_t quality,
                                     const std::function<void()>& progressProc, uint32_t monoRGB) {
    // Checked before any work: converting a shared storage would change the
    // picture of every holder, and the palette update at the end would only
    // notice after the pixels were already replaced.
    KVDIB_ASSERT(RefCount == 1, "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
    const TKvPixelFormat current = GetPixelFormat();
    const StepArguments arguments{quality, progressProc, monoRGB, UseFMO};

    // Up to three intermediate pictures; whichever is not installed is released
    // when this returns or throws.
    std::array<kvdib::DIBInfos, 3> temporaries{};
    std::array<PixelsGuard, 3> guards{PixelsGuard(temporaries[0], UseFMO), PixelsGuard(temporaries[1], UseFMO),
                                      PixelsGuard(temporaries[2], UseFMO)};

    if (newFormat == F::kvpfHalfTone || newFormat == F::kvpfHalfToneBW) {
        // The halftones read every plain depth; compressed data is decoded first.
        const kvdib::DIBInfos* from = &DIBInfos;
        if (current == F::kvpf4BitRLE || current == F::kvpf8BitRLE) {
            RunStep(current == F::kvpf4BitRLE ? Step::Rle4To4 : Step::Rle8To8, DIBInfos, temporaries[0], arguments);
            from = &temporaries[0];
        }
        if (newFormat == F::kvpfHalfTone)
            ConvertToHalfTone(*from, temporaries[1], UseFMO);
        else
            ConvertToHalfToneBW(*from, temporaries[1], UseFMO);
        Install(temporaries[1]);
        guards[1].Keep();
        return;
    }

    KVDIB_ASSERT(static_cast<unsigned>(newFormat) < 6, kFormatError);
    const Chain& chain = Chains()[static_cast<size_t>(current)][static_cast<size_t>(newFormat)];
    KVDIB_ASSERT(!chain.empty(), kFormatError);
    for (Step step : chain)
        if (step == Step::TrueTo4 || step == Step::TrueTo8) KVDIB_ASSERT(quality <= 1, kFormatError);

    const kvdib::DIBInfos* from = &DIBInfos;
    for (size_t i = 0; i < chain.size(); ++i) {
        RunStep(chain[i], *from, temporaries[i], arguments);
        from = &temporaries[i];
    }
    Install(temporaries[chain.size() - 1]);
    guards[chain.size() - 1].Keep();
}

}  // namespace kvdib
