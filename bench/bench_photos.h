// The test photos the benchmarks and their scripts share: JPEG files at quality
// 90 painted with smooth colour fields and fine grain, so that they code and
// decode like photos rather than like flat patterns. Each size is made once in
// /tmp and reused; a file left damaged by an interrupted run is made again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "codecs/jpeg.h"
#include "gfx/bitmap.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"

namespace bench {

inline void PaintPhoto(gfx::Bitmap& photo, uint32_t seed = 12345) {
    uint32_t noise = seed;
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    const int32_t w = photo.Width(), h = photo.Height();
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = photo.ScanLine(y);
        for (int32_t x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 31) - 16;
            row[4 * x + 0] = clamp(x * 255 / w + grain);
            row[4 * x + 1] = clamp(y * 255 / h + grain);
            row[4 * x + 2] = clamp(((x / 97 + y / 61 + static_cast<int>(seed % 5)) % 7) * 36 + grain);
            row[4 * x + 3] = 0xFF;
        }
    }
}

inline bool IsPhotoOfSize(const std::string& path, int32_t width, int32_t height) {
    if (!std::filesystem::exists(path)) return false;
    try {
        const std::vector<uint8_t> bytes = gfx::ReadWholeFile(path);
        const auto photo = gfx::ReadJpeg(bytes.data(), bytes.size());
        return photo->Width() == width && photo->Height() == height;
    } catch (const std::exception&) {
        return false;
    }
}

// The path of a width x height test photo, made when it is not there yet.
inline std::string TestPhoto(int32_t width, int32_t height, uint32_t seed = 12345) {
    const std::string path = "/tmp/morvi-bench-" + std::to_string(width) + "x" + std::to_string(height) +
                             (seed == 12345 ? "" : "-" + std::to_string(seed)) + ".jpg";
    if (!IsPhotoOfSize(path, width, height)) {
        gfx::Bitmap photo(width, height, gfx::PixelFormat::pf32bit);
        PaintPhoto(photo, seed);
        gfx::SaveFileAtomically(path, [&photo](gfx::Stream& out) { gfx::WriteJpeg(photo, out); });
    }
    return path;
}

}  // namespace bench
