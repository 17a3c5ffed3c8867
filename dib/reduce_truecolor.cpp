#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/median_cut.h"
#include "dib/reduce.h"
#include "dib/reduce_output.h"

namespace kvdib {

namespace {

constexpr int kBoxCount = 65536;

// The 5-6-5 box of a colour: red and blue keep 5 bits, green 6.
inline int BoxKey(uint8_t red, uint8_t green, uint8_t blue) { return (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3; }

void CheckTrueColor(const DIBInfos& source, const char* routine) {
    if (source.Header.biBitCount != 24) throw EKvDIBBadDIBType(std::string(routine) + ": Invalid Bitcount");
}

// Low quality: the used boxes are cut, each represented by its base plus the
// mean of its pixels' low bits, and every pixel takes the entry of its box.
void ReduceLow(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress, int bits,
               const char* routine) {
    CheckTrueColor(source, routine);
    const PlainLayout from = SourceLayout(source, routine);
    const PlainLayout to = LayoutFor(source.Header, bits, routine);
    PendingPixels memory(to.size, useFMO);

    // Histogram of boxes with the sums of the bits each box drops. 64-bit sums:
    // a big picture of one box overflows 32 bits (seven times its pixel count).
    struct BoxSums {
        uint64_t red, green, blue, count;
    };
    auto sums = WorkBuffer<BoxSums>(kBoxCount);
    std::memset(sums.get(), 0, sizeof(BoxSums) * kBoxCount);
    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* p = source.Bits + y * from.stride;
        for (int32_t x = 0; x < from.width; ++x, p += 3) {
            BoxSums& box = sums[BoxKey(p[2], p[1], p[0])];
            box.red += p[2] & 7;
            box.green += p[1] & 3;
            box.blue += p[0] & 7;
            ++box.count;
        }
    }
    // The used boxes, in key order, at the front of the cell table.
    auto cells = WorkBuffer<ColorCell>(kBoxCount);
    size_t used = 0;
    for (int key = 0; key < kBoxCount; ++key) {
        const BoxSums& box = sums[key];
        if (box.count == 0) continue;
        ColorCell& cell = cells[used++];
        cell.Red = static_cast<int32_t>(box.red / box.count) + 8 * (key >> 11);
        cell.Green = static_cast<int32_t>(box.green / box.count) + 4 * ((key >> 5) & 63);
        cell.Blue = static_cast<int32_t>(box.blue / box.count) + 8 * (key & 31);
        cell.Count = static_cast<int32_t>(box.count);
        cell.Key = key;
    }
    PaletteBuffer palette;
    CutColorCells(cells.get(), used, bits, palette, progress);

    auto map = WorkBuffer<uint8_t>(kBoxCount);
    std::memset(map.get(), 0, kBoxCount);
    for (size_t i = 0; i < used; ++i) map[cells[i].Key] = static_cast<uint8_t>(cells[i].Count);
    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* p = source.Bits + y * from.stride;
        uint8_t* row = memory.Bits() + y * to.stride;
        if (bits == 8) {
            for (int32_t x = 0; x < from.width; ++x, p += 3) row[x] = map[BoxKey(p[2], p[1], p[0])];
        } else {
            for (int32_t x = 0; x < from.width; ++x, p += 3) PutIndex(row, x, map[BoxKey(p[2], p[1], p[0])], 4);
        }
    }
    dest = ReducedResult(source, memory, bits, palette);
}

// Follows the cuts from the root to the leaf a colour lands in.
uint8_t Classify(const DivideTree& tree, const uint8_t* pixel) {
    const DivideNode* node = &tree[0];
    while (node->DivideID != DivideNode::kLeaf) {
        // Every pixel's own copy went down this path while the tree was cut, so
        // an unwritten node (or any other ID) means the tree is broken.
        KVDIB_ASSERT(node->DivideID <= DivideNode::kBlue, "ConvertTrueColorTo8BitRGBHigh: Invalid DivideID");
        const int value = pixel[2 - node->DivideID];
        node = &tree[value <= node->LowerLimit ? node->LowerChild : node->UpperChild];
    }
    return node->ColorIndex;
}

// High quality: every pixel takes part in the cut, and classifying a pixel
// retraces the comparisons that placed its own copy.
void ReduceHigh(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress, int bits,
                const char* routine) {
    CheckTrueColor(source, routine);
    const PlainLayout from = SourceLayout(source, routine);
    const PlainLayout to = LayoutFor(source.Header, bits, routine);
    PendingPixels memory(to.size, useFMO);

    // The pixel list: the rows without their padding.
    const size_t rowBytes = static_cast<size_t>(from.width) * 3;
    const size_t pixelCount = static_cast<size_t>(from.width) * from.rows;
    auto list = WorkBuffer<uint8_t>(pixelCount * 3 + 4);
    for (int32_t y = 0; y < from.rows; ++y)
        std::memcpy(list.get() + y * rowBytes, source.Bits + y * from.stride, rowBytes);
    PaletteBuffer palette;
    DivideTree tree;
    CutPixels(list.get(), pixelCount, bits, palette, tree, progress);
    list.reset();

    for (int32_t y = 0; y < from.rows; ++y) {
        const uint8_t* p = source.Bits + y * from.stride;
        uint8_t* row = memory.Bits() + y * to.stride;
        // Neighbouring pixels are often equal; their walk is the same.
        uint32_t lastColor = 0xFFFFFFFF;
        uint8_t lastIndex = 0;
        for (int32_t x = 0; x < from.width; ++x, p += 3) {
            const uint32_t color = p[0] | p[1] << 8 | p[2] << 16;
            if (color != lastColor) {
                lastIndex = Classify(tree, p);
                lastColor = color;
            }
            PutIndex(row, x, lastIndex, bits);
        }
    }
    dest = ReducedResult(source, memory, bits, palette);
}

}  // namespace

void ConvertTrueColorTo8BitRGBLow(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress) {
    ReduceLow(source, dest, useFMO, progress, 8, "ConvertTrueColorTo8BitRGBLow");
}

void ConvertTrueColorTo4BitRGBLow(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress) {
    ReduceLow(source, dest, useFMO, progress, 4, "ConvertTrueColorTo4BitRGBLow");
}

void ConvertTrueColorTo8BitRGBHigh(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress) {
    ReduceHigh(source, dest, useFMO, progress, 8, "ConvertTrueColorTo8BitRGBHigh");
}

void ConvertTrueColorTo4BitRGBHigh(const DIBInfos& source, DIBInfos& dest, bool useFMO, const ProgressProc& progress) {
    ReduceHigh(source, dest, useFMO, progress, 4, "ConvertTrueColorTo4BitRGBHigh");
}

}  // namespace kvdib
