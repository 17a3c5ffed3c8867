// What the text viewer and the about box share: their font, placing a control
// under its name, and showing the window centred over the main window with the
// mouse pointer resting on its OK button.
#pragma once

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace morvi {

// A fixed-pitch Japanese font, pixelSize pixels high; Latin and kana come from
// the first family that is installed.
QFont DialogFont(int pixelSize = 12);

// Fixed-size dialog frame with a title bar and a close box, button-face ground.
void MakeFixedDialog(QWidget* dialog, int clientWidth, int clientHeight);

// Names the control (objectName, and the accessible description that assistive
// tools show) and puts it at its place in the client area.
template <class Widget>
Widget* PlaceControl(Widget* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleDescription(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Outer top-left of a window of outer size ownOuter centred over a window with
// outer rectangle mainOuter; halves are truncated.
QPoint CentredTopLeft(const QRect& mainOuter, const QSize& ownOuter);

// Moves a window's outer top-left as little as needed for the whole window to lie
// within available (a window larger than it keeps its top-left corner inside).
QPoint KeepOnScreen(const QPoint& outerTopLeft, const QSize& ownOuter, const QRect& available);

// The screen point at the middle of a button (geometry in client coordinates) of
// a window whose outer frame starts at outerTopLeft and whose client area starts
// clientOffset inside the frame (left border, title bar).
QPoint PointOnButton(const QPoint& outerTopLeft, const QPoint& clientOffset, const QRect& button);

// The window manager's frame around a top-level window (zero before it is
// mapped, and when there is no window manager).
QMargins FrameMargins(const QWidget* window);

// Moves dialog, about to be shown, centred over mainWindow (left where it is when
// mainWindow is null) but not beyond the edges of the main window's screen, and
// the mouse pointer onto okButton. The dialog's own frame
// is not known before it is mapped, so the main window's frame stands for it.
// Returns the point the pointer was sent to.
QPoint PlaceDialog(QWidget* dialog, const QWidget* mainWindow, const QWidget* okButton);

}  // namespace morvi
