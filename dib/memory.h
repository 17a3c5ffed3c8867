// The engine's only allocator of pixel memory, and the small helpers every part
// of the engine uses. With UseFMO the memory is anonymous shared memory (a memfd
// mapping), so a bitmap can view it in place; otherwise it is a zeroed heap block.
#pragma once

#include <cstdint>
#include <optional>

#include "dib/dibinfos.h"

namespace gfx {
class Stream;
}
#include "gfx/dib_layout.h"

namespace kvdib {

// Allocates size bytes of zeroed pixel memory. UseFMO failures raise
// EOutOfResources ("GetMemory: Cannot Make File Mapping Object" / "GetMemory:
// Cannot Make View of File Map"); heap exhaustion raises EOutOfMemory. A
// negative size raises EOutOfMemory.
void GetMemory(int32_t size, MappingHandle& mapping, uint8_t*& bits, bool useFMO);
// The same, with the memory filled with the next size bytes of from (a short
// stream raises EReadError and leaves nothing allocated). With UseFMO the bytes
// go into the shared memory before it is mapped, which costs no page faults.
void GetMemoryFilled(int32_t size, MappingHandle& mapping, uint8_t*& bits, bool useFMO, gfx::Stream* from);
// Frees what GetMemory gave with the same useFMO. Null bits release nothing.
void ReleaseMemory(const MappingHandle& mapping, uint8_t* bits, bool useFMO);

// 2, 16, 256 for 1, 4, 8 bits; 0 for anything else.
int GetNumColors(int bitCount);

// Row and pixel-data sizes from header fields, checked in one place.
using gfx::CheckedDIBImageSize;
using gfx::DIBStride;
using gfx::kMaxDIBBytes;

// Test support: the number of blocks GetMemory has handed out and not yet had
// back, and a countdown that makes the n-th next GetMemory call fail (0: off).
namespace testing {
int64_t LiveAllocations();
void FailAllocationAfter(int calls);  // calls = 1 fails the very next call
}  // namespace testing

}  // namespace kvdib
