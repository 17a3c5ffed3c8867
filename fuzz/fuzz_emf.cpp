// Feeds arbitrary bytes to the enhanced metafile reader and plays whatever it accepts,
// straight and mirrored. Without QtGui (the Qt-free sanitizer build) there is no
// metafile graphic, and the target does nothing.
#include <cstddef>
#include <cstdint>

#if __has_include(<QGuiApplication>)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <span>

#include "gfx/exceptions.h"
#include "gfx/metafile/player.h"
#include "gfx/metafile/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Text playback needs fonts, and fonts need an application object.
    static int argc = 1;
    static char name[] = "fuzz_emf";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;

    std::shared_ptr<const gfx::metafile::Document> document;
    try {
        document = gfx::metafile::ReadEmf(std::span<const uint8_t>(data, size));
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
#else
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
#endif
