// The pixel-format conversions on a 6000 x 4000 picture, each beside memcpy of
// the picture it reads, measured in the same run: 24 -> 8 bits in Low and High
// quality, the colour and black-and-white halftones, RLE8 encoding and decoding
// and 8 -> 24 bit expansion. dib_convert.sh turns the figures into ratios and
// times ImageMagick on the same picture.
//   bench_dib_convert --write-pictures DIR   writes in.bmp (24 bits) and
//                                            palette.bmp (the 215 halftone colours)
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dib/expand.h"
#include "dib/halftone.h"
#include "dib/memory.h"
#include "dib/reduce.h"
#include "dib/rle.h"
#include "gfx/dibheaders.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
constexpr bool kUseFMO = true;  // as every storage of the engine does

// A DIBInfos whose pixel memory lives as long as the holder.
struct Owned {
    kvdib::DIBInfos info{};
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Release(); }
    void Release() {
        kvdib::ReleaseMemory(info.Mapping, info.Bits, kUseFMO);
        info.Bits = nullptr;
    }
};

void InitHeader(kvdib::DIBInfos& info, int bits) {
    info.Header.biSize = 40;
    info.Header.biWidth = kWidth;
    info.Header.biHeight = kHeight;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = static_cast<uint16_t>(bits);
    info.Header.biXPelsPerMeter = info.Header.biYPelsPerMeter = gfx::kDefaultPelsPerMeter;
    info.Header.biClrUsed = static_cast<uint32_t>(kvdib::GetNumColors(bits));
    info.BitsSize = *kvdib::CheckedDIBImageSize(kWidth, kHeight, bits);
    kvdib::GetMemory(info.BitsSize, info.Mapping, info.Bits, kUseFMO);
}

uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// A photograph stand-in: smooth gradients and waves with a little noise, so the
// histogram is well filled and neighbouring pixels are close but rarely equal.
void MakeTrueColorPicture(Owned& picture) {
    {
        Owned* p = &picture;
        InitHeader(p->info, 24);
        const int64_t stride = kvdib::DIBStride(kWidth, 24);
        std::vector<double> waveX(kWidth), waveY(kHeight);
        for (int32_t x = 0; x < kWidth; ++x) waveX[x] = 25 * std::cos(x / 131.0);
        for (int32_t y = 0; y < kHeight; ++y) waveY[y] = 30 * std::sin(y / 97.0);
        uint32_t seed = 2024;
        for (int32_t y = 0; y < kHeight; ++y) {
            uint8_t* row = p->info.Bits + y * stride;
            for (int32_t x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245 + 12345;
                const int noise = static_cast<int>((seed >> 16) % 9) - 4;
                row[3 * x + 2] = Clamp(x * 200.0 / kWidth + waveY[y] + 20 + noise);
                row[3 * x + 1] = Clamp(y * 220.0 / kHeight + waveX[x] + 10 - noise);
                row[3 * x + 0] = Clamp((x + y) * 255.0 / (kWidth + kHeight) + (waveX[x] + waveY[y]) / 2 + noise);
            }
        }
    }
}

// Each picture is made once and lives for the whole run.
const Owned& TrueColorPicture() {
    static Owned picture;
    static const bool made = (MakeTrueColorPicture(picture), true);
    (void)made;
    return picture;
}

// A drawing stand-in at 8 bits: flat areas with a strip of varying pixels every
// 500 columns, so RLE meets long runs and absolute runs.
void MakeIndexedPicture(Owned& picture) {
    {
        Owned* p = &picture;
        InitHeader(p->info, 8);
        for (int i = 0; i < 256; ++i)
            p->info.Colors[i] = gfx::RGBQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                             static_cast<uint8_t>(i * 7), 0};
        const int64_t stride = kvdib::DIBStride(kWidth, 8);
        for (int32_t y = 0; y < kHeight; ++y) {
            uint8_t* row = p->info.Bits + y * stride;
            for (int32_t x = 0; x < kWidth; ++x)
                row[x] = static_cast<uint8_t>(x % 500 < 16 ? x * 3 + y : (x / 40) * 7 + (y / 30) * 13);
        }
    }
}

const Owned& IndexedPicture() {
    static Owned picture;
    static const bool made = (MakeIndexedPicture(picture), true);
    (void)made;
    return picture;
}

const Owned& IndexedPictureRLE() {
    static Owned picture;
    static const bool made = (kvdib::Convert8BitRGBTo8BitRLE(IndexedPicture().info, picture.info, kUseFMO), true);
    (void)made;
    return picture;
}

void Memcpy(benchmark::State& state, const kvdib::DIBInfos& source) {
    std::vector<uint8_t> target(source.BitsSize, 1);
    for (auto _ : state) {
        std::memcpy(target.data(), source.Bits, source.BitsSize);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * source.BitsSize);
}

// The same copy into fresh pixel memory from GetMemory, as a conversion gets
// it: on this platform the kernel's first touch of new pages costs far more
// than the copy itself, and every conversion pays it for its result.
void FreshCopy(benchmark::State& state, const kvdib::DIBInfos& source) {
    for (auto _ : state) {
        Owned copy;
        kvdib::GetMemory(source.BitsSize, copy.info.Mapping, copy.info.Bits, kUseFMO);
        std::memcpy(copy.info.Bits, source.Bits, source.BitsSize);
        benchmark::DoNotOptimize(copy.info.Bits);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * source.BitsSize);
}

template <typename Convert>
void Run(benchmark::State& state, const kvdib::DIBInfos& source, int64_t plainBytes, Convert convert) {
    for (auto _ : state) {
        Owned result;
        convert(source, result.info);
        benchmark::DoNotOptimize(result.info.Bits);
    }
    state.SetBytesProcessed(state.iterations() * plainBytes);
}

void BM_Memcpy_24Bit(benchmark::State& state) { Memcpy(state, TrueColorPicture().info); }
void BM_Memcpy_8Bit(benchmark::State& state) { Memcpy(state, IndexedPicture().info); }
void BM_FreshCopy_24Bit(benchmark::State& state) { FreshCopy(state, TrueColorPicture().info); }
void BM_FreshCopy_8Bit(benchmark::State& state) { FreshCopy(state, IndexedPicture().info); }

void BM_Reduce24To8_Low(benchmark::State& state) {
    const auto& s = TrueColorPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) {
        kvdib::ConvertTrueColorTo8BitRGBLow(in, out, kUseFMO, {});
    });
}
void BM_Reduce24To8_High(benchmark::State& state) {
    const auto& s = TrueColorPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) {
        kvdib::ConvertTrueColorTo8BitRGBHigh(in, out, kUseFMO, {});
    });
}
void BM_HalfTone(benchmark::State& state) {
    const auto& s = TrueColorPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) { kvdib::ConvertToHalfTone(in, out, kUseFMO); });
}
void BM_HalfToneBW(benchmark::State& state) {
    const auto& s = TrueColorPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) { kvdib::ConvertToHalfToneBW(in, out, kUseFMO); });
}
void BM_Rle8Encode(benchmark::State& state) {
    const auto& s = IndexedPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) { kvdib::Convert8BitRGBTo8BitRLE(in, out, kUseFMO); });
    state.counters["stream_bytes"] = IndexedPictureRLE().info.BitsSize;
}
void BM_Rle8Decode(benchmark::State& state) {
    const auto& s = IndexedPictureRLE().info;
    Run(state, s, IndexedPicture().info.BitsSize,
        [](const auto& in, auto& out) { kvdib::Convert8BitRLETo8BitRGB(in, out, kUseFMO); });
}
void BM_Expand8To24(benchmark::State& state) {
    const auto& s = IndexedPicture().info;
    Run(state, s, s.BitsSize, [](const auto& in, auto& out) { kvdib::Convert8BitRGBToTrueColor(in, out, kUseFMO); });
}

BENCHMARK(BM_Memcpy_24Bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Memcpy_8Bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreshCopy_24Bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreshCopy_8Bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduce24To8_Low)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduce24To8_High)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HalfTone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HalfToneBW)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rle8Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rle8Decode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Expand8To24)->Unit(benchmark::kMillisecond)->UseRealTime();

// A bottom-up BI_RGB BMP file of a plain picture.
bool WriteBmp(const std::string& path, const kvdib::DIBInfos& info) {
    const uint32_t colors = info.Header.biBitCount == 24 ? 0 : info.Header.biClrUsed;
    gfx::BITMAPFILEHEADER file;
    file.bfType = gfx::kBitmapFileType;
    file.bfOffBits = 54 + 4 * colors;
    file.bfSize = file.bfOffBits + info.BitsSize;
    gfx::BITMAPINFOHEADER header = info.Header;
    header.biClrUsed = colors;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1;
    ok = ok && std::fwrite(info.Colors, 4, colors, out) == colors;
    ok = ok && std::fwrite(info.Bits, 1, info.BitsSize, out) == static_cast<size_t>(info.BitsSize);
    return std::fclose(out) == 0 && ok;
}

// The 215 halftone colours as a 215 x 1 24-bit picture, for ImageMagick's -remap.
bool WritePalette(const std::string& path) {
    Owned palette;
    palette.info.Header.biSize = 40;
    palette.info.Header.biWidth = static_cast<int32_t>(kvdib::HalfTonePalette.size());
    palette.info.Header.biHeight = 1;
    palette.info.Header.biPlanes = 1;
    palette.info.Header.biBitCount = 24;
    palette.info.BitsSize = *kvdib::CheckedDIBImageSize(palette.info.Header.biWidth, 1, 24);
    kvdib::GetMemory(palette.info.BitsSize, palette.info.Mapping, palette.info.Bits, kUseFMO);
    for (size_t i = 0; i < kvdib::HalfTonePalette.size(); ++i) {
        const gfx::RGBQuad& c = kvdib::HalfTonePalette[i];
        palette.info.Bits[3 * i] = c.rgbBlue;
        palette.info.Bits[3 * i + 1] = c.rgbGreen;
        palette.info.Bits[3 * i + 2] = c.rgbRed;
    }
    return WriteBmp(path, palette.info);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-pictures") {
        const std::string dir = argv[2];
        const bool ok = WriteBmp(dir + "/in.bmp", TrueColorPicture().info) && WritePalette(dir + "/palette.bmp");
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
