// Splitting the row loops of one picture over the cores: the resampler, the
// format conversions and the tone and rotation loops hand their rows to
// ForEachRowBand, which runs bands of rows on a small pool of worker threads
// and returns when all are done. Each band writes only its own rows, so the
// result is the same bytes whatever the number of threads; the caller's thread
// takes a band itself, and what a band throws reaches the caller.
#pragma once

#include <cstdint>
#include <functional>

namespace gfx {

// The threads a row loop may use, the caller's included (1: everything on the
// caller's thread). Starts at the number of cores.
int RowThreads();
void SetRowThreads(int threads);

// Calls work(begin, end) for consecutive bands that together cover [0, rows),
// each at least minRows long, on up to RowThreads() threads. A call made while
// another one holds the pool (another session's thread, or a band itself) runs
// on its own thread alone, so calls never wait for each other.
void ForEachRowBand(int64_t rows, int64_t minRows, const std::function<void(int64_t begin, int64_t end)>& work);

// The fewest rows worth a band of their own when a row costs the work of
// pixelsPerRow pixels: bands of about 2^18 pixels, so that a small picture
// stays on one thread and a large one is not cut into slivers.
inline int64_t MinRowsPerBand(double pixelsPerRow) {
    constexpr double kBandPixels = 1 << 18;
    return pixelsPerRow >= kBandPixels ? 1 : static_cast<int64_t>(kBandPixels / (pixelsPerRow < 1 ? 1 : pixelsPerRow));
}

}  // namespace gfx
