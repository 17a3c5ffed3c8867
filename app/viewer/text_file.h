// Reading the plain-text files shown in the text viewer (the manual and the
// history beside the program). They are Shift-JIS (code page 932) with Windows
// line ends and may carry the old end-of-file mark, byte 26.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace morvi {

// Cuts bytes into lines, fed in pieces of any size. A line ends at CR, and an LF
// right after that CR belongs to the same line end; an LF on its own also ends a
// line, so files written with Unix line ends read line by line too. Byte 26 ends
// the text: what stands before it on its line is kept, nothing after it is read.
class TextLineSplitter {
public:
    // Returns false once the end mark has been met; further bytes are ignored.
    bool Feed(std::string_view bytes);
    bool Ended() const { return ended_; }
    // The lines, with a last line that has no line end when it holds anything.
    std::vector<std::string> Finish();

private:
    std::vector<std::string> lines_;
    std::string current_;
    bool afterCr_ = false;
    bool ended_ = false;
};

// Decodes one line of code page 932; bytes that form no character become U+FFFD.
QString DecodeShiftJisLine(std::string_view bytes);

// Reads a whole text file into decoded lines. A file that cannot be opened or
// read throws gfx::EInOutError naming the path and the system's reason.
QStringList ReadShiftJisLines(const QString& path);

}  // namespace morvi
