// The body shared by the WMF and EMF fuzz targets: read the bytes with the given
// reader and play whatever it accepts, straight and mirrored. Without QtGui (the
// Qt-free sanitizer build) there is no metafile graphic and the targets do nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#if __has_include(<QGuiApplication>)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>
#include <span>

#include "gfx/exceptions.h"
#include "gfx/metafile/player.h"
#include "gfx/metafile/readers.h"

#define MORVI_FUZZ_METAFILES 1

template <typename Reader>
int FuzzMetafile(const uint8_t* data, size_t size, Reader read) {
    // Text playback needs fonts, and fonts need an application object.
    static int argc = 1;
    static char name[] = "fuzz_metafile";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;

    std::shared_ptr<const gfx::metafile::Document> document;
    try {
        document = read(std::span<const uint8_t>(data, size));
    } catch (const gfx::EInvalidGraphic&) {
        return 0;
    }
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    gfx::metafile::PlayDocument(*document, painter, QRectF(0, 0, 64, 48));
    gfx::metafile::PlayDocument(*document, painter, QRectF(64, 48, -64, -48));
    return 0;
}
#endif
