#include "gfx/safe_save.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "gfx/exceptions.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return std::strerror(error); }

// A descriptor closed with the scope, unless handed on.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int value) : fd(value) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The file a save of path writes: the target of a symbolic link, else path.
fs::path ResolveTarget(const std::string& path) {
    fs::path target(path);
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) return resolved;
    }
    return target;
}

std::optional<struct stat> StatOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

// The folder refuses a new file, though the old one may still be writable.
bool FolderRefuses(int error) { return error == EACCES || error == EPERM || error == EROFS; }

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file beside the target; fd -1 (errno set) when none can be made.
struct Temporary {
    std::string path;
    Descriptor file;
};

void CreateTemporary(const fs::path& target, Temporary& temp) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device seed;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp.path = (folder / ("." + target.filename().string() + ".tmp" + std::to_string(seed()))).string();
        temp.file.fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (temp.file.fd >= 0 || errno != EEXIST) return;
    }
}

// The old file's owner and group on the temporary file, so that the rename does
// not hand the picture to whoever saved it. False when they cannot be kept.
bool KeepOwner(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) == 0) return true;
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

void WriteAll(int fd, const uint8_t* data, size_t size, const std::string& path) {
    size_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            throw EWriteError("Stream write error: " + path + ": " + Reason(put < 0 ? errno : ENOSPC) +
                              " (the file was only partly rewritten)");
        }
        done += static_cast<size_t>(put);
    }
}

// Rewrites the existing file target in place with the whole of bytes.
void WriteInPlace(const std::string& path, const fs::path& target, const std::vector<uint8_t>& bytes) {
    const Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.fd < 0) throw EInOutError("Cannot write file \"" + path + "\". " + Reason(errno));
    struct stat old {};
    if (::fstat(file.fd, &old) != 0) throw EInOutError("Cannot write file \"" + path + "\". " + Reason(errno));
    // Room first: a file-size limit or a full disk then fails before a byte changes.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        bytes.size() > limit.rlim_cur) {
        throw EWriteError("Stream write error: " + path + ": " + Reason(EFBIG));
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > old.st_size && ::fallocate(file.fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        throw EWriteError("Stream write error: " + path + ": " + Reason(errno));
    }
    WriteAll(file.fd, bytes.data(), bytes.size(), path);
    if (::ftruncate(file.fd, size) != 0 || ::fsync(file.fd) != 0) {
        throw EWriteError("Stream write error: " + path + ": " + Reason(errno));
    }
}

// An open descriptor as a stream, for the writer to fill the temporary file.
class DescriptorStream : public Stream {
public:
    DescriptorStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    size_t Read(void*, size_t) override { return 0; }
    void Write(const void* buffer, size_t count) override {
        const auto* in = static_cast<const uint8_t*>(buffer);
        while (count > 0) {
            const ssize_t put = ::write(fd_, in, count);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) throw EWriteError("Stream write error: " + path_ + ": " + Reason(errno));
            in += put;
            count -= static_cast<size_t>(put);
        }
    }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
        const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
        const off_t at = ::lseek(fd_, offset, whence);
        if (at < 0) throw EReadError("Stream seek error: " + path_ + ": " + Reason(errno));
        return at;
    }
    int64_t Size() const override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    }

private:
    int fd_;
    std::string path_;
};

}  // namespace

void SaveFileAtomically(const std::string& path, const std::function<void(Stream&)>& writer) {
    const fs::path target = ResolveTarget(path);
    const std::optional<struct stat> old = StatOf(target);
    // 1. A file with other names would lose them to a rename: rewrite it in place.
    bool inPlace = old && S_ISREG(old->st_mode) && old->st_nlink > 1;
    Temporary temp;
    if (!inPlace) {
        // 2. The temporary file; a folder that refuses it leaves the in-place road.
        CreateTemporary(target, temp);
        if (temp.file.fd < 0) {
            if (!old || !FolderRefuses(errno)) throw EInOutError("Cannot create file \"" + path + "\". " + Reason(errno));
            inPlace = true;
        } else if (old && !KeepOwner(temp.file.fd, *old)) {
            // 3. The rename would hand someone else's file to us.
            ::unlink(temp.path.c_str());
            inPlace = true;
        }
    }
    if (inPlace) {
        MemoryStream encoded;
        writer(encoded);
        WriteInPlace(path, target, encoded.Bytes());
        return;
    }
    // 4. Written, synced, given the old file's permissions and renamed over it.
    try {
        DescriptorStream stream(temp.file.fd, temp.path);
        writer(stream);
        if (::fchmod(temp.file.fd, old ? (old->st_mode & 07777) : NewFileMode()) != 0 || ::fsync(temp.file.fd) != 0) {
            throw EWriteError("Stream write error: " + path + ": " + Reason(errno));
        }
        if (::close(std::exchange(temp.file.fd, -1)) != 0) {
            throw EWriteError("Stream write error: " + path + ": " + Reason(errno));
        }
        if (::rename(temp.path.c_str(), target.c_str()) != 0) {
            throw EInOutError("Cannot write file \"" + path + "\". " + Reason(errno));
        }
    } catch (...) {
        ::unlink(temp.path.c_str());
        throw;
    }
}

}  // namespace gfx
