#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/rle.h"
#include "gfx/byte_reader.h"

namespace kvdib {

namespace {

// The four "Bad RLE Data" numbers of one decoder, by the item that failed.
struct BadDataTexts {
    const char* routine;
    int endOfLine;
    int delta;
    int absolute;
    int run;
};
constexpr BadDataTexts kRle8Texts{"Convert8BitRLETo8BitRGB", 1, 2, 3, 4};
constexpr BadDataTexts kRle4Texts{"Convert4BitRLETo4BitRGB", 5, 6, 7, 8};

[[noreturn]] void BadData(const BadDataTexts& texts, int number) {
    throw EKvDIBInvalidDIB(std::string(texts.routine) + ": Bad RLE Data " + std::to_string(number));
}

// Writes pixels into the plain result. The decoder checks every position against
// the row limit and the row count before it writes, so these never leave the
// block.
class PlainRows {
public:
    PlainRows(uint8_t* bits, int64_t stride, int bitCount) : bits_(bits), stride_(stride), four_(bitCount == 4) {}
    void Put(int64_t x, int64_t y, unsigned index) {
        uint8_t* row = bits_ + y * stride_;
        if (!four_) {
            row[x] = static_cast<uint8_t>(index);
        } else if (x & 1) {
            row[x >> 1] |= static_cast<uint8_t>(index & 0x0F);
        } else {
            // A high nibble stores the whole byte, as the low one comes after it.
            row[x >> 1] = static_cast<uint8_t>(index << 4);
        }
    }
    void Fill8(int64_t x, int64_t y, uint8_t value, int64_t count) {
        std::memset(bits_ + y * stride_ + x, value, count);
    }

private:
    uint8_t* bits_;
    int64_t stride_;
    bool four_;
};

// One decoder for both layouts: bits is 8 or 4.
void DecodeRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO, int bits, const BadDataTexts& texts) {
    const uint32_t compression = bits == 8 ? gfx::BI_RLE8 : gfx::BI_RLE4;
    if (source.Header.biBitCount != bits || source.Header.biCompression != compression)
        throw EKvDIBBadDIBType(std::string(texts.routine) + ": Invalid Bitcount & Compression Combination");
    const PlainLayout layout = LayoutFor(source.Header, bits, texts.routine);
    KVDIB_ASSERT(source.BitsSize >= 0 && (source.Bits != nullptr || source.BitsSize == 0),
                 std::string(texts.routine) + ": Pixel Memory Too Small");
    PendingPixels memory(layout.size, useFMO);
    PlainRows out(memory.Bits(), layout.stride, bits);

    // A 4-bit row may take one pixel in the spare low nibble of an odd width.
    const int64_t limit = bits == 8 ? layout.width : (static_cast<int64_t>(layout.width) + 1) / 2 * 2;
    const int64_t rows = layout.rows;
    gfx::ByteReader in(source.Bits, static_cast<size_t>(source.BitsSize));
    int64_t x = 0;
    int64_t y = 0;
    for (;;) {
        uint8_t count = 0;
        uint8_t value = 0;
        if (!in.ReadU8(count)) break;  // ended between items: the end of the bitmap
        if (!in.ReadU8(value)) BadData(texts, count == 0 ? texts.endOfLine : texts.run);
        if (count > 0) {
            // x <= limit and y < rows here keep every pixel of the run inside row y.
            if (x + count > limit || y >= rows) BadData(texts, texts.run);
            if (bits == 8) {
                out.Fill8(x, y, value, count);
            } else {
                for (int i = 0; i < count; ++i) out.Put(x + i, y, (i & 1) ? (value & 0x0F) : (value >> 4));
            }
            x += count;
            continue;
        }
        if (value == 0) {  // end of line
            ++y;
            x = 0;
            if (y > rows) BadData(texts, texts.endOfLine);
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            uint8_t dx = 0;
            uint8_t dy = 0;
            if (!in.ReadU8(dx) || !in.ReadU8(dy)) BadData(texts, texts.delta);
            x += dx;
            y += dy;
            if (x > limit || y > rows) BadData(texts, texts.delta);
        } else {  // absolute run of `value` pixels
            const int64_t n = value;
            if (x + n > limit || y >= rows) BadData(texts, texts.absolute);
            const size_t literalBytes = bits == 8 ? n : (n + 1) / 2;
            const size_t paddedBytes = bits == 8 ? (n + 1) / 2 * 2 : (n * 4 + 15) / 16 * 2;
            // Take checks the literal bytes are all there before any is read.
            const auto literal = in.Take(literalBytes);
            if (literal.size() != literalBytes) BadData(texts, texts.absolute);
            // The alignment byte carries nothing; a stream that ends instead of
            // it ends cleanly, like one without the end-of-bitmap escape.
            in.Skip(paddedBytes - literalBytes);
            if (bits == 8) {
                std::memcpy(memory.Bits() + y * layout.stride + x, literal.data(), n);
            } else {
                for (int64_t i = 0; i < n; ++i) {
                    const uint8_t pair = literal[i >> 1];
                    out.Put(x + i, y, (i & 1) ? (pair & 0x0F) : (pair >> 4));
                }
            }
            x += n;
        }
    }
    dest = PlainResult(source, memory, bits);
}

}  // namespace

void Convert8BitRLETo8BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    DecodeRLE(source, dest, useFMO, 8, kRle8Texts);
}

void Convert4BitRLETo4BitRGB(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    DecodeRLE(source, dest, useFMO, 4, kRle4Texts);
}

}  // namespace kvdib
