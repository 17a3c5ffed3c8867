#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dib/convert_common.h"
#include "dib/errors.h"
#include "dib/rle.h"

namespace kvdib {

namespace {

// Appends the stream items to the working buffer. Each writer first makes sure
// that, after its own bytes, the end-of-line and end-of-bitmap pairs still fit;
// so the stream can always be closed, and it never outgrows the plain picture.
class StreamWriter {
public:
    StreamWriter(uint8_t* buffer, int64_t capacity, bool fourBit, int64_t width, const char* routine)
        : out_(buffer), capacity_(capacity), fourBit_(fourBit), width_(width), routine_(routine) {}

    void Run(uint8_t value, int64_t count) {
        Need(6);
        const int64_t pixels = Clip(count);
        out_[length_++] = static_cast<uint8_t>(pixels);
        out_[length_++] = value;
    }

    void Absolute(const uint8_t* bytes, int64_t n) {
        KVDIB_ASSERT(n > 0, std::string(routine_) + ": WriteAbsolute Error");
        Need((n + 1) / 2 * 2 + 6);
        // An absolute run needs at least three pixels; shorter literals become
        // runs of one (at 4 bits a two-byte literal already holds three or four).
        if (n == 1 || (!fourBit_ && n == 2)) {
            for (int64_t i = 0; i < n; ++i) Run(bytes[i], 1);
            return;
        }
        const int64_t pixels = Clip(n);
        out_[length_++] = 0;
        out_[length_++] = static_cast<uint8_t>(pixels);
        std::memcpy(out_ + length_, bytes, n);
        length_ += n;
        if (n & 1) out_[length_++] = 0;
    }

    void EndOfLine() {
        Need(4);
        out_[length_++] = 0;
        out_[length_++] = 0;
        emitted_ = 0;
    }

    void EndOfBitmap() {
        Need(2);
        out_[length_++] = 0;
        out_[length_++] = 1;
    }

    int64_t Length() const { return length_; }

private:
    void Need(int64_t bytes) const {
        if (capacity_ - length_ < bytes) throw EKvDIBCompressionFailed(std::string(routine_) + ": Compression Failed");
    }
    // Pixels an item of `units` scanned units stands for. At 4 bits a unit is a
    // byte of two pixels, and the spare low nibble of an odd-width row must not
    // be counted as a pixel.
    int64_t Clip(int64_t units) {
        if (!fourBit_) return units;
        const int64_t pixels = std::min(2 * units, width_ - emitted_);
        emitted_ += pixels;
        return pixels;
    }

    uint8_t* out_;
    int64_t capacity_;
    bool fourBit_;
    int64_t width_;
    const char* routine_;
    int64_t length_ = 0;
    int64_t emitted_ = 0;
};

// How many of the next `most` units equal value; eight at a time while they can.
int64_t EqualUnits(const uint8_t* units, int64_t most, uint8_t value) {
    const uint64_t pattern = 0x0101010101010101ull * value;
    int64_t n = 0;
    for (; n + 8 <= most; n += 8) {
        uint64_t word;
        std::memcpy(&word, units + n, 8);
        // The lowest differing byte ends the run (the host is little-endian).
        if (const uint64_t diff = word ^ pattern; diff != 0) return n + __builtin_ctzll(diff) / 8;
    }
    while (n < most && units[n] == value) ++n;
    return n;
}

// Encodes one row of units with the four-state machine: a unit repeated starts
// or extends a run, a unit unlike the last extends a literal, and a literal whose
// last unit repeats gives that unit to a new run. The literal is always a
// stretch of the row itself, so it is kept as a start and a length.
void EncodeRow(const uint8_t* units, int64_t count, int64_t limit, StreamWriter& writer) {
    enum class State { Single, Run, Literal };
    State state = State::Single;
    int64_t start = 0;  // first unit of the single unit, run or literal
    int64_t n = 1;      // its length
    for (int64_t i = 1; i < count; ++i) {
        const uint8_t p = units[i];
        switch (state) {
            case State::Single:
                state = p == units[start] ? State::Run : State::Literal;
                n = 2;
                break;
            case State::Run: {
                // Swallow the whole stretch of equal units up to the limit at once.
                const uint8_t a = units[start];
                const int64_t stretch = EqualUnits(units + i, std::min(count - i, limit - n), a);
                n += stretch;
                i += stretch;
                if (i == count) break;
                writer.Run(a, n);
                start = i;
                n = 1;
                state = State::Single;
                break;
            }
            case State::Literal:
                if (p == units[i - 1]) {
                    writer.Absolute(units + start, n - 1);
                    start = i - 1;
                    n = 2;
                    state = State::Run;
                } else if (n < limit) {
                    ++n;
                } else {
                    writer.Absolute(units + start, n);
                    start = i;
                    n = 1;
                    state = State::Single;
                }
                break;
        }
    }
    switch (state) {
        case State::Single: writer.Run(units[start], 1); break;
        case State::Run: writer.Run(units[start], n); break;
        case State::Literal: writer.Absolute(units + start, n); break;
    }
    writer.EndOfLine();
}

void EncodeRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO, int bits, const char* routine) {
    if (source.Header.biBitCount != bits || source.Header.biCompression != gfx::BI_RGB)
        throw EKvDIBBadDIBType(std::string(routine) + ": Invalid Bitcount & Compression Combination");
    const PlainLayout layout = SourceLayout(source, routine);
    const bool fourBit = bits == 4;
    const int64_t units = fourBit ? (static_cast<int64_t>(layout.width) + 1) / 2 : layout.width;
    const int64_t limit = fourBit ? 127 : 255;

    auto buffer = WorkBuffer<uint8_t>(static_cast<size_t>(layout.size));
    StreamWriter writer(buffer.get(), layout.size, fourBit, layout.width, routine);
    const bool topDown = source.Header.biHeight < 0;
    for (int64_t r = 0; r < layout.rows; ++r) {
        // The stream is always bottom-up: its first row is the bottom row.
        const int64_t row = topDown ? layout.rows - 1 - r : r;
        EncodeRow(source.Bits + row * layout.stride, units, limit, writer);
    }
    writer.EndOfBitmap();

    const auto length = static_cast<int32_t>(writer.Length());
    PendingPixels memory(length, useFMO);
    std::memcpy(memory.Bits(), buffer.get(), length);
    DIBInfos result = source;
    memory.HandOver(result);
    result.Header.biHeight = std::abs(source.Header.biHeight);
    result.Header.biCompression = fourBit ? gfx::BI_RLE4 : gfx::BI_RLE8;
    result.Header.biSizeImage = static_cast<uint32_t>(length);
    dest = result;
}

}  // namespace

void Convert8BitRGBTo8BitRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    EncodeRLE(source, dest, useFMO, 8, "Convert8BitRGBTo8BitRLE");
}

void Convert4BitRGBTo4BitRLE(const DIBInfos& source, DIBInfos& dest, bool useFMO) {
    EncodeRLE(source, dest, useFMO, 4, "Convert4BitRGBTo4BitRLE");
}

}  // namespace kvdib
