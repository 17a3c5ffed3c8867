// Picture files made by the tests themselves: plain BMP files of one colour
// written by the framework's own bitmap writer, files that are not pictures, and
// small files whose headers claim gigantic pictures.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdint>

#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "session/picture_kinds.h"

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

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A 24-bit BMP whose quadrants differ, so that turns and mirrors show: red on
// the left half, green on the top half, blue varying by column.
inline QString WriteQuadrants(const QString& path, int w, int h)
{
    gfx::Bitmap bitmap(w, h, gfx::PixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.SetPixel(x, y, gfx::RGB(x < w / 2 ? 255 : 0, y < h / 2 ? 255 : 0, static_cast<uint8_t>(x % 7 * 30)));
    bitmap.SaveToFile(QFile::encodeName(path).toStdString());
    return path;
}

// The picture kinds the program registers at start, registered once per process.
inline void RegisterPictureKinds()
{
    static const bool registered = [] {
        gfx::RegisterStandardFormats();
        kvdib::RegisterKvDIB();
        return true;
    }();
    (void)registered;
}

// A BMP file of an RLE8 picture of width x height with a two-colour table and
// the given RLE data: a few bytes may claim any size.
inline QByteArray RleBmp(int32_t width, int32_t height, const QByteArray& rle)
{
    QByteArray file("BM", 2);
    auto put32 = [&file](uint32_t v) {
        for (int i = 0; i < 4; ++i) file.append(static_cast<char>(v >> (8 * i)));
    };
    const uint32_t offBits = 14 + 40 + 8;
    put32(offBits + static_cast<uint32_t>(rle.size()));
    put32(0);
    put32(offBits);
    for (const uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 0x00080001u, 1u,
                             static_cast<uint32_t>(rle.size()), 0u, 0u, 2u, 2u})
        put32(v);
    put32(0x00FF0000);  // red
    put32(0x00FFFFFF);  // white
    file.append(rle);
    return file;
}

// A real PNG file whose header has been made to claim width x height (with the
// header chunk's checksum mended, so that readers believe it).
// The CRC a PNG chunk ends with, over its type and data.
inline uint32_t PngCrc(const QByteArray& bytes, qsizetype from, qsizetype to)
{
    uint32_t crc = 0xFFFFFFFF;
    for (qsizetype i = from; i < to; ++i) {
        crc ^= static_cast<uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline void PutBigEndian32(QByteArray& bytes, qsizetype at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

inline QByteArray SmallRedPng()
{
    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "PNG");
    return png;
}

// A 4 x 4 red PNG whose header claims another size.
inline QByteArray PngClaiming(uint32_t width, uint32_t height)
{
    QByteArray png = SmallRedPng();
    // Width and height at bytes 16 to 23; the CRC of the chunk's type and data
    // (bytes 12 to 28) right behind them.
    PutBigEndian32(png, 16, width);
    PutBigEndian32(png, 20, height);
    PutBigEndian32(png, 29, PngCrc(png, 12, 29));
    return png;
}

// The 4 x 4 red PNG with a text chunk behind its header, holding the text and
// claiming the given length: the text's own length for a well-formed chunk.
inline QByteArray PngWithText(const QByteArray& text, uint32_t claimed)
{
    const QByteArray png = SmallRedPng();
    QByteArray chunk(4, '\0');
    PutBigEndian32(chunk, 0, claimed);
    chunk.append("tEXt").append(text).append(QByteArray(4, '\0'));
    PutBigEndian32(chunk, chunk.size() - 4, PngCrc(chunk, 4, chunk.size() - 4));
    constexpr qsizetype kBehindHeader = 8 + 25;
    return png.left(kBehindHeader) + chunk + png.mid(kBehindHeader);
}

}  // namespace morvi::test
