// A cursor over the parameters of one metafile record that throws instead of
// returning false: a record whose parameters run short is a malformed file, and
// the readers report it with the record's name and file offset.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "gfx/byte_reader.h"
#include "gfx/exceptions.h"

namespace gfx::metafile {

class RecordParams {
public:
    RecordParams(std::span<const uint8_t> bytes, uint32_t type, size_t fileOffset)
        : reader_(bytes), bytes_(bytes), type_(type), offset_(fileOffset) {}

    [[noreturn]] void Fail(const std::string& problem) const {
        throw EInvalidGraphic("Metafile record " + std::to_string(type_) + " at offset " +
                              std::to_string(offset_) + ": " + problem);
    }

    int16_t I16() { int16_t v = 0; if (!reader_.ReadI16(v)) Short(); return v; }
    uint16_t U16() { uint16_t v = 0; if (!reader_.ReadU16(v)) Short(); return v; }
    int32_t I32() { int32_t v = 0; if (!reader_.ReadI32(v)) Short(); return v; }
    uint32_t U32() { uint32_t v = 0; if (!reader_.ReadU32(v)) Short(); return v; }
    uint8_t U8() { uint8_t v = 0; if (!reader_.ReadU8(v)) Short(); return v; }
    float F32() {
        const uint32_t bits = U32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    std::span<const uint8_t> Take(size_t count) {
        if (!reader_.Has(count)) Short();
        return reader_.Take(count);
    }
    void Skip(size_t count) { if (!reader_.Skip(count)) Short(); }
    // Checks that count items of itemSize bytes follow, without overflowing.
    void NeedItems(uint64_t count, size_t itemSize) const {
        if (count > reader_.Remaining() / itemSize)
            Fail("count " + std::to_string(count) + " exceeds the record's " + std::to_string(reader_.Remaining()) +
                 " bytes");
    }
    size_t Remaining() const { return reader_.Remaining(); }
    size_t Position() const { return reader_.Position(); }
    void Seek(size_t position) { if (!reader_.Seek(position)) Short(); }
    // The bytes [offset, offset + size) of the record's parameters, checked.
    std::span<const uint8_t> Slice(uint64_t offset, uint64_t size) const {
        if (offset > bytes_.size() || size > bytes_.size() - offset)
            Fail("data at " + std::to_string(offset) + "+" + std::to_string(size) + " lies outside the record");
        return bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(size));
    }
    size_t Size() const { return bytes_.size(); }

private:
    [[noreturn]] void Short() const { Fail("parameters are truncated"); }

    ByteReader reader_;
    std::span<const uint8_t> bytes_;
    uint32_t type_;
    size_t offset_;
};

}  // namespace gfx::metafile
