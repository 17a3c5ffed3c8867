// The three tool-button pictures, drawn by code as 16 x 16 pixel maps in the
// 16 standard colours: an open yellow folder, a floppy disk, and a floppy disk
// whose label reads AS.
#pragma once

#include <QImage>

namespace morvi {

QImage OpenFolderGlyph();
QImage FloppyGlyph();
QImage FloppySaveAsGlyph();

}  // namespace morvi
