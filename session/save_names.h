// The rules that turn a file name into what a save writes: the kind by the
// name's extension (".jpg" is JPEG, everything else BMP), the ".bmp" name a file
// of another kind is saved under, and the extension tests they share.
#pragma once

#include <QString>

#include "session/output_file.h"

namespace morvi {

// The extension with its dot, in lower case; empty when the name has none. Only
// the file name counts: "/a.b/c" has none.
QString LowerExtension(const QString& path);

// The kind an overwrite save writes to path: JPEG for ".jpg" in any case, BMP
// for everything else.
SaveType SaveTypeForName(const QString& path);
// True when a save to path must first change the name to ".bmp": the extension
// is neither ".jpg" nor ".bmp".
bool NeedsBmpName(const QString& path);
// path with its extension replaced by ".bmp" (appended when it has none).
QString WithBmpExtension(const QString& path);
// path with its extension replaced by ext (".jpg", ".bmp"), or appended.
QString WithExtension(const QString& path, const QString& ext);

}  // namespace morvi
