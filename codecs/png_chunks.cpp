#include "codecs/png_chunks.h"

#include <cstring>
#include <string>

#include "gfx/byte_reader.h"
#include "gfx/exceptions.h"

namespace gfx {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool ReadBigEndian32(ByteReader& in, uint32_t& value) {
    uint8_t raw[4];
    if (!in.ReadBytes(raw, sizeof raw)) return false;
    value = (uint32_t{raw[0]} << 24) | (uint32_t{raw[1]} << 16) | (uint32_t{raw[2]} << 8) | raw[3];
    return true;
}

bool IsStreamedImageData(const char (&type)[4]) {
    // IDAT, and fdAT, the frame data of animated PNG.
    return std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "fdAT", 4) == 0;
}

}  // namespace

bool LooksLikePng(std::span<const uint8_t> bytes) {
    return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

void CheckPngChunks(std::span<const uint8_t> bytes, const char* context) {
    if (!LooksLikePng(bytes)) return;
    ByteReader in(bytes);
    in.Skip(sizeof kSignature);
    constexpr size_t kCrcSize = 4;
    uint32_t length = 0;
    char type[4];
    // A header cut off at the end is the reader's to report.
    while (ReadBigEndian32(in, length) && in.ReadBytes(type, sizeof type)) {
        if (std::memcmp(type, "IEND", 4) == 0) return;
        if (!in.Has(size_t{length} + kCrcSize)) {
            if (IsStreamedImageData(type)) return;
            throw EInvalidGraphic(std::string(context) + ": the PNG data is broken (a chunk claims " +
                                  std::to_string(length) + " bytes, more than the data holds)");
        }
        in.Skip(size_t{length} + kCrcSize);
    }
}

}  // namespace gfx
