// The program's icon, drawn from the project's own scalable picture (built into
// the program as the resource ":/morvi/morvi.svg").
#pragma once

#include <QPixmap>
#include <QSize>

namespace morvi {

// The icon fitted into box (keeping its shape, centred) at the given device pixel
// ratio, on a transparent ground. Falls back to the application's window icon
// when the resource is missing; a null pixmap when there is neither.
QPixmap ApplicationIconPixmap(const QSize& box, qreal devicePixelRatio = 1.0);

}  // namespace morvi
