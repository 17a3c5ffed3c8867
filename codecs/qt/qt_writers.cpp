#include "codecs/qt/qt_writers.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <string>

#include "gfx/exceptions.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/stream.h"

namespace gfx {

namespace {

void WriteWithQt(const Bitmap& bitmap, Stream& stream, const char* format, int compression) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (compression >= 0) writer.setCompression(compression);
    // RGB32 has no alpha: the file gets three channels.
    if (!writer.write(ToQImage(bitmap)))
        throw EWriteError(std::string("Cannot write the ") + format + " file: " + writer.errorString().toStdString());
    stream.WriteBuffer(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void WritePng(const Bitmap& bitmap, Stream& stream) { WriteWithQt(bitmap, stream, "png", -1); }

// Qt's TIFF writer takes 1 for LZW.
void WriteTiff(const Bitmap& bitmap, Stream& stream) { WriteWithQt(bitmap, stream, "tiff", 1); }

}  // namespace gfx
