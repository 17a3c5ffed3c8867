// 8-bit text of metafiles: the bytes of TEXTOUT records and of WMF face names are
// in the code page of the font's character set (Shift-JIS for SHIFTJIS_CHARSET).
// Decoding goes character by character so that per-byte advance arrays can be
// matched to the characters they place.
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

namespace gfx::metafile {

// The iconv name of the code page a LOGFONT character set stands for.
// DEFAULT_CHARSET is taken as the program's own code page, 932.
const char* CodePageForCharset(uint8_t charSet);

struct DecodedChar {
    QString text;   // one character (two code units for a surrogate pair)
    int bytes = 1;  // how many input bytes it took
};

// Splits and decodes; bytes that do not form a character become U+FFFD.
std::vector<DecodedChar> DecodeCharsetText(std::string_view bytes, uint8_t charSet);
QString DecodeCharsetString(std::string_view bytes, uint8_t charSet);

}  // namespace gfx::metafile
