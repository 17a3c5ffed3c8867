// The engine's exception classes and its assertion. Every engine failure is one of
// these, carrying the message that names the class, the operation and the problem.
#pragma once

#include "gfx/exceptions.h"

namespace kvdib {

class EKvDIBError : public gfx::Exception {
public:
    using gfx::Exception::Exception;
};
// Malformed DIB data in a stream or a clipboard block; an illegal stored header.
class EKvDIBInvalidDIB : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// A stream that is not a BMP file.
class EKvDIBInvalidDIBFile : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// Bad arguments to CreateDIB and to the size and bit-count setters.
class EKvDIBInvalidDIBPara : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// A conversion given a DIB of the wrong bit count or compression.
class EKvDIBBadDIBType : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// SetPalette given a palette without entries.
class EKvDIBInvalidPalette : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// An RLE encoder that cannot fit the picture.
class EKvDIBCompressionFailed : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};
// A canvas that cannot be opened on a DIB.
class EKvDIBCanvasFailed : public EKvDIBError {
public:
    using EKvDIBError::EKvDIBError;
};

}  // namespace kvdib

// A broken invariant of the engine: EAssertionFailed with the message, the source
// name "KvDIB" and the line.
#define KVDIB_ASSERT(cond, message) GFX_ASSERT(cond, "KvDIB", message)
