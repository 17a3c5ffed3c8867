#include "app/viewer/text_file.h"

#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gfx/exceptions.h"
#include "gfx/stream.h"
#include "metafile/text_codec.h"

namespace morvi {
namespace {

constexpr char kEndOfFileMark = 26;
// The metafile decoder's character-set number for Shift-JIS.
constexpr uint8_t kShiftJisCharset = 128;

}  // namespace

bool TextLineSplitter::Feed(std::string_view bytes)
{
    for (const char byte : bytes) {
        if (ended_) break;
        const bool lfOfCrLf = afterCr_ && byte == '\n';
        afterCr_ = false;
        if (lfOfCrLf) continue;
        switch (byte) {
        case kEndOfFileMark:
            ended_ = true;
            break;
        case '\r':
            afterCr_ = true;
            [[fallthrough]];
        case '\n':
            lines_.push_back(std::move(current_));
            current_.clear();
            break;
        default:
            current_.push_back(byte);
            break;
        }
    }
    return !ended_;
}

std::vector<std::string> TextLineSplitter::Finish()
{
    if (!current_.empty()) lines_.push_back(std::move(current_));
    current_.clear();
    return std::move(lines_);
}

QString DecodeShiftJisLine(std::string_view bytes)
{
    return gfx::metafile::DecodeCharsetString(bytes, kShiftJisCharset);
}

QStringList ReadShiftJisLines(const QString& path)
{
    const std::string name = QFile::encodeName(path).toStdString();
    gfx::FileStream stream(name, gfx::FileStream::Mode::Read);

    TextLineSplitter splitter;
    std::string chunk(64 * 1024, '\0');
    for (;;) {
        const ssize_t got = ::read(stream.Descriptor(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw gfx::EInOutError("Cannot read file \"" + name + "\". " + std::strerror(errno));
        }
        if (got == 0 || !splitter.Feed(std::string_view(chunk.data(), static_cast<size_t>(got)))) break;
    }

    QStringList lines;
    for (const std::string& line : splitter.Finish()) lines << DecodeShiftJisLine(line);
    return lines;
}

}  // namespace morvi
