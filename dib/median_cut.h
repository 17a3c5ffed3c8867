// The variance-driven median cut behind the colour reductions: a set of colours
// is split at the mean of its widest channel, recursively to a fixed depth, and
// every final set gives its mean colour as one palette entry. Two splitters share
// the rules: one over weighted colour cells (histogram boxes or palette entries),
// one over the raw pixel list, which also records its cuts as a decision tree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "dib/dibinfos.h"
#include "dib/progress.h"

namespace kvdib {

// One weighted colour. Key names the box or palette entry it stands for; once the
// split is done, Count holds the palette index the cell was given.
struct ColorCell {
    int32_t Red = 0;
    int32_t Green = 0;
    int32_t Blue = 0;
    int32_t Count = 0;
    int32_t Key = 0;
};

// The palette entries in the order their leaves were finished.
struct PaletteBuffer {
    std::array<RGBQuad, 256> Entries{};
    int Count = 0;
};

// Splits cells[0, count) to `depth` levels (8 for 256 colours, 4 for 16),
// appending one entry per non-empty leaf and calling progress once per leaf of
// the complete tree, empty ones included.
void CutColorCells(ColorCell* cells, size_t count, int depth, PaletteBuffer& palette, const ProgressProc& progress);

// A node of the decision tree the pixel split leaves behind. Values of the split
// channel at or below Threshold go to LowerChild, greater ones to UpperChild.
struct DivideNode {
    static constexpr uint8_t kRed = 0, kGreen = 1, kBlue = 2, kLeaf = 3;
    // A node no split wrote; walking into one is an internal error.
    static constexpr uint8_t kUnused = 0xFF;
    uint8_t DivideID = kUnused;
    long double Threshold = 0;
    uint8_t ColorIndex = 0;
    int32_t LowerChild = 0;
    int32_t UpperChild = 0;
    // The largest byte value that goes to LowerChild (floor of Threshold), so
    // that classifying a pixel compares integers yet decides exactly as the
    // split did.
    int LowerLimit = 0;
};

// Room for the complete tree of depth 8 (511 nodes); node 0 is the root.
using DivideTree = std::array<DivideNode, 512>;

// Splits the pixel list (count pixels of three bytes blue, green, red; reordered
// in place) to `depth` levels, filling palette and tree as CutColorCells does.
void CutPixels(uint8_t* pixels, size_t count, int depth, PaletteBuffer& palette, DivideTree& tree,
               const ProgressProc& progress);

}  // namespace kvdib
