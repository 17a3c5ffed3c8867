#include "dib/median_cut.h"

#include <array>
#include <cmath>
#include <utility>

#include "dib/errors.h"

namespace kvdib {

// Median cut, as both splitters run it on a range of colours at a given level:
//   1. An empty range still stands for a whole subtree: call progress once per
//      leaf it would have had (2^(depth - level) times) and stop.
//   2. Sum the weights and the weighted values and squares of red, green and
//      blue in exact 64-bit integers; means and variances follow in extended
//      precision (mean = sum / N, variance = mean of squares - mean squared).
//   3. At the last level the range becomes one palette entry: its mean colour
//      rounded half to even. Call progress.
//   4. Otherwise pick the channel with the largest weighted variance (red first,
//      then blue, then green; see ChooseChannel) and partition the range in
//      place around that channel's mean: values <= mean to the front.
//   5. Split the back part (values > mean) first, then the front part, so the
//      entries of brighter halves come first in the palette.
// The extended precision is part of the result: it decides near-ties between
// channels, and the rounded means are the palette.

namespace {

using Extended = long double;

struct Moments {
    int64_t weight = 0;
    int64_t sum[3] = {0, 0, 0};      // red, green, blue
    int64_t squares[3] = {0, 0, 0};  // red, green, blue

    void Add(int red, int green, int blue, int64_t w) {
        weight += w;
        const int values[3] = {red, green, blue};
        for (int c = 0; c < 3; ++c) {
            sum[c] += values[c] * w;
            squares[c] += static_cast<int64_t>(values[c]) * values[c] * w;
        }
    }
    Extended Mean(int c) const { return static_cast<Extended>(sum[c]) / static_cast<Extended>(weight); }
    Extended Variance(int c) const {
        const Extended mean = Mean(c);
        const Extended meanOfSquares = static_cast<Extended>(squares[c]) / static_cast<Extended>(weight);
        const Extended meanSquared = mean * mean;
        return meanOfSquares - meanSquared;
    }
};

// Red when its variance weighs most; then blue, whose test against green is
// 2:3 for cells but 2:4 for pixels; green otherwise.
int ChooseChannel(const Moments& m, bool pixelSplit) {
    const Extended red3 = 3 * m.Variance(0);
    const Extended green4 = 4 * m.Variance(1);
    const Extended green3 = 3 * m.Variance(1);
    const Extended blue2 = 2 * m.Variance(2);
    if (red3 >= green4 && red3 >= blue2) return DivideNode::kRed;
    if (red3 > green4 || blue2 > (pixelSplit ? green4 : green3)) return DivideNode::kBlue;
    return DivideNode::kGreen;
}

void CallProgress(const ProgressProc& progress, int64_t times) {
    if (!progress) return;
    for (int64_t i = 0; i < times; ++i) progress();
}

// Appends the rounded mean colour; returns its index.
int AppendMeanColor(const Moments& m, PaletteBuffer& palette) {
    KVDIB_ASSERT(palette.Count < 256, "CutColorCells: Palette Overflow");
    RGBQuad& entry = palette.Entries[palette.Count];
    // nearbyint rounds halves to the even neighbour under the default mode.
    entry.rgbRed = static_cast<uint8_t>(std::nearbyint(m.Mean(0)));
    entry.rgbGreen = static_cast<uint8_t>(std::nearbyint(m.Mean(1)));
    entry.rgbBlue = static_cast<uint8_t>(std::nearbyint(m.Mean(2)));
    entry.rgbReserved = 0;
    return palette.Count++;
}

// Hoare partition: scan from the front past values <= limit and from the back
// past values > limit, swap the pair found, until the scans meet. Returns the
// first element of the back part. Integer values against the floor of the mean
// decide exactly as against the mean itself.
template <typename ValueAt, typename Swap>
size_t Partition(size_t begin, size_t end, int limit, ValueAt value, Swap swap) {
    size_t front = begin;
    size_t back = end;
    for (;;) {
        while (front < back && value(front) <= limit) ++front;
        while (front < back && value(back - 1) > limit) --back;
        if (front >= back) return front;
        swap(front, back - 1);
        ++front;
        --back;
    }
}

int FloorOf(Extended mean) { return static_cast<int>(std::floor(mean)); }

struct CellSplit {
    ColorCell* cells;
    int depth;
    PaletteBuffer& palette;
    const ProgressProc& progress;

    static int Value(const ColorCell& cell, int channel) {
        return channel == DivideNode::kRed ? cell.Red : channel == DivideNode::kGreen ? cell.Green : cell.Blue;
    }

    void Cut(size_t begin, size_t end, int level) {
        if (begin == end) {
            CallProgress(progress, int64_t{1} << (depth - level));
            return;
        }
        Moments m;
        for (size_t i = begin; i < end; ++i) m.Add(cells[i].Red, cells[i].Green, cells[i].Blue, cells[i].Count);
        if (level == depth) {
            const int index = AppendMeanColor(m, palette);
            for (size_t i = begin; i < end; ++i) cells[i].Count = index;
            CallProgress(progress, 1);
            return;
        }
        const int channel = ChooseChannel(m, false);
        const size_t middle = Partition(
            begin, end, FloorOf(m.Mean(channel)), [&](size_t i) { return Value(cells[i], channel); },
            [&](size_t a, size_t b) { std::swap(cells[a], cells[b]); });
        Cut(middle, end, level + 1);
        Cut(begin, middle, level + 1);
    }
};

// Counts of each byte value per channel (red, green, blue) of a pixel range.
using Histogram = std::array<std::array<int64_t, 256>, 3>;

struct PixelSplit {
    uint8_t* pixels;  // blue, green, red
    int depth;
    PaletteBuffer& palette;
    DivideTree& tree;
    const ProgressProc& progress;
    int32_t nextNode = 1;

    static void Count(Histogram& h, const uint8_t* p) {
        ++h[0][p[2]];
        ++h[1][p[1]];
        ++h[2][p[0]];
    }

    // The sums come out exact from the counts of each value.
    static Moments MomentsOf(const Histogram& h, int64_t weight) {
        Moments m;
        m.weight = weight;
        for (int c = 0; c < 3; ++c) {
            for (int64_t v = 0; v < 256; ++v) {
                m.sum[c] += h[c][v] * v;
                m.squares[c] += h[c][v] * v * v;
            }
        }
        return m;
    }

    void CountRange(Histogram& h, size_t begin, size_t end) const {
        for (size_t i = begin; i < end; ++i) Count(h, pixels + 3 * i);
    }

    // The partition of the cut (see Partition), counting the values of the
    // front part on the way, so the halves need no pass of their own.
    size_t PartitionCounting(size_t begin, size_t end, int offset, int limit, Histogram& front) const {
        size_t f = begin;
        size_t b = end;
        for (;;) {
            while (f < b && pixels[3 * f + offset] <= limit) Count(front, pixels + 3 * f++);
            while (f < b && pixels[3 * (b - 1) + offset] > limit) --b;
            if (f >= b) return f;
            uint8_t* pf = pixels + 3 * f;
            uint8_t* pb = pixels + 3 * (b - 1);
            std::swap(pf[0], pb[0]);
            std::swap(pf[1], pb[1]);
            std::swap(pf[2], pb[2]);
            Count(front, pf);
            ++f;
            --b;
        }
    }

    int32_t TakeNode() {
        KVDIB_ASSERT(nextNode < static_cast<int32_t>(tree.size()), "CutPixels: Too Many Nodes");
        return nextNode++;
    }

    // histogram: the counts of pixels[begin, end).
    void Cut(size_t begin, size_t end, int level, int32_t nodeIndex, const Histogram& histogram) {
        if (begin == end) {
            CallProgress(progress, int64_t{1} << (depth - level));
            return;
        }
        const Moments m = MomentsOf(histogram, static_cast<int64_t>(end - begin));
        DivideNode& node = tree[nodeIndex];
        if (level == depth) {
            node.DivideID = DivideNode::kLeaf;
            node.Threshold = 0;
            node.ColorIndex = static_cast<uint8_t>(AppendMeanColor(m, palette));
            node.LowerChild = 0;
            node.UpperChild = 0;
            CallProgress(progress, 1);
            return;
        }
        const int channel = ChooseChannel(m, true);
        node.DivideID = static_cast<uint8_t>(channel);
        node.Threshold = m.Mean(channel);
        node.LowerLimit = FloorOf(node.Threshold);
        // Byte offset of the channel inside a pixel stored blue, green, red.
        const int offset = 2 - channel;
        Histogram front{};
        const size_t middle = PartitionCounting(begin, end, offset, node.LowerLimit, front);
        Histogram back;
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) back[c][v] = histogram[c][v] - front[c][v];
        node.UpperChild = TakeNode();
        Cut(middle, end, level + 1, node.UpperChild, back);
        node.LowerChild = TakeNode();
        Cut(begin, middle, level + 1, node.LowerChild, front);
    }
};

}  // namespace

void CutColorCells(ColorCell* cells, size_t count, int depth, PaletteBuffer& palette, const ProgressProc& progress) {
    CellSplit{cells, depth, palette, progress}.Cut(0, count, 0);
}

void CutPixels(uint8_t* pixels, size_t count, int depth, PaletteBuffer& palette, DivideTree& tree,
               const ProgressProc& progress) {
    PixelSplit split{pixels, depth, palette, tree, progress};
    Histogram all{};
    split.CountRange(all, 0, count);
    split.Cut(0, count, 0, 0, all);
}

}  // namespace kvdib
