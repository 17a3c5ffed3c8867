#include "app/viewer/dialog_layout.h"

#include <QCursor>
#include <QPalette>
#include <QScreen>
#include <algorithm>

namespace morvi {

QFont DialogFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Gothic"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAゴシック"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    return font;
}

void MakeFixedDialog(QWidget* dialog, int clientWidth, int clientHeight)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    dialog->setFixedSize(clientWidth, clientHeight);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

QPoint CentredTopLeft(const QRect& mainOuter, const QSize& ownOuter)
{
    return {mainOuter.left() + (mainOuter.width() - ownOuter.width()) / 2,
            mainOuter.top() + (mainOuter.height() - ownOuter.height()) / 2};
}

QPoint KeepOnScreen(const QPoint& outerTopLeft, const QSize& ownOuter, const QRect& available)
{
    const int x = std::max(available.left(), std::min(outerTopLeft.x(), available.right() + 1 - ownOuter.width()));
    const int y = std::max(available.top(), std::min(outerTopLeft.y(), available.bottom() + 1 - ownOuter.height()));
    return {x, y};
}

QPoint PointOnButton(const QPoint& outerTopLeft, const QPoint& clientOffset, const QRect& button)
{
    return {outerTopLeft.x() + clientOffset.x() + button.left() + button.width() / 2,
            outerTopLeft.y() + clientOffset.y() + button.top() + button.height() / 2};
}

QMargins FrameMargins(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QPoint PlaceDialog(QWidget* dialog, const QWidget* mainWindow, const QWidget* okButton)
{
    QMargins frame = FrameMargins(dialog);
    if (frame.isNull() && mainWindow != nullptr) frame = FrameMargins(mainWindow);
    const QSize ownOuter = dialog->size().grownBy(frame);

    QPoint outerTopLeft = dialog->frameGeometry().topLeft();
    if (mainWindow != nullptr) {
        outerTopLeft = CentredTopLeft(mainWindow->frameGeometry(), ownOuter);
        // A main window near a screen edge would push part of the dialog, its
        // buttons perhaps, out of reach.
        if (const QScreen* screen = mainWindow->screen()) {
            outerTopLeft = KeepOnScreen(outerTopLeft, ownOuter, screen->availableGeometry());
        }
        dialog->move(outerTopLeft);
    }

    // The pointer goes to the middle of the button through the real title bar
    // height, so that it rests on the button whatever the decorations are.
    const QPoint target = PointOnButton(outerTopLeft, QPoint(frame.left(), frame.top()), okButton->geometry());
    QCursor::setPos(dialog->screen(), target);
    return target;
}

}  // namespace morvi
