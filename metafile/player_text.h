// Drawing of one TEXTOUT / EXTTEXTOUT record: the font of the selected LOGFONT,
// the characters decoded from their code page, placed by the file's advances
// or the font's own, aligned to the reference point, upright whatever the
// mapping's y direction, over an opaque box when the background mode says so.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QTransform>

#include "metafile/records.h"

namespace gfx::metafile {

struct TextSettings {
    QTransform toOutput;         // logical units to the painter's device
    QTransform logicalToDevice;  // logical units to the metafile's device (for the y direction)
    double defaultEm = 16;       // pixel size of a font whose height is 0
    int32_t bkMode = kOpaque;
    QColor bkColor = Qt::white;
    QColor textColor = Qt::black;
    uint32_t textAlign = 0;
};

// Draws the run at reference (logical units) and returns the current position
// after it: moved past the text when the alignment has TA_UPDATECP.
QPointF DrawTextRun(QPainter& painter, const TextRun& run, const GdiObject& font, const QPointF& reference,
                    const TextSettings& settings);

}  // namespace gfx::metafile
