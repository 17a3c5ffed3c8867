// The rules that turn a file name into what a save writes: the kind by the
// name's extension (".jpg" JPEG, ".png" PNG, ".webp" WebP, ".tif" and ".tiff"
// TIFF, everything else BMP), the ".bmp" name a file of another kind is saved
// under, and the extension tests they share. A file is never written over in a
// kind other than the one its name says.
#pragma once

#include <QString>
#include <optional>

#include "session/output_file.h"

namespace morvi {

// The extension with its dot, in lower case; empty when the name has none. Only
// the file name counts: "/a.b/c" has none.
QString LowerExtension(const QString& path);

// The kind the name's extension says, in any case; nullopt for the kinds the
// program does not write (".jpeg", ".ico", ".gif", ".heic", ...) and for no
// extension.
std::optional<SaveType> WrittenKindOfName(const QString& path);
// The kind an overwrite save writes to path: the one its name says, BMP for
// every other name.
SaveType SaveTypeForName(const QString& path);
// True when a save to path must first change the name to ".bmp": its extension
// names no kind the program writes.
bool NeedsBmpName(const QString& path);
// path with its extension replaced by ".bmp" (appended when it has none).
QString WithBmpExtension(const QString& path);
// path with its extension replaced by ext (".jpg", ".bmp"), or appended.
QString WithExtension(const QString& path, const QString& ext);
// The extension a file of the kind is given: ".bmp", ".jpg", ".png", ".webp", ".tif".
QString ExtensionOfKind(SaveType type);
// path itself when its extension names type, else path with type's extension.
QString NameForKind(const QString& path, SaveType type);

}  // namespace morvi
