#include "gfx/pixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace gfx {

uint32_t LoadRaw(const uint8_t* row, int32_t x, PixelFormat format) {
    switch (format) {
        case PixelFormat::pf1bit:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case PixelFormat::pf4bit:
            return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
        case PixelFormat::pf8bit:
            return row[x];
        case PixelFormat::pf16bit: {
            const uint8_t* p = row + 2 * static_cast<ptrdiff_t>(x);
            return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
        }
        case PixelFormat::pf24bit: {
            const uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
            return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                   (static_cast<uint32_t>(p[2]) << 16);
        }
        case PixelFormat::pf32bit: {
            uint32_t v;
            std::memcpy(&v, row + 4 * static_cast<ptrdiff_t>(x), 4);
            return v;
        }
    }
    return 0;
}

void StoreRaw(uint8_t* row, int32_t x, PixelFormat format, uint32_t raw) {
    switch (format) {
        case PixelFormat::pf1bit: {
            const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>((raw & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
            break;
        }
        case PixelFormat::pf4bit: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (raw & 0x0F))
                        : static_cast<uint8_t>((b & 0x0F) | ((raw & 0x0F) << 4));
            break;
        }
        case PixelFormat::pf8bit:
            row[x] = static_cast<uint8_t>(raw);
            break;
        case PixelFormat::pf16bit: {
            uint8_t* p = row + 2 * static_cast<ptrdiff_t>(x);
            p[0] = static_cast<uint8_t>(raw);
            p[1] = static_cast<uint8_t>(raw >> 8);
            break;
        }
        case PixelFormat::pf24bit: {
            uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
            p[0] = static_cast<uint8_t>(raw);
            p[1] = static_cast<uint8_t>(raw >> 8);
            p[2] = static_cast<uint8_t>(raw >> 16);
            break;
        }
        case PixelFormat::pf32bit:
            std::memcpy(row + 4 * static_cast<ptrdiff_t>(x), &raw, 4);
            break;
    }
}

// The packing below moves whole words: byte 0 of a word is the first byte in memory.
static_assert(std::endian::native == std::endian::little, "pixel rows are handled as little-endian words");

namespace {

inline uint32_t LoadWord(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void StoreWord(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

void PackBGRXToBGR(const uint8_t* src, uint8_t* dst, size_t count) {
    // Four pixels at a time: four words in, three words out.
    size_t i = 0;
    for (; i + 4 <= count; i += 4, src += 16, dst += 12) {
        const uint32_t a = LoadWord(src), b = LoadWord(src + 4), c = LoadWord(src + 8), d = LoadWord(src + 12);
        StoreWord(dst, (a & 0xFFFFFFu) | (b << 24));
        StoreWord(dst + 4, ((b >> 8) & 0xFFFFu) | (c << 16));
        StoreWord(dst + 8, ((c >> 16) & 0xFFu) | (d << 8));
    }
    for (; i < count; ++i, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

void UnpackBGRToBGRX(const uint8_t* src, uint32_t* dst, size_t count) {
    size_t i = 0;
    for (; i + 4 <= count; i += 4, src += 12, dst += 4) {
        const uint32_t a = LoadWord(src), b = LoadWord(src + 4), c = LoadWord(src + 8);
        dst[0] = a & 0xFFFFFFu;
        dst[1] = (a >> 24) | ((b & 0xFFFFu) << 8);
        dst[2] = (b >> 16) | ((c & 0xFFu) << 16);
        dst[3] = c >> 8;
    }
    for (; i < count; ++i, src += 3)
        *dst++ = static_cast<uint32_t>(src[0]) | (static_cast<uint32_t>(src[1]) << 8) |
                 (static_cast<uint32_t>(src[2]) << 16);
}

namespace {

std::vector<RGBQuad> MakeDefaultTable(PixelFormat format) {
    std::vector<RGBQuad> t;
    auto add = [&t](int r, int g, int b) {
        t.push_back({static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0});
    };
    switch (format) {
        case PixelFormat::pf1bit:
            add(0, 0, 0);
            add(255, 255, 255);
            break;
        case PixelFormat::pf4bit: {
            // The 16 colours of the VGA palette in their Windows order.
            static constexpr int vga[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                               {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                               {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                               {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
            for (const auto& c : vga) add(c[0], c[1], c[2]);
            break;
        }
        case PixelFormat::pf8bit:
            // A 6x6x6 colour cube followed by a ramp of 40 greys between its steps.
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b) add(r * 51, g * 51, b * 51);
            for (int i = 0; i < 40; ++i) {
                const int v = (i + 1) * 255 / 41;
                add(v, v, v);
            }
            break;
        default:
            break;
    }
    return t;
}

}  // namespace

const std::vector<RGBQuad>& DefaultColorTable(PixelFormat format) {
    static const std::vector<RGBQuad> mono = MakeDefaultTable(PixelFormat::pf1bit);
    static const std::vector<RGBQuad> vga = MakeDefaultTable(PixelFormat::pf4bit);
    static const std::vector<RGBQuad> halftone = MakeDefaultTable(PixelFormat::pf8bit);
    static const std::vector<RGBQuad> none;
    switch (format) {
        case PixelFormat::pf1bit: return mono;
        case PixelFormat::pf4bit: return vga;
        case PixelFormat::pf8bit: return halftone;
        default: return none;
    }
}

PixelCodec::PixelCodec(PixelFormat format, std::vector<RGBQuad> table)
    : format_(format),
      indexed_(format == PixelFormat::pf1bit || format == PixelFormat::pf4bit || format == PixelFormat::pf8bit),
      table_(std::move(table)) {
    if (indexed_) {
        // Indices past the table read as black, as GDI does for a short table.
        decoded_.assign(size_t{1} << BitsPerPixel(format_), 0);
        for (size_t i = 0; i < table_.size() && i < decoded_.size(); ++i) decoded_[i] = QuadToBGRX(table_[i]);
    }
}

uint32_t PixelCodec::Decode(uint32_t raw) const {
    switch (format_) {
        case PixelFormat::pf1bit:
        case PixelFormat::pf4bit:
        case PixelFormat::pf8bit:
            return decoded_[raw];
        case PixelFormat::pf16bit: {
            // 5-5-5 widened by repeating the high bits, so 31 becomes 255.
            const uint32_t r = (raw >> 10) & 31, g = (raw >> 5) & 31, b = raw & 31;
            return ((b << 3) | (b >> 2)) | (((g << 3) | (g >> 2)) << 8) | (((r << 3) | (r >> 2)) << 16);
        }
        case PixelFormat::pf24bit:
            return raw;
        case PixelFormat::pf32bit:
            return raw;
    }
    return 0;
}

uint32_t PixelCodec::Nearest(uint32_t bgrx) const {
    const int b = bgrx & 0xFF, g = (bgrx >> 8) & 0xFF, r = (bgrx >> 16) & 0xFF;
    const size_t n = std::min(table_.size(), decoded_.size());
    uint32_t best = 0;
    int bestDistance = -1;
    for (size_t i = 0; i < n; ++i) {
        const int db = table_[i].rgbBlue - b, dg = table_[i].rgbGreen - g, dr = table_[i].rgbRed - r;
        const int d = db * db + dg * dg + dr * dr;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
            if (d == 0) break;
        }
    }
    return best;
}

uint32_t PixelCodec::Encode(uint32_t bgrx) {
    switch (format_) {
        case PixelFormat::pf1bit:
        case PixelFormat::pf4bit:
        case PixelFormat::pf8bit: {
            const uint32_t key = bgrx & 0xFFFFFF;
            auto it = nearest_.find(key);
            if (it != nearest_.end()) return it->second;
            const uint32_t index = Nearest(key);
            nearest_.emplace(key, index);
            return index;
        }
        case PixelFormat::pf16bit:
            return (((bgrx >> 16) & 0xF8) << 7) | (((bgrx >> 8) & 0xF8) << 2) | ((bgrx & 0xF8) >> 3);
        case PixelFormat::pf24bit:
            return bgrx & 0xFFFFFF;
        case PixelFormat::pf32bit:
            return bgrx;
    }
    return 0;
}

void PixelCodec::ReadRow(const uint8_t* row, int32_t x0, int32_t count, uint32_t* out) const {
    switch (format_) {
        case PixelFormat::pf32bit:
            std::memcpy(out, row + 4 * static_cast<ptrdiff_t>(x0), 4 * static_cast<size_t>(count));
            return;
        case PixelFormat::pf24bit:
            UnpackBGRToBGRX(row + 3 * static_cast<ptrdiff_t>(x0), out, static_cast<size_t>(count));
            return;
        case PixelFormat::pf8bit:
            for (int32_t i = 0; i < count; ++i) out[i] = decoded_[row[x0 + i]];
            return;
        default:
            for (int32_t i = 0; i < count; ++i) out[i] = Read(row, x0 + i);
            return;
    }
}

void PixelCodec::WriteRow(uint8_t* row, int32_t x0, int32_t count, const uint32_t* in) {
    switch (format_) {
        case PixelFormat::pf32bit:
            std::memcpy(row + 4 * static_cast<ptrdiff_t>(x0), in, 4 * static_cast<size_t>(count));
            return;
        case PixelFormat::pf24bit:
            PackBGRXToBGR(reinterpret_cast<const uint8_t*>(in), row + 3 * static_cast<ptrdiff_t>(x0),
                          static_cast<size_t>(count));
            return;
        default:
            for (int32_t i = 0; i < count; ++i) Write(row, x0 + i, in[i]);
            return;
    }
}

}  // namespace gfx
