// Byte streams for loading and saving graphics: an abstract Stream with the
// checked ReadBuffer/WriteBuffer every decoder uses, a growable MemoryStream and a
// FileStream over a file descriptor. Positions and sizes are 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace gfx {

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes count bytes or throws EWriteError.
    virtual void Write(const void* buffer, size_t count) = 0;
    // Moves the position; a position past the end is allowed (reads there fail).
    // Returns the new position; a negative result throws EReadError.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size() const = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    // Reads exactly count bytes or throws EReadError ("Stream read error").
    void ReadBuffer(void* buffer, size_t count);
    // Reads exactly count bytes into the file fd at its position, or throws
    // EReadError (a short stream) or EWriteError (fd refuses them). A file stream
    // has the kernel copy them, without a trip through this process's memory.
    virtual void ReadToDescriptor(int fd, size_t count);
    void WriteBuffer(const void* buffer, size_t count) { Write(buffer, count); }
};

// A stream over a byte vector it owns; writing past the end grows it.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit MemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { position_ = 0; return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// A stream over an open file; the descriptor is closed with the object.
class FileStream : public Stream {
public:
    enum class Mode { Read, Create };
    // Throws EInOutError naming the path and the system's reason.
    FileStream(const std::string& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() const override;
    void ReadToDescriptor(int fd, size_t count) override;
    // Flushes to the disk; throws EWriteError on failure.
    void Sync();
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Reads a whole file into memory; throws EInOutError when it cannot be opened.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace gfx
