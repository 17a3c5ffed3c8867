#include "gfx/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "gfx/bitmap.h"
#include "gfx/parallel.h"
#include "gfx/pixels.h"

namespace gfx {

namespace {

__extension__ typedef __int128 Wide;

// A destination row costs the source pixels it reads.
int64_t RowsPerBand(size_t sourceColumns, size_t rows, size_t rowTaps) {
    return MinRowsPerBand(static_cast<double>(std::max<size_t>(sourceColumns, 1)) *
                          std::max(1.0, static_cast<double>(rowTaps) / static_cast<double>(std::max<size_t>(rows, 1))));
}

// Gives dest pixels of its own before the bands write it from several threads.
void PrepareRows(Bitmap& dest) {
    if (dest.Height() > 0) (void)dest.ScanLine(0);
}

// How one axis of the destination reads the source. Only the destination
// indices that land inside the target bitmap are described: entry n is the
// destination coordinate begin + n.
struct AxisMap {
    int32_t begin = 0;                // first destination coordinate described
    std::vector<int32_t> first;       // per entry: offset of its taps in tapIndex/tapWeight
    std::vector<int32_t> count;       // per entry: number of taps (0: the pixel is not written)
    std::vector<int32_t> tapIndex;    // source coordinates
    std::vector<float> tapWeight;
    bool singleTaps = true;           // every written entry reads exactly one source pixel, weight 1
    int32_t minSource = 0, maxSource = -1;  // range of source coordinates read

    size_t Size() const { return count.size(); }
};

struct AxisSpec {
    int64_t destStart;    // normalised (smaller) destination edge
    int64_t destLength;   // > 0
    int64_t srcStart;     // normalised source edge
    int64_t srcLength;    // > 0
    int32_t srcLimit;     // the source bitmap's extent on this axis
    int32_t destLimit;    // the destination bitmap's extent
    bool mirror;
};

void AddTaps(AxisMap& map, const std::vector<std::pair<int64_t, double>>& taps, int32_t srcLimit) {
    // Taps outside the source bitmap read as nothing: the rest share the weight.
    double total = 0;
    for (const auto& [index, weight] : taps)
        if (index >= 0 && index < srcLimit) total += weight;
    map.first.push_back(static_cast<int32_t>(map.tapIndex.size()));
    if (total <= 0) {
        map.count.push_back(0);
        return;
    }
    int32_t n = 0;
    for (const auto& [index, weight] : taps) {
        if (index < 0 || index >= srcLimit || weight <= 0) continue;
        const auto source = static_cast<int32_t>(index);
        map.tapIndex.push_back(source);
        map.tapWeight.push_back(static_cast<float>(weight / total));
        map.minSource = map.maxSource < map.minSource ? source : std::min(map.minSource, source);
        map.maxSource = std::max(map.maxSource, source);
        ++n;
    }
    if (n != 1 || map.tapWeight.back() != 1.0f) map.singleTaps = false;
    map.count.push_back(n);
}

AxisMap BuildAxis(const AxisSpec& axis, StretchMode mode) {
    AxisMap map;
    const int64_t lo = std::max<int64_t>(axis.destStart, 0);
    const int64_t hi = std::min<int64_t>(axis.destStart + axis.destLength, axis.destLimit);
    if (lo >= hi) return map;
    map.begin = static_cast<int32_t>(lo);
    const Wide sl = axis.srcLength, dl = axis.destLength;
    std::vector<std::pair<int64_t, double>> taps;
    for (int64_t d = lo; d < hi; ++d) {
        const int64_t position = d - axis.destStart;
        const Wide li = axis.mirror ? axis.destLength - 1 - position : position;
        taps.clear();
        if (mode == StretchMode::ColorOnColor || sl == dl) {
            // The source pixel under the destination pixel's centre.
            const auto k = static_cast<int64_t>(((2 * li + 1) * sl) / (2 * dl));
            taps.emplace_back(axis.srcStart + k, 1.0);
        } else if (sl > dl) {
            // Reduction: the destination pixel covers [li*sl, (li+1)*sl) in units of
            // 1/dl source pixels; each source pixel weighs by the part it covers.
            const Wide from = li * sl, to = (li + 1) * sl;
            // Only source pixels inside the bitmap can contribute; a huge source
            // rectangle over a small bitmap must not cost a loop over its area.
            const Wide first = std::max<Wide>(from / dl, -Wide{axis.srcStart});
            const Wide end = std::min<Wide>((to + dl - 1) / dl, Wide{axis.srcLimit} - axis.srcStart);
            for (Wide k = first; k < end; ++k) {
                const Wide overlap = std::min((k + 1) * dl, to) - std::max(k * dl, from);
                taps.emplace_back(axis.srcStart + static_cast<int64_t>(k),
                                  static_cast<double>(overlap) / static_cast<double>(sl));
            }
        } else {
            // Enlargement: linear between the two nearest source pixel centres.
            double s = (static_cast<double>(li) + 0.5) * static_cast<double>(sl) / static_cast<double>(dl) - 0.5;
            s = std::clamp(s, 0.0, static_cast<double>(sl - 1));
            const auto k = static_cast<int64_t>(std::floor(s));
            const double f = s - static_cast<double>(k);
            taps.emplace_back(axis.srcStart + k, 1.0 - f);
            if (f > 0) taps.emplace_back(axis.srcStart + k + 1, f);
        }
        AddTaps(map, taps, axis.srcLimit);
    }
    return map;
}

bool SameRawMeaning(const Bitmap& a, const Bitmap& b) {
    if (a.Format() != b.Format()) return false;
    if (!IsIndexed(a.Format())) return true;
    return a.ColorTable() == b.ColorTable();
}

// Every destination pixel reads one source pixel: a plain (possibly mirrored,
// possibly repeating) copy.
void PointCopy(Bitmap& dest, const Bitmap& source, const AxisMap& xs, const AxisMap& ys) {
    const bool raw = SameRawMeaning(dest, source);
    const PixelFormat df = dest.Format(), sf = source.Format();
    // Columns read one after another, left to right, each once.
    bool consecutive = true;
    for (size_t n = 0; consecutive && n < xs.Size(); ++n)
        consecutive =
            xs.count[n] == 1 && xs.tapIndex[xs.first[n]] == xs.tapIndex[xs.first[0]] + static_cast<int32_t>(n);
    // A straight run of whole bytes can be copied at once; a straight run in
    // another format is converted a row at a time, which gives the same bytes
    // as converting pixel by pixel.
    const bool straight = consecutive && raw && BitsPerPixel(df) >= 8;
    const bool rowConversion = consecutive && !raw;
    const size_t bytesPerPixel = static_cast<size_t>(BitsPerPixel(df) / 8);
    PrepareRows(dest);
    ForEachRowBand(static_cast<int64_t>(ys.Size()), RowsPerBand(xs.Size(), ys.Size(), ys.Size()), [&](int64_t begin, int64_t end) {
        // Codecs remember nearest colours as they go: one pair per band.
        PixelCodec from(source);
        PixelCodec to(dest);
        std::vector<uint32_t> converted(rowConversion ? xs.Size() : 0);
        for (auto m = static_cast<size_t>(begin); m < static_cast<size_t>(end); ++m) {
            if (ys.count[m] == 0) continue;
            const uint8_t* src = source.ScanLine(ys.tapIndex[ys.first[m]]);
            uint8_t* dst = dest.ScanLine(ys.begin + static_cast<int32_t>(m));
            if (straight) {
                std::memmove(dst + bytesPerPixel * static_cast<size_t>(xs.begin),
                             src + bytesPerPixel * static_cast<size_t>(xs.tapIndex[xs.first[0]]),
                             bytesPerPixel * xs.Size());
                continue;
            }
            if (rowConversion) {
                const auto count = static_cast<int32_t>(xs.Size());
                from.ReadRow(src, xs.tapIndex[xs.first[0]], count, converted.data());
                to.WriteRow(dst, xs.begin, count, converted.data());
                continue;
            }
            for (size_t n = 0; n < xs.Size(); ++n) {
                if (xs.count[n] == 0) continue;
                const int32_t x = xs.begin + static_cast<int32_t>(n);
                const int32_t k = xs.tapIndex[xs.first[n]];
                if (raw)
                    StoreRaw(dst, x, df, LoadRaw(src, k, sf));
                else
                    to.Write(dst, x, from.Read(src, k));
            }
        }
    });
}

#ifndef __SSE2__
inline uint32_t ToByte(float v) {
    const int i = static_cast<int>(v + 0.5f);
    return static_cast<uint32_t>(std::clamp(i, 0, 255));
}
#endif

typedef float Float4 __attribute__((vector_size(16)));

// The four channel sums as one BGRX word, each rounded as ToByte does.
inline uint32_t ToBytes(Float4 v) {
#ifdef __SSE2__
    // Truncating conversion, then two saturating packs (to 16 bits signed, then
    // to 8 bits unsigned): the same clamp to 0..255, out-of-range sums included.
    const __m128i whole = _mm_cvttps_epi32(_mm_add_ps(v, _mm_set1_ps(0.5f)));
    const __m128i words = _mm_packs_epi32(whole, whole);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
#else
    return ToByte(v[0]) | (ToByte(v[1]) << 8) | (ToByte(v[2]) << 16) | (ToByte(v[3]) << 24);
#endif
}

// Accumulates one source row into the column sums: acc += weight * bytes.
void AccumulateRow(float* __restrict acc, const uint8_t* __restrict bytes, size_t count, float weight) {
    for (size_t i = 0; i < count; ++i) acc[i] += weight * static_cast<float>(bytes[i]);
}

// Separable filtering: the taps of each destination row are summed into a row of
// column totals (four channels), which the column taps then combine.
void FilterCopy(Bitmap& dest, const Bitmap& source, const AxisMap& xs, const AxisMap& ys) {
    const int32_t c0 = xs.minSource, c1 = xs.maxSource;
    if (c1 < c0) return;
    const size_t span = static_cast<size_t>(c1 - c0 + 1);
    const bool direct = dest.Format() == PixelFormat::pf32bit;
    PrepareRows(dest);
    ForEachRowBand(static_cast<int64_t>(ys.Size()), RowsPerBand(span, ys.Size(), ys.tapIndex.size()), [&](int64_t begin, int64_t end) {
        std::vector<float> acc(4 * span);
        std::vector<uint32_t> converted(source.Format() == PixelFormat::pf32bit ? 0 : span);
        PixelCodec from(source);
        PixelCodec to(dest);
        for (auto m = static_cast<size_t>(begin); m < static_cast<size_t>(end); ++m) {
            if (ys.count[m] == 0) continue;
            std::fill(acc.begin(), acc.end(), 0.0f);
            for (int32_t t = ys.first[m]; t < ys.first[m] + ys.count[m]; ++t) {
                const uint8_t* row = source.ScanLine(ys.tapIndex[t]);
                const uint8_t* bytes;
                if (converted.empty()) {
                    bytes = row + 4 * static_cast<size_t>(c0);
                } else {
                    from.ReadRow(row, c0, static_cast<int32_t>(span), converted.data());
                    bytes = reinterpret_cast<const uint8_t*>(converted.data());
                }
                AccumulateRow(acc.data(), bytes, 4 * span, ys.tapWeight[t]);
            }
            uint8_t* dst = dest.ScanLine(ys.begin + static_cast<int32_t>(m));
            for (size_t n = 0; n < xs.Size(); ++n) {
                if (xs.count[n] == 0) continue;
                // The four channels of a pixel side by side: each lane is summed in
                // the same order as one channel alone would be, so the bytes agree.
                Float4 sum = {0, 0, 0, 0};
                for (int32_t t = xs.first[n]; t < xs.first[n] + xs.count[n]; ++t) {
                    Float4 pixel;
                    std::memcpy(&pixel, &acc[4 * static_cast<size_t>(xs.tapIndex[t] - c0)], sizeof pixel);
                    sum += xs.tapWeight[t] * pixel;
                }
                const uint32_t value = ToBytes(sum);
                const int32_t column = xs.begin + static_cast<int32_t>(n);
                if (direct)
                    std::memcpy(dst + 4 * static_cast<size_t>(column), &value, sizeof value);
                else
                    to.Write(dst, column, value);
            }
        }
    });
}

}  // namespace

void StretchBitmap(Bitmap& dest, const Rect& destRect, const Bitmap& source, const Rect& srcRect,
                   StretchMode mode) {
    const int64_t dw = static_cast<int64_t>(destRect.right) - destRect.left;
    const int64_t dh = static_cast<int64_t>(destRect.bottom) - destRect.top;
    const int64_t sw = static_cast<int64_t>(srcRect.right) - srcRect.left;
    const int64_t sh = static_cast<int64_t>(srcRect.bottom) - srcRect.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || dest.Empty() || source.Empty()) return;

    // A whole bitmap drawn at 1:1 over a whole bitmap of its kind is the same
    // pixels: share them instead of copying.
    const Rect sourceWhole{0, 0, source.Width(), source.Height()};
    if (destRect == Rect{0, 0, dest.Width(), dest.Height()} && srcRect == sourceWhole &&
        SameRawMeaning(dest, source) && dest.SharePixelsOf(source))
        return;

    // Drawing a bitmap onto itself reads from a copy, so no pixel is read after it was written.
    std::unique_ptr<Bitmap> copy;
    const Bitmap* src = &source;
    if (&dest == &source) {
        copy = source.CloneBitmap();
        src = copy.get();
    }

    const AxisSpec xSpec{std::min<int64_t>(destRect.left, destRect.right), std::abs(dw),
                         std::min<int64_t>(srcRect.left, srcRect.right), std::abs(sw), src->Width(), dest.Width(),
                         (dw < 0) != (sw < 0)};
    const AxisSpec ySpec{std::min<int64_t>(destRect.top, destRect.bottom), std::abs(dh),
                         std::min<int64_t>(srcRect.top, srcRect.bottom), std::abs(sh), src->Height(), dest.Height(),
                         (dh < 0) != (sh < 0)};
    const AxisMap xs = BuildAxis(xSpec, mode);
    if (xs.Size() == 0) return;
    const AxisMap ys = BuildAxis(ySpec, mode);
    if (ys.Size() == 0) return;
    if (xs.singleTaps && ys.singleTaps)
        PointCopy(dest, *src, xs, ys);
    else
        FilterCopy(dest, *src, xs, ys);
}

}  // namespace gfx
