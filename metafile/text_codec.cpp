#include "metafile/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace gfx::metafile {

namespace {

class Converter {
public:
    explicit Converter(const char* from) : cd_(iconv_open("UTF-16LE", from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts exactly the given bytes as one unit. Returns false with errno set
    // (EINVAL: the bytes are an incomplete character; EILSEQ: invalid).
    bool Convert(std::string_view in, QString& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buffer[32];
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
        if (inLeft != 0) {
            errno = EINVAL;
            return false;
        }
        out = QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer),
                                 static_cast<qsizetype>((sizeof(buffer) - outLeft) / 2));
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

const char* CodePageForCharset(uint8_t charSet) {
    switch (charSet) {
    case 0: return "CP1252";
    case 1: return "CP932";
    case 2: return "ISO-8859-1";  // symbol fonts: the byte is the glyph
    case 77: return "MACINTOSH";
    case 128: return "CP932";
    case 129: return "CP949";
    case 130: return "JOHAB";
    case 134: return "CP936";
    case 136: return "CP950";
    case 161: return "CP1253";
    case 162: return "CP1254";
    case 163: return "CP1258";
    case 177: return "CP1255";
    case 178: return "CP1256";
    case 186: return "CP1257";
    case 204: return "CP1251";
    case 222: return "CP874";
    case 238: return "CP1250";
    case 255: return "CP437";
    default: return "CP1252";
    }
}

std::vector<DecodedChar> DecodeCharsetText(std::string_view bytes, uint8_t charSet) {
    std::vector<DecodedChar> chars;
    Converter converter(CodePageForCharset(charSet));
    size_t pos = 0;
    while (pos < bytes.size()) {
        DecodedChar ch;
        if (!converter.ok()) {
            ch.text = QString(QChar(static_cast<uint8_t>(bytes[pos])));
        } else {
            // Double-byte code pages report a lone lead byte as incomplete: try two.
            bool done = false;
            for (size_t length = 1; length <= 2 && pos + length <= bytes.size() && !done; ++length) {
                if (converter.Convert(bytes.substr(pos, length), ch.text)) {
                    ch.bytes = static_cast<int>(length);
                    done = true;
                } else if (errno != EINVAL) {
                    break;
                }
            }
            if (!done) {
                ch.text = QString(QChar(0xFFFD));
                ch.bytes = 1;
            }
        }
        pos += static_cast<size_t>(ch.bytes);
        chars.push_back(std::move(ch));
    }
    return chars;
}

QString DecodeCharsetString(std::string_view bytes, uint8_t charSet) {
    QString text;
    for (const DecodedChar& ch : DecodeCharsetText(bytes, charSet)) text += ch.text;
    return text;
}

}  // namespace gfx::metafile
