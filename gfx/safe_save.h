// Saving a file so that a failure never leaves it half-replaced. The writer fills
// a temporary file in the target's folder, which is synced and renamed over the
// target only when complete, with the old file's permissions and owner. Where
// that road would change what the old file is, it is rewritten in place instead:
// when its folder refuses new files (a shared folder, a card mounted for the
// file's owner only), when it has other names (hard links), or when its owner
// could not be kept. The in-place road encodes the whole picture in memory and
// makes room for it before the first byte of the file changes, so a writer's
// failure, a full disk or a file-size limit still leaves the old file whole.
#pragma once

#include <functional>
#include <string>

namespace gfx {

class Stream;

// A symbolic link is followed: the file it names is replaced, the link stays.
// Failures throw EInOutError or EWriteError naming the file and the system's
// reason (or pass on the writer's own exception); no temporary file is left.
void SaveFileAtomically(const std::string& path, const std::function<void(Stream&)>& writer);

}  // namespace gfx
