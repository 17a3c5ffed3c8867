// Which files the drop and command-line roads accept, and the open dialog's
// filter list built from the picture kinds the loader knows.
#pragma once

#include <QString>
#include <QStringList>

namespace morvi {

// True for the extensions jpg, jpeg, bmp, ico, wmf, emf, png, gif, tif, tiff,
// webp, heic, heif and avif in any case. The engine's own dib kind is left to
// the dialog road on purpose.
bool IsSupportedPictureFile(const QString& path);

// "すべて (*.jpg *.bmp ...)" followed by one "description (*.ext)" entry per
// registered kind, in registration order.
QStringList PictureFileFilters();

}  // namespace morvi
