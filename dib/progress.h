// The callback a colour reduction calls once per finished leaf of its split, so
// that the graphic asking for the conversion can report progress. Empty means
// nobody listens.
#pragma once

#include <functional>

namespace kvdib {

using ProgressProc = std::function<void()>;

}  // namespace kvdib
