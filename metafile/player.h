// Replays a parsed metafile on a QPainter: keeps the device-context state the
// records change (mapping, world transform, selected pen, brush and font, text
// settings, clipping, paths) and turns each drawing record into QPainter calls.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QTransform>

#include "metafile/records.h"

namespace gfx::metafile {

// Draws the document so that its frame fills target (a rectangle with negative
// width or height mirrors). toDevice maps target coordinates to the painter's
// device, for devices whose rows are stored bottom-up. Nothing is drawn outside
// target. Text is drawn only when a QGuiApplication exists (fonts need one).
void PlayDocument(const Document& document, QPainter& painter, const QRectF& target,
                  const QTransform& toDevice = QTransform());

}  // namespace gfx::metafile
