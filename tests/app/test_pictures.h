// Picture files made by the tests themselves: plain BMP files of one colour
// written by the framework's own bitmap writer, and files that are not pictures.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"

namespace morvi::test {

inline QString WriteBmp(const QString& path, int width, int height, gfx::Color color)
{
    gfx::Bitmap bitmap(width, height, gfx::PixelFormat::pf24bit);
    gfx::Canvas& canvas = bitmap.GetCanvas();
    canvas.brushColor = color;
    canvas.FillRect({0, 0, width, height});
    bitmap.SaveToFile(QFile::encodeName(path).toStdString());
    return path;
}

inline QString WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

}  // namespace morvi::test
