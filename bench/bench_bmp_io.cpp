// Loading and saving a 6000 x 4000 24-bit BMP through the engine, in memory and
// through files, and loading a 32-bit bit-field picture of that size (converted
// to 24 bits on the way in). bmp_io.sh sets the file figures next to cp.
//   bench_bmp_io --write-sample PATH   writes the 24-bit sample and exits
// Files go to $MORVI_BENCH_DIR (default /tmp).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dib/storage.h"
#include "gfx/dibheaders.h"
#include "gfx/stream.h"

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;

void Put(std::vector<uint8_t>& out, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// A BMP of the benchmark's size at 24 or 32 (bit fields) bits, with varied pixels.
std::vector<uint8_t> MakeBmp(int bits) {
    const uint32_t stride = bits == 24 ? ((kWidth * 3 + 3) / 4) * 4 : kWidth * 4;
    const uint32_t masksSize = bits == 32 ? 12 : 0;
    const uint32_t offBits = 54 + masksSize;
    gfx::BITMAPFILEHEADER file;
    file.bfType = gfx::kBitmapFileType;
    file.bfOffBits = offBits;
    file.bfSize = offBits + stride * kHeight;
    gfx::BITMAPINFOHEADER info;
    info.biSize = 40, info.biWidth = kWidth, info.biHeight = kHeight, info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(bits);
    info.biCompression = bits == 32 ? gfx::BI_BITFIELDS : gfx::BI_RGB;
    std::vector<uint8_t> out;
    out.reserve(file.bfSize);
    Put(out, &file, sizeof(file));
    Put(out, &info, sizeof(info));
    if (bits == 32) {
        const uint32_t masks[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};  // 10-10-10
        Put(out, masks, sizeof(masks));
    }
    out.resize(file.bfSize);
    uint32_t seed = 12345;
    for (size_t i = offBits; i < out.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        out[i] = static_cast<uint8_t>(seed >> 16);
    }
    return out;
}

const std::vector<uint8_t>& Sample24() {
    static const std::vector<uint8_t> bytes = MakeBmp(24);
    return bytes;
}

std::string BenchDir() {
    const char* dir = std::getenv("MORVI_BENCH_DIR");
    return dir != nullptr ? dir : "/tmp";
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    gfx::FileStream out(path, gfx::FileStream::Mode::Create);
    out.WriteBuffer(bytes.data(), bytes.size());
}

void BM_LoadSave24_Memory(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Sample24();
    gfx::MemoryStream in(bytes);
    for (auto _ : state) {
        kvdib::TKvInternalDIB dib(true);
        in.SetPosition(0);
        dib.LoadFromStream(in);
        gfx::MemoryStream out;
        dib.SaveToStream(out);
        benchmark::DoNotOptimize(out.Bytes().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadSave24_Memory)->Unit(benchmark::kMillisecond);

// The figure bmp_io.sh sets beside `cp` of the same file. fmo:1 is the
// program's own storage (shared memory), fmo:0 the heap.
void BM_LoadSave24_File(benchmark::State& state) {
    const bool useFMO = state.range(0) != 0;
    const std::string source = BenchDir() + "/bench_bmp_io_in.bmp";
    const std::string target = BenchDir() + "/bench_bmp_io_out.bmp";
    WriteFile(source, Sample24());
    for (auto _ : state) {
        kvdib::TKvInternalDIB dib(useFMO);
        {
            gfx::FileStream in(source, gfx::FileStream::Mode::Read);
            dib.LoadFromStream(in);
        }
        gfx::FileStream out(target, gfx::FileStream::Mode::Create);
        dib.SaveToStream(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Sample24().size()));
    std::remove(source.c_str());
    std::remove(target.c_str());
}
BENCHMARK(BM_LoadSave24_File)->ArgName("fmo")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The two halves of the file figure, to see where the time goes.
void BM_Load24_File(benchmark::State& state) {
    const std::string source = BenchDir() + "/bench_bmp_io_in.bmp";
    WriteFile(source, Sample24());
    for (auto _ : state) {
        kvdib::TKvInternalDIB dib(true);
        gfx::FileStream in(source, gfx::FileStream::Mode::Read);
        dib.LoadFromStream(in);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Sample24().size()));
    std::remove(source.c_str());
}
BENCHMARK(BM_Load24_File)->Unit(benchmark::kMillisecond);

void BM_Save24_File(benchmark::State& state) {
    const std::string target = BenchDir() + "/bench_bmp_io_out.bmp";
    kvdib::TKvInternalDIB dib(true);
    gfx::MemoryStream in(Sample24());
    dib.LoadFromStream(in);
    for (auto _ : state) {
        gfx::FileStream out(target, gfx::FileStream::Mode::Create);
        dib.SaveToStream(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Sample24().size()));
    std::remove(target.c_str());
}
BENCHMARK(BM_Save24_File)->Unit(benchmark::kMillisecond);

void BM_Load32Bitfields(benchmark::State& state) {
    gfx::MemoryStream in(MakeBmp(32));
    for (auto _ : state) {
        kvdib::TKvInternalDIB dib(true);
        in.SetPosition(0);
        dib.LoadFromStream(in);
        benchmark::DoNotOptimize(dib.DIBInfos.Bits);
    }
    state.counters["Mpixel/s"] = benchmark::Counter(kMegapixels, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Load32Bitfields)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-sample") == 0) {
        WriteFile(argv[2], Sample24());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
