#include "dib/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "dib/errors.h"
#include "gfx/stream.h"

namespace kvdib {

namespace {

// Atomic: the converter runs a session per thread, and every one allocates.
std::atomic<int64_t> liveAllocations = 0;
std::atomic<int> failCountdown = 0;

// True when a test asked this call to fail.
bool InjectedFailure() {
    if (failCountdown.load(std::memory_order_relaxed) <= 0) return false;
    return --failCountdown == 0;
}

}  // namespace

// A descriptor closed with the scope.
struct SharedMemoryFile {
    int fd = -1;
    ~SharedMemoryFile() {
        if (fd >= 0) ::close(fd);
    }
};

void GetMemory(int32_t size, MappingHandle& mapping, uint8_t*& bits, bool useFMO) {
    GetMemoryFilled(size, mapping, bits, useFMO, nullptr);
}

void GetMemoryFilled(int32_t size, MappingHandle& mapping, uint8_t*& bits, bool useFMO, gfx::Stream* from) {
    if (size < 0) throw gfx::EOutOfMemory("GetMemory: Invalid Size");
    // Zero bytes still get a real block, so that Bits is never null for a stored DIB.
    const size_t length = size == 0 ? 1 : static_cast<size_t>(size);
    if (!useFMO) {
        if (InjectedFailure()) throw gfx::EOutOfMemory("Out of memory");
        void* block = std::calloc(length, 1);
        if (block == nullptr) throw gfx::EOutOfMemory("Out of memory");
        if (from != nullptr && size > 0) {
            try {
                from->ReadBuffer(block, static_cast<size_t>(size));
            } catch (...) {
                std::free(block);
                throw;
            }
        }
        mapping = MappingHandle{};
        bits = static_cast<uint8_t*>(block);
        ++liveAllocations;
        return;
    }
    if (InjectedFailure()) throw gfx::EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    SharedMemoryFile file{::memfd_create("kvdib", MFD_CLOEXEC)};
    if (file.fd < 0 || ::ftruncate(file.fd, static_cast<off_t>(length)) != 0) {
        throw gfx::EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    }
    // Filled before it is mapped: the kernel copies the bytes straight into the
    // shared memory's pages, with no page faults on the way, and the mapping
    // then takes all of them at once.
    if (from != nullptr && size > 0) {
        from->ReadToDescriptor(file.fd, static_cast<size_t>(size));
        if (::lseek(file.fd, 0, SEEK_SET) != 0 || ::ftruncate(file.fd, static_cast<off_t>(length)) != 0) {
            throw gfx::EOutOfResources("GetMemory: Cannot Make File Mapping Object");
        }
    }
    const int flags = MAP_SHARED | (from != nullptr ? MAP_POPULATE : 0);
    void* view = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, flags, file.fd, 0);
    // The mapping keeps the memory alive by itself; holding the descriptor too
    // would spend one per picture and run into the process's limit.
    if (view == MAP_FAILED) throw gfx::EOutOfResources("GetMemory: Cannot Make View of File Map");
    mapping = MappingHandle{length};
    bits = static_cast<uint8_t*>(view);
    ++liveAllocations;
}

void ReleaseMemory(const MappingHandle& mapping, uint8_t* bits, bool useFMO) {
    if (bits == nullptr) return;
    --liveAllocations;
    if (!useFMO) {
        std::free(bits);
        return;
    }
    KVDIB_ASSERT(::munmap(bits, mapping.length) == 0, "ReleaseMemory: Failed To Unmap View of File map");
}

int GetNumColors(int bitCount) {
    switch (bitCount) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

const char* PixelFormatName(TKvPixelFormat format) {
    switch (format) {
        case TKvPixelFormat::kvpf1Bit: return "kvpf1Bit";
        case TKvPixelFormat::kvpf4Bit: return "kvpf4Bit";
        case TKvPixelFormat::kvpf4BitRLE: return "kvpf4BitRLE";
        case TKvPixelFormat::kvpf8Bit: return "kvpf8Bit";
        case TKvPixelFormat::kvpf8BitRLE: return "kvpf8BitRLE";
        case TKvPixelFormat::kvpf24Bit: return "kvpf24Bit";
        case TKvPixelFormat::kvpfHalfTone: return "kvpfHalfTone";
        case TKvPixelFormat::kvpfHalfToneBW: return "kvpfHalfToneBW";
    }
    return "?";
}

namespace testing {
int64_t LiveAllocations() { return liveAllocations; }
void FailAllocationAfter(int calls) { failCountdown = calls; }
}  // namespace testing

}  // namespace kvdib
