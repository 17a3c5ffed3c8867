// Writes the fuzzers' seed corpora (fuzz/corpus/fuzz_bmp_stream and
// fuzz_clipboard_dib) when MORVI_WRITE_CORPUS names the fuzz/corpus folder:
//   MORVI_WRITE_CORPUS=fuzz/corpus dib_tests --gtest_filter=SeedCorpus.*
// Every seed must load, so that the fuzzers start from accepted files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bmp_builder.h"
#include "dib/memory.h"
#include "dib/storage.h"

namespace kvdib {
namespace {

using test::BmpSpec;

std::vector<std::pair<std::string, BmpSpec>> Seeds() {
    std::vector<std::pair<std::string, BmpSpec>> seeds;
    for (int bits : {1, 4, 8, 24}) {
        BmpSpec s;
        s.width = 5, s.height = bits == 8 ? -3 : 3, s.bitCount = static_cast<uint16_t>(bits);
        s.clrUsed = bits == 8 ? 7 : 0;
        s.colors = test::Ramp(bits == 8 ? 7 : GetNumColors(bits));
        s.pixels = test::Pattern(DIBStride(5, bits) * 3);
        seeds.push_back({"info" + std::to_string(bits), s});
        s.headerSize = 12, s.height = 3, s.clrUsed = 0, s.colors = test::Ramp(GetNumColors(bits));
        seeds.push_back({"core" + std::to_string(bits), s});
    }
    {
        BmpSpec s;
        s.width = 8, s.height = 2, s.bitCount = 8, s.compression = gfx::BI_RLE8, s.clrUsed = 4;
        s.colors = test::Ramp(4), s.pixels = {3, 1, 0, 2, 2, 0, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
        seeds.push_back({"rle8", s});
        s.bitCount = 4, s.compression = gfx::BI_RLE4, s.pixels = {4, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1};
        seeds.push_back({"rle4", s});
    }
    {
        BmpSpec s;
        s.width = 3, s.height = 2, s.bitCount = 16;
        s.pixels = test::Rows16({{0x7FFF, 0x1234, 0}, {0x4210, 0x03E0, 0x7C00}});
        seeds.push_back({"rgb555", s});
        s.compression = gfx::BI_BITFIELDS, s.masks = {0xF800, 0x07E0, 0x001F}, s.height = -2;
        seeds.push_back({"bitfields565-topdown", s});
    }
    {
        BmpSpec s;
        s.width = 2, s.height = 2, s.bitCount = 32, s.compression = gfx::BI_BITFIELDS;
        s.masks = {0x3FF00000, 0x000FFC00, 0x000003FF}, s.clrUsed = 2, s.colors = test::Ramp(2);
        s.pixels = test::Rows32({{0x3FFFFFFF, 0x12345678}, {0, 0x20080200}});
        seeds.push_back({"bitfields32-1010102", s});
    }
    {
        BmpSpec s;
        s.width = 2, s.height = 1, s.bitCount = 8, s.clrUsed = 300, s.colors = test::Ramp(300);
        s.pixels = test::Pattern(4), s.gap = 5;
        seeds.push_back({"clrused300-gap", s});
    }
    return seeds;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

TEST(SeedCorpus, Write) {
    const char* root = std::getenv("MORVI_WRITE_CORPUS");
    if (root == nullptr) GTEST_SKIP() << "MORVI_WRITE_CORPUS not set";
    const std::filesystem::path streamDir = std::filesystem::path(root) / "fuzz_bmp_stream";
    const std::filesystem::path clipDir = std::filesystem::path(root) / "fuzz_clipboard_dib";
    std::filesystem::create_directories(streamDir);
    std::filesystem::create_directories(clipDir);
    for (const auto& [name, layout] : Seeds()) {
        const std::vector<uint8_t> file = test::BmpFile(layout);
        const std::vector<uint8_t> packed = test::PackedDib(layout);
        TKvInternalDIB dib(false);
        gfx::MemoryStream stream(file);
        ASSERT_NO_THROW(dib.LoadFromStream(stream)) << name;
        ASSERT_NO_THROW(dib.LoadFromClipboardFormat(packed)) << name;
        WriteFile(streamDir / (name + ".bmp"), file);
        WriteFile(clipDir / (name + ".dib"), packed);
    }
}

}  // namespace
}  // namespace kvdib
