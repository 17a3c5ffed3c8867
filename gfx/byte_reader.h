// A cursor over untrusted bytes that refuses to run past the end. Every decoder of
// file or clipboard data reads through it instead of indexing raw pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace gfx {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    ByteReader(const uint8_t* data, size_t size) : bytes_(data, size) {}

    size_t Size() const { return bytes_.size(); }
    size_t Position() const { return position_; }
    size_t Remaining() const { return bytes_.size() - position_; }
    bool AtEnd() const { return position_ >= bytes_.size(); }
    bool Has(size_t count) const { return count <= Remaining(); }

    // Moves to an absolute position; false (and no move) past the end.
    bool Seek(size_t position) {
        if (position > bytes_.size()) return false;
        position_ = position;
        return true;
    }
    bool Skip(size_t count) {
        if (!Has(count)) return false;
        position_ += count;
        return true;
    }

    // Each reader returns false, leaving the cursor where it was, when the bytes
    // are not all there. Values are little-endian.
    bool ReadU8(uint8_t& value) { return ReadRaw(&value, 1); }
    bool ReadU16(uint16_t& value) { return ReadLE(value); }
    bool ReadU32(uint32_t& value) { return ReadLE(value); }
    bool ReadI16(int16_t& value) { return ReadLE(value); }
    bool ReadI32(int32_t& value) { return ReadLE(value); }
    bool ReadBytes(void* out, size_t count) { return ReadRaw(out, count); }
    // A packed, trivially copyable structure in file order (the host is little-endian).
    template <typename T>
    bool ReadStruct(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        return ReadRaw(&value, sizeof(T));
    }
    // A view of the next count bytes, advancing past them; empty when not there.
    std::span<const uint8_t> Take(size_t count) {
        if (!Has(count)) return {};
        auto view = bytes_.subspan(position_, count);
        position_ += count;
        return view;
    }
    std::span<const uint8_t> Rest() const { return bytes_.subspan(position_); }

private:
    bool ReadRaw(void* out, size_t count) {
        if (!Has(count)) return false;
        if (count != 0) std::memcpy(out, bytes_.data() + position_, count);
        position_ += count;
        return true;
    }
    template <typename T>
    bool ReadLE(T& value) {
        uint8_t raw[sizeof(T)];
        if (!ReadRaw(raw, sizeof(T))) return false;
        std::make_unsigned_t<T> v = 0;
        for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::make_unsigned_t<T>>(raw[i]) << (8 * i);
        value = static_cast<T>(v);
        return true;
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace gfx
