// The storage itself: a new storage, CreateDIB's arguments and sizes, the pixel
// formats, palettes, the copy a writer takes, and the loaders' small helpers.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dib/errors.h"
#include "dib/memory.h"
#include "dib/storage.h"
#include "gfx/invariants.h"

namespace kvdib {
namespace {

class StorageBothMemories : public ::testing::TestWithParam<bool> {};

TEST_P(StorageBothMemories, NewStorageIsOneBlackPixelOf8Bits) {
    const int64_t live = testing::LiveAllocations();
    {
        TKvInternalDIB dib(GetParam());
        EXPECT_EQ(dib.RefCount, 1);
        EXPECT_EQ(dib.Width, 1);
        EXPECT_EQ(dib.Height, 1);
        EXPECT_EQ(dib.UseFMO, GetParam());
        EXPECT_EQ(dib.DIBInfos.BitsSize, 4);
        EXPECT_EQ(dib.DIBInfos.Header.biBitCount, 8);
        EXPECT_EQ(dib.DIBInfos.Header.biClrUsed, 256u);
        EXPECT_EQ(dib.DIBInfos.Mapping.length > 0, GetParam());
        for (const RGBQuad& c : dib.DIBInfos.Colors) EXPECT_EQ(c, RGBQuad{});
        EXPECT_EQ(dib.DIBInfos.Bits[0], 0);
        EXPECT_TRUE(dib.PaletteChanged);
        EXPECT_EQ(testing::LiveAllocations(), live + 1);
    }
    EXPECT_EQ(testing::LiveAllocations(), live);
}

// Shared-memory storages hold no descriptor once mapped: thousands of them
// must not run into the process's descriptor limit.
TEST(StorageShared, ManyStoragesSpendNoDescriptors) {
    auto openDescriptors = [] {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
        return count;
    };
    const size_t before = openDescriptors();
    std::vector<std::unique_ptr<TKvInternalDIB>> storages;
    for (int i = 0; i < 3000; ++i) storages.push_back(std::make_unique<TKvInternalDIB>(true));
    EXPECT_EQ(openDescriptors(), before);
    storages.front()->CreateDIB(64, 64, 0, 24);
    storages.front()->DIBInfos.Bits[100] = 7;
    EXPECT_EQ(storages.front()->DIBInfos.Bits[100], 7) << "the mapping stays usable without its descriptor";
}

// A release that fails inside the destructor is reported, not thrown: a throw
// there would end the program.
TEST(StorageShared, AFailedReleaseInTheDestructorIsReported) {
    std::vector<std::string> reports;
    const gfx::BrokenInvariantHandler old =
        gfx::SetBrokenInvariantHandler([&reports](const std::string& report) { reports.push_back(report); });
    auto storage = std::make_unique<TKvInternalDIB>(true);
    uint8_t* const mapped = storage->DIBInfos.Bits;
    const size_t length = storage->DIBInfos.Mapping.length;
    storage->DIBInfos.Bits = mapped + 1;  // munmap refuses an address inside a page
    EXPECT_NO_THROW(storage.reset());
    gfx::SetBrokenInvariantHandler(old);
    ::munmap(mapped, length);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("ReleaseMemory: Failed To Unmap View of File map"), std::string::npos) << reports[0];
}

TEST_P(StorageBothMemories, FreeDIBReleasesOnceAndKeepsTheHeader) {
    TKvInternalDIB dib(GetParam());
    dib.PaletteHandle = dib.MakePalette();
    const int64_t live = testing::LiveAllocations();
    dib.FreeDIB();
    EXPECT_EQ(testing::LiveAllocations(), live - 1);
    EXPECT_EQ(dib.DIBInfos.Bits, nullptr);
    EXPECT_EQ(dib.DIBInfos.BitsSize, 0);
    EXPECT_FALSE(dib.PaletteHandle);
    EXPECT_EQ(dib.DIBInfos.Header.biClrUsed, 256u);
    dib.FreeDIB();  // nothing left to release
    EXPECT_EQ(testing::LiveAllocations(), live - 1);
}

TEST_P(StorageBothMemories, CopyForWriteOwnsItsOwnBits) {
    TKvInternalDIB source(GetParam());
    source.FreeDIB();
    source.CreateDIB(5, -2, 16, 4);
    source.DIBInfos.Colors[3] = {1, 2, 3, 0};
    for (int32_t i = 0; i < source.DIBInfos.BitsSize; ++i) source.DIBInfos.Bits[i] = static_cast<uint8_t>(i + 1);
    source.RefCount = 2;
    const int64_t live = testing::LiveAllocations();

    std::unique_ptr<TKvInternalDIB> copy = CopyForWrite(source);
    EXPECT_EQ(testing::LiveAllocations(), live + 1);
    EXPECT_EQ(copy->RefCount, 1);
    EXPECT_EQ(copy->UseFMO, GetParam());
    EXPECT_EQ(copy->Width, 5);
    EXPECT_EQ(copy->Height, 2);
    EXPECT_EQ(copy->DIBInfos.Header.biHeight, -2);
    EXPECT_EQ(copy->DIBInfos.Colors[3], (RGBQuad{1, 2, 3, 0}));
    EXPECT_TRUE(copy->PaletteChanged);
    ASSERT_NE(copy->DIBInfos.Bits, source.DIBInfos.Bits);
    ASSERT_EQ(copy->DIBInfos.BitsSize, source.DIBInfos.BitsSize);
    copy->DIBInfos.Bits[0] = 0xFF;  // the writer changes its copy only
    EXPECT_EQ(source.DIBInfos.Bits[0], 1);
    EXPECT_EQ(std::memcmp(copy->DIBInfos.Bits + 1, source.DIBInfos.Bits + 1, source.DIBInfos.BitsSize - 1), 0);
    copy.reset();
    EXPECT_EQ(testing::LiveAllocations(), live);
    EXPECT_EQ(source.DIBInfos.Bits[1], 2);  // freeing the copy left the source's memory alone
}

TEST_P(StorageBothMemories, CopyForWriteFailureLeavesNothingBehind) {
    TKvInternalDIB source(GetParam());
    const int64_t live = testing::LiveAllocations();
    testing::FailAllocationAfter(2);  // the copy's own 1 x 1 DIB succeeds, its bits fail
    EXPECT_THROW(CopyForWrite(source), gfx::EOutOfMemory);
    testing::FailAllocationAfter(0);
    EXPECT_EQ(testing::LiveAllocations(), live);
}

INSTANTIATE_TEST_SUITE_P(Memory, StorageBothMemories, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FMO" : "Heap"; });

struct CreateCase {
    int32_t width, height, colors, bits;
    int32_t expectedHeight, expectedBitsSize;
};

TEST(CreateDIB, SizesAndSigns) {
    const CreateCase cases[] = {
        {10, -5, 0, 24, 5, 160}, {1, 1, 0, 1, 1, 4}, {33, 1, 2, 1, 1, 8}, {32, 2, 2, 1, 2, 8},
        {7, 3, 16, 4, 3, 12},    {9, 1, 16, 4, 1, 8}, {3, 2, 256, 8, 2, 8}, {1, 1, 0, 24, 1, 4},
    };
    for (const CreateCase& c : cases) {
        TKvInternalDIB dib(false);
        dib.FreeDIB();
        dib.CreateDIB(c.width, c.height, c.colors, c.bits);
        const BITMAPINFOHEADER& h = dib.DIBInfos.Header;
        EXPECT_EQ(dib.Height, c.expectedHeight) << c.width << "x" << c.height;
        EXPECT_EQ(dib.DIBInfos.BitsSize, c.expectedBitsSize) << c.width << "x" << c.height << "@" << c.bits;
        EXPECT_EQ(h.biHeight, c.height);
        EXPECT_EQ(h.biClrUsed, static_cast<uint32_t>(c.colors));
        EXPECT_EQ(h.biSizeImage, 0u);
        EXPECT_EQ(h.biPlanes, 1);
    }
}

TEST(CreateDIB, RejectsBadParametersWithoutTakingMemory) {
    const int32_t cases[][4] = {{0, 1, 0, 24},  {-1, 1, 0, 24}, {1, 0, 0, 24},  {1, 1, 257, 8},
                                {1, 1, -1, 8},  {1, 1, 0, 2},   {1, 1, 0, 16},  {1, 1, 0, 32},
                                {0x7FFFFFFF, 2, 0, 24}, {1, INT32_MIN, 0, 1}};
    for (const auto& c : cases) {
        TKvInternalDIB dib(true);
        const int64_t live = testing::LiveAllocations();
        const uint8_t* bits = dib.DIBInfos.Bits;
        try {
            dib.CreateDIB(c[0], c[1], c[2], c[3]);
            ADD_FAILURE() << c[0] << "," << c[1] << "," << c[2] << "," << c[3] << " accepted";
        } catch (const EKvDIBInvalidDIBPara& e) {
            EXPECT_EQ(e.Message(), "TKvInternalDIB.CreateDIB: Invalid Parameters");
        }
        EXPECT_EQ(testing::LiveAllocations(), live);
        EXPECT_EQ(dib.DIBInfos.Bits, bits);
    }
}

TEST(GetPixelFormat, EveryCombination) {
    struct Case {
        uint16_t bits;
        uint32_t compression;
        std::optional<TKvPixelFormat> format;
        const char* message;
    };
    const Case cases[] = {
        {1, 0, TKvPixelFormat::kvpf1Bit, nullptr},
        {1, 1, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(1Bit)"},
        {4, 0, TKvPixelFormat::kvpf4Bit, nullptr},
        {4, 2, TKvPixelFormat::kvpf4BitRLE, nullptr},
        {4, 1, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(4Bit)"},
        {8, 0, TKvPixelFormat::kvpf8Bit, nullptr},
        {8, 1, TKvPixelFormat::kvpf8BitRLE, nullptr},
        {8, 2, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
        {8, 3, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
        {24, 0, TKvPixelFormat::kvpf24Bit, nullptr},
        {24, 3, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(24Bit)"},
        {16, 0, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)"},
        {32, 3, {}, "TKvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)"},
    };
    TKvInternalDIB dib(false);
    for (const Case& c : cases) {
        dib.DIBInfos.Header.biBitCount = c.bits;
        dib.DIBInfos.Header.biCompression = c.compression;
        if (c.format) {
            EXPECT_EQ(dib.GetPixelFormat(), *c.format) << c.bits << "/" << c.compression;
            continue;
        }
        try {
            dib.GetPixelFormat();
            ADD_FAILURE() << c.bits << "/" << c.compression << " accepted";
        } catch (const EKvDIBInvalidDIB& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(Palette, MadeFromTheColourTableOnly) {
    TKvInternalDIB dib(false);
    dib.DIBInfos.Header.biClrUsed = 0;
    EXPECT_FALSE(GetPaletteFromDIBInfos(dib.DIBInfos));
    dib.DIBInfos.Header.biClrUsed = 3;
    dib.DIBInfos.Colors[2] = {10, 20, 30, 99};
    const gfx::HPALETTE palette = dib.MakePalette();
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->entries.size(), 3u);
    EXPECT_EQ(palette->entries[2], (gfx::PaletteEntry{30, 20, 10, 0}));
    dib.DIBInfos.Header.biClrUsed = 300;  // never a stored value; must fail, not overread
    try {
        GetPaletteFromDIBInfos(dib.DIBInfos);
        ADD_FAILURE() << "300 entries made";
    } catch (const gfx::EOutOfResources& e) {
        EXPECT_EQ(e.Message(), "GetPaletteFromDIBInfos: Cannot Make Palette");
    }
}

TEST(Palette, UpdatePaletteDropsTheCacheAndRefusesASharedStorage) {
    TKvInternalDIB dib(false);
    dib.PaletteHandle = dib.MakePalette();
    dib.PaletteChanged = false;
    dib.UpdatePalette();
    EXPECT_FALSE(dib.PaletteHandle);
    EXPECT_TRUE(dib.PaletteChanged);
    dib.RefCount = 2;
    try {
        dib.UpdatePalette();
        ADD_FAILURE() << "shared storage updated";
    } catch (const gfx::EAssertionFailed& e) {
        EXPECT_EQ(e.AssertMessage(), "TKvInternalDIB.UpdatePalette: RefCount Must be 1");
        EXPECT_EQ(e.Source(), "KvDIB");
    }
    dib.RefCount = 1;
}

}  // namespace
}  // namespace kvdib
