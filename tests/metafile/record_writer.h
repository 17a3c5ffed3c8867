// Builds small WMF and EMF files record by record, so that tests can make the
// exact (and exactly broken) byte layouts they need.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace metafile_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& out, int32_t v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}
inline void Put32(Bytes& out, int64_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t((uint64_t(v) >> (8 * i)) & 0xFF));
}
inline void PutF(Bytes& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(out, bits);
}
inline Bytes Words(std::initializer_list<int32_t> values) {
    Bytes out;
    for (int32_t v : values) Put16(out, v);
    return out;
}
inline Bytes Longs(std::initializer_list<int64_t> values) {
    Bytes out;
    for (int64_t v : values) Put32(out, v);
    return out;
}
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A packed DIB: BITMAPINFOHEADER, colour table, rows as given (already padded).
inline Bytes Dib(int32_t width, int32_t height, uint16_t bits, const Bytes& colors, const Bytes& rows,
                 uint32_t compression = 0) {
    Bytes out = Longs({40, width, height});
    Put16(out, 1);
    Put16(out, bits);
    Bytes rest = Longs({compression, int64_t(rows.size()), 0, 0, int64_t(colors.size() / 4), 0});
    return Cat({out, rest, colors, rows});
}

class WmfWriter {
public:
    // params are the record's parameter bytes; the size word is computed.
    WmfWriter& Add(uint16_t function, const Bytes& params) {
        Put32(records_, int64_t(3 + (params.size() + 1) / 2));
        Put16(records_, function);
        records_.insert(records_.end(), params.begin(), params.end());
        if (params.size() % 2) records_.push_back(0);
        return *this;
    }
    // Appends bytes as they are (for broken records).
    WmfWriter& Raw(const Bytes& bytes) {
        records_.insert(records_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes Plain(uint16_t objects, bool withEof = true) const {
        Bytes out = Words({2, 9, 0x0300});
        Bytes body = records_;
        if (withEof) body.insert(body.end(), {3, 0, 0, 0, 0, 0});
        Put32(out, int64_t((18 + body.size()) / 2));
        Put16(out, objects);
        Put32(out, 3);
        Put16(out, 0);
        return Cat({out, body});
    }
    Bytes Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch, uint16_t objects,
                    bool withEof = true) const {
        Bytes out = Longs({0x9AC6CDD7});
        Put16(out, 0);
        for (int16_t v : {left, top, right, bottom}) Put16(out, v);
        Put16(out, inch);
        Put32(out, 0);
        Put16(out, 0);
        return Cat({out, Plain(objects, withEof)});
    }

private:
    Bytes records_;
};

class EmfWriter {
public:
    EmfWriter& Add(uint32_t type, const Bytes& params) {
        Put32(records_, type);
        Put32(records_, int64_t(8 + (params.size() + 3) / 4 * 4));
        records_.insert(records_.end(), params.begin(), params.end());
        while (records_.size() % 4) records_.push_back(0);
        ++count_;
        return *this;
    }
    EmfWriter& Raw(const Bytes& bytes) {
        records_.insert(records_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // frame in hundredths of a millimetre; the reference device is 96 dpi.
    Bytes Finish(int32_t frameRight, int32_t frameBottom, uint16_t handles, bool withEof = true) const {
        Bytes body = records_;
        if (withEof) body = Cat({body, Longs({14, 20, 0, 0, 20})});
        Bytes header = Longs({1, 88, 0, 0, 0, 0, 0, 0, frameRight, frameBottom, 0x464D4520, 0x10000,
                              int64_t(88 + body.size()), count_ + 2});
        Put16(header, handles);
        Put16(header, 0);
        header = Cat({header, Longs({0, 0, 0, 960, 960, 254, 254})});
        return Cat({header, body});
    }

private:
    Bytes records_;
    int64_t count_ = 0;
};

}  // namespace metafile_test
