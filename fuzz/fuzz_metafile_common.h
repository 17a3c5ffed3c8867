// The body shared by the WMF and EMF fuzz targets: read the bytes with the given
// reader and play whatever it accepts, straight and mirrored.
#pragma once

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "fuzz_common.h"
#include "fuzz_qt_app.h"
#include "gfx/exceptions.h"
#include "metafile/player.h"
#include "metafile/readers.h"

template <typename Reader>
int FuzzMetafile(const uint8_t* data, size_t size, Reader read) {
    fuzz::EnsureQtApplication();
    std::shared_ptr<const gfx::metafile::Document> document;
    // A reader refuses with EInvalidGraphic only; any other exception is a fault.
    if (!fuzz::Attempt<gfx::EInvalidGraphic>([&] { document = read(std::span<const uint8_t>(data, size)); })) return 0;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    gfx::metafile::PlayDocument(*document, painter, QRectF(0, 0, 64, 48));
    gfx::metafile::PlayDocument(*document, painter, QRectF(64, 48, -64, -48));
    return 0;
}
