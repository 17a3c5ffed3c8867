#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "conversion_fixture.h"
#include "dib/errors.h"
#include "dib/storage.h"

namespace kvdib::test {
namespace {

using F = TKvPixelFormat;

const F kStoredFormats[] = {F::kvpf1Bit, F::kvpf4Bit, F::kvpf4BitRLE, F::kvpf8Bit, F::kvpf8BitRLE, F::kvpf24Bit};
const gfx::RGBQuad kPalette[] = {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(255, 0, 0), Rgb(0, 0, 255)};
constexpr int32_t kWidth = 20, kHeight = 6;

int BitsOf(F f) { return f == F::kvpf1Bit ? 1 : f == F::kvpf24Bit ? 24 : f <= F::kvpf4BitRLE ? 4 : 8; }
bool IsRLE(F f) { return f == F::kvpf4BitRLE || f == F::kvpf8BitRLE; }
Bytes BitsOf(const TKvInternalDIB& s) { return Bytes(s.DIBInfos.Bits, s.DIBInfos.Bits + s.DIBInfos.BitsSize); }

// Every test storage shows the same picture: runs of ten pixels (so that the RLE
// targets fit) of two colours at 1 bit and four otherwise. As 24-bit bits, with
// every colour but white turned black for the 1-bit masks:
Bytes TrueColorBits(int colours, bool mask = false) {
    const int64_t stride = DIBStride(kWidth, 24);
    Bytes bits(stride * kHeight, 0);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const int index = (x / 10 + y) % colours;
            const gfx::RGBQuad c = mask && index != 1 ? kPalette[0] : kPalette[index];
            std::memcpy(&bits[y * stride + 3 * x], Bgr({c}).data(), 3);
        }
    return bits;
}

std::unique_ptr<TKvInternalDIB> MakeStorage(F format, bool useFMO = false) {
    auto storage = std::make_unique<TKvInternalDIB>(useFMO);
    const int bits = BitsOf(format), colours = bits == 1 ? 2 : 4;
    storage->FreeDIB();
    storage->CreateDIB(kWidth, kHeight, bits == 24 ? 0 : colours, bits);
    DIBInfos& info = storage->DIBInfos;
    const int64_t stride = DIBStride(kWidth, bits);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth && bits != 24; ++x) {
            const int v = (x / 10 + y) % colours;
            info.Bits[y * stride + x * bits / 8] |= static_cast<uint8_t>(v << (8 - bits - x * bits % 8));
        }
    if (bits == 24) std::memcpy(info.Bits, TrueColorBits(colours).data(), info.BitsSize);
    for (int i = 0; i < colours && bits != 24; ++i) info.Colors[i] = kPalette[i];
    if (IsRLE(format)) storage->SetPixelsFormat(format, 0, {}, 0);
    return storage;
}

// Everything a failed conversion must leave as it was.
struct Snapshot {
    explicit Snapshot(const TKvInternalDIB& s) : infos(s.DIBInfos), bits(BitsOf(s)) {}
    void ExpectSame(const TKvInternalDIB& s, const std::string& where) const {
        EXPECT_EQ(std::memcmp(&infos, &s.DIBInfos, sizeof infos), 0) << where;
        EXPECT_EQ(BitsOf(s), bits) << where;
    }
    DIBInfos infos;
    Bytes bits;
};

// Every chain of the table: a failure of any one allocation leaves the storage
// as it was with nothing leaked; once every allocation succeeds the storage
// shows the same picture in the new format, and the colour reductions have
// reported a full tree of progress.
TEST(SetPixelsFormatTest, EveryChainIsAllOrNothing) {
    for (bool useFMO : {false, true})
        for (F from : kStoredFormats)
            for (F to : kStoredFormats)
                for (int quality : {0, 1}) {
                    if (from == to || (quality == 1 && from != F::kvpf24Bit)) continue;
                    const std::string where = std::string(PixelFormatName(from)) + " -> " + PixelFormatName(to) +
                                              " quality " + std::to_string(quality) + (useFMO ? " FMO" : "");
                    auto storage = MakeStorage(from, useFMO);
                    const Snapshot before(*storage);
                    const int64_t live = testing::LiveAllocations();
                    int allocations = 0, calls = 0;
                    for (bool done = false; !done; ++allocations) {
                        calls = 0;
                        testing::FailAllocationAfter(allocations + 1);
                        try {
                            storage->SetPixelsFormat(to, static_cast<uint8_t>(quality), [&] { ++calls; },
                                                     gfx::clWhite);
                            done = true;
                        } catch (const gfx::EOutOfMemory&) {
                            before.ExpectSame(*storage, where + ", allocation " + std::to_string(allocations + 1));
                        }
                        testing::FailAllocationAfter(0);
                        EXPECT_EQ(testing::LiveAllocations(), live) << where;
                    }
                    // One allocation per routine: decode first, encode last.
                    const bool decodes = IsRLE(from), encodes = IsRLE(to) && BitsOf(from) != BitsOf(to);
                    const bool onlyDecodes = decodes && BitsOf(from) == BitsOf(to);
                    EXPECT_EQ(allocations - 1, onlyDecodes ? 1 : 1 + decodes + encodes) << where;
                    const bool reduces = BitsOf(to) > 1 && BitsOf(to) < BitsOf(from);
                    EXPECT_EQ(calls, reduces ? 1 << BitsOf(to) : 0) << where;
                    ASSERT_EQ(storage->GetPixelFormat(), to) << where;
                    EXPECT_TRUE(storage->PaletteChanged);
                    EXPECT_EQ(storage->Height, kHeight);
                    if (to != F::kvpf24Bit) storage->SetPixelsFormat(F::kvpf24Bit, 0, {}, 0);
                    EXPECT_EQ(BitsOf(*storage), TrueColorBits(BitsOf(from) == 1 ? 2 : 4, to == F::kvpf1Bit)) << where;
                }
}

TEST(SetPixelsFormatTest, HalftoneRequestsDecodeFirstAndCleanUp) {
    for (F from : kStoredFormats)
        for (F request : {F::kvpfHalfTone, F::kvpfHalfToneBW}) {
            const std::string where = std::string(PixelFormatName(from)) + " -> " + PixelFormatName(request);
            auto storage = MakeStorage(from);
            const Snapshot before(*storage);
            const int64_t live = testing::LiveAllocations();
            for (int failing = 1; failing <= (IsRLE(from) ? 2 : 1); ++failing) {
                testing::FailAllocationAfter(failing);
                EXPECT_THROW(storage->SetPixelsFormat(request, 0, {}, 0), gfx::EOutOfMemory) << where;
                testing::FailAllocationAfter(0);
                before.ExpectSame(*storage, where);
                EXPECT_EQ(testing::LiveAllocations(), live) << where;
            }
            storage->SetPixelsFormat(request, 0, {}, 0);
            EXPECT_EQ(testing::LiveAllocations(), live) << where;
            const bool colour = request == F::kvpfHalfTone;
            EXPECT_EQ(storage->GetPixelFormat(), colour ? F::kvpf8Bit : F::kvpf1Bit) << where;
            EXPECT_EQ(storage->DIBInfos.Header.biClrUsed, colour ? 215u : 2u) << where;
            if (from != F::kvpf1Bit) continue;
            // Black and white are exact in both palettes, so they come through.
            storage->SetPixelsFormat(F::kvpf24Bit, 0, {}, 0);
            EXPECT_EQ(BitsOf(*storage), TrueColorBits(2)) << where;
        }
}

TEST(SetPixelsFormatTest, RefusesWhatIsNotAConversionAndTouchesNothing) {
    const struct {
        F from;
        uint8_t request, quality;
    } refusals[] = {{F::kvpf8Bit, 3, 0}, {F::kvpf4BitRLE, 2, 0}, {F::kvpf24Bit, 8, 0},
                    {F::kvpf1Bit, 200, 0}, {F::kvpf24Bit, 3, 2}, {F::kvpf24Bit, 2, 2}};
    for (const auto& r : refusals) {
        auto storage = MakeStorage(r.from);
        const Snapshot before(*storage);
        const int64_t live = testing::LiveAllocations();
        EXPECT_EQ(AssertionOf([&] { storage->SetPixelsFormat(static_cast<F>(r.request), r.quality, {}, 0); }),
                  "TKvIntenalDIB.SetPixelsFormat: PixelFormat Error")
            << int(r.request) << " quality " << int(r.quality);
        before.ExpectSame(*storage, PixelFormatName(r.from));
        EXPECT_EQ(testing::LiveAllocations(), live);
    }
    // A shared storage is refused before its pixels change under the other holder.
    auto shared = MakeStorage(F::kvpf8Bit);
    shared->RefCount = 2;
    const Snapshot before(*shared);
    EXPECT_EQ(AssertionOf([&] { shared->SetPixelsFormat(F::kvpf24Bit, 0, {}, 0); }),
              "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
    before.ExpectSame(*shared, "shared");
    shared->RefCount = 1;
}

TEST(SetPixelsFormatTest, KeepsTheSourceWhenTheLastStepFails) {
    // Pixels alternating 1 and 2 are one run of 0x12 bytes at 4 bits but a
    // literal that outgrows the rows at 8 bits.
    TKvInternalDIB storage(false);
    storage.FreeDIB();
    storage.CreateDIB(10, 2, 16, 4);
    std::memset(storage.DIBInfos.Bits, 0x12, storage.DIBInfos.BitsSize);
    storage.SetPixelsFormat(F::kvpf4BitRLE, 0, {}, 0);
    const Snapshot before(storage);
    const int64_t live = testing::LiveAllocations();
    EXPECT_EQ(MessageOf<EKvDIBCompressionFailed>([&] { storage.SetPixelsFormat(F::kvpf8BitRLE, 0, {}, 0); }),
              "Convert8BitRGBTo8BitRLE: Compression Failed");
    before.ExpectSame(storage, "RLE4 to RLE8");
    EXPECT_EQ(testing::LiveAllocations(), live);
}

}  // namespace
}  // namespace kvdib::test
