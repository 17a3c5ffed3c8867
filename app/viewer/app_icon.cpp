#include "app/viewer/app_icon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace morvi {

QPixmap ApplicationIconPixmap(const QSize& box, qreal devicePixelRatio)
{
    const QSize device = (QSizeF(box) * devicePixelRatio).toSize();
    if (device.isEmpty()) return {};

    // Rendered at the device size rather than scaled from a bitmap, so that it
    // stays sharp on dense screens.
    QImageReader reader(QStringLiteral(":/morvi/morvi.svg"));
    const QSize natural = reader.size();
    QImage drawn;
    if (natural.isValid()) {
        reader.setScaledSize(natural.scaled(device, Qt::KeepAspectRatio));
        drawn = reader.read();
    }
    if (drawn.isNull()) {
        const QIcon fallback = QGuiApplication::windowIcon();
        if (fallback.isNull()) return {};
        drawn = fallback.pixmap(device).toImage();
        if (drawn.isNull()) return {};
        drawn = drawn.scaled(device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QImage canvas(device, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.drawImage((device.width() - drawn.width()) / 2, (device.height() - drawn.height()) / 2, drawn);
    }
    QPixmap pixmap = QPixmap::fromImage(canvas);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

}  // namespace morvi
