#include "gfx/stream.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "gfx/exceptions.h"

namespace gfx {

namespace {

std::string SystemReason() { return std::strerror(errno); }

}  // namespace

void Stream::ReadBuffer(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const size_t got = Read(out + done, count - done);
        if (got == 0) throw EReadError("Stream read error");
        done += got;
    }
}

void Stream::ReadToDescriptor(int fd, size_t count) {
    uint8_t chunk[65536];
    while (count > 0) {
        const size_t n = std::min(count, sizeof chunk);
        ReadBuffer(chunk, n);
        for (size_t done = 0; done < n;) {
            const ssize_t put = ::write(fd, chunk + done, n - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) throw EWriteError("Stream write error: " + SystemReason());
            done += static_cast<size_t>(put);
        }
        count -= n;
    }
}

size_t MemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return;
    if (count > std::numeric_limits<size_t>::max() - position_) throw EWriteError("Stream write error");
    const size_t end = position_ + count;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = end;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<int64_t>(position_);
    if (origin == SeekOrigin::End) base = static_cast<int64_t>(bytes_.size());
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) throw EReadError("Stream seek error");
    position_ = static_cast<size_t>(target);
    return target;
}

FileStream::FileStream(const std::string& path, Mode mode) : path_(path) {
    const int flags = mode == Mode::Read ? O_RDONLY | O_CLOEXEC : O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        throw EInOutError((mode == Mode::Read ? "Cannot open file \"" : "Cannot create file \"") + path +
                          "\". " + SystemReason());
    }
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileStream::Read(void* buffer, size_t count) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) throw EReadError("Stream read error: " + path_ + ": " + SystemReason());
    }
}

void FileStream::Write(const void* buffer, size_t count) {
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(fd_, in, count);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw EWriteError("Stream write error: " + path_ + ": " + SystemReason());
        }
        in += put;
        count -= static_cast<size_t>(put);
    }
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(fd_, offset, whence);
    if (pos < 0) throw EReadError("Stream seek error: " + path_ + ": " + SystemReason());
    return pos;
}

int64_t FileStream::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EInOutError("Cannot read the size of \"" + path_ + "\". " + SystemReason());
    return st.st_size;
}

void FileStream::ReadToDescriptor(int fd, size_t count) {
    while (count > 0) {
        const ssize_t moved = ::sendfile(fd, fd_, nullptr, count);
        if (moved < 0 && errno == EINTR) continue;
        if (moved < 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A pair the kernel cannot copy between: through memory instead.
            Stream::ReadToDescriptor(fd, count);
            return;
        }
        if (moved < 0) throw EReadError("Stream read error: " + path_ + ": " + SystemReason());
        if (moved == 0) throw EReadError("Stream read error");
        count -= static_cast<size_t>(moved);
    }
}

void FileStream::Sync() {
    if (::fsync(fd_) != 0) throw EWriteError("Stream write error: " + path_ + ": " + SystemReason());
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    FileStream stream(path, FileStream::Mode::Read);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = stream.Read(chunk, sizeof chunk);
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

}  // namespace gfx
