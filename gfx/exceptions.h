// The exception hierarchy every layer reports through. One root class carrying a
// message; the engine's EKvDIB* classes derive from it, the window catches it and
// shows the message in the standard error box.
#pragma once

#include <stdexcept>
#include <string>

namespace gfx {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Memory that could not be had (heap or global blocks).
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// Exhausted system resources (mappings, palettes, device contexts). Derives from
// EOutOfMemory so that a handler for either sees it, yet it can be caught alone.
class EOutOfResources : public EOutOfMemory {
public:
    using EOutOfMemory::EOutOfMemory;
};

// A graphic that cannot be read or whose kind is not known.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Assign/AssignTo between kinds that do not know each other.
class ECannotAssign : public Exception {
public:
    using Exception::Exception;
};

// A stream ended before the bytes asked for.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A stream refused bytes (disk full, closed pipe).
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened, created, renamed or read.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// Calling an operation a class leaves abstract.
class EAbstractError : public Exception {
public:
    using Exception::Exception;
};

// A broken internal invariant. Thrown, never abort(): the program goes on and the
// standard error box shows "message (source, line N)".
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& message, const char* source, int line)
        : Exception(message + " (" + source + ", line " + std::to_string(line) + ")"),
          message_(message), source_(source), line_(line) {}
    const std::string& AssertMessage() const { return message_; }
    const std::string& Source() const { return source_; }
    int Line() const { return line_; }

private:
    std::string message_;
    std::string source_;
    int line_;
};

}  // namespace gfx

// Asserts an invariant of a named source unit; on failure throws EAssertionFailed
// with the message, the source name and the line.
#define GFX_ASSERT(cond, source, message)                                   \
    do {                                                                    \
        if (!(cond)) throw ::gfx::EAssertionFailed((message), (source), __LINE__); \
    } while (0)
