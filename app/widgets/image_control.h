// An image control in the manner of the framework's TImage: it shows one bitmap
// (or nothing), carries an integer Tag used as session state, may be transparent
// with a key colour, and reports mouse presses, moves and releases of any button
// in its own pixel coordinates. Drawing on Canvas() creates a white bitmap of the
// control's size when there is none, as the framework does.
#pragma once

#include <QWidget>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/types.h"

namespace morvi {

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);
    ~ImageControl() override;

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Transparent: pixels of TransparentColor() let the controls beneath show.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    gfx::Color TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(gfx::Color color);
    // Stretched: a bitmap of another size than the control is scaled to it;
    // otherwise it is drawn at its own size from the top-left corner.
    void SetStretch(bool value);

    bool HasPicture() const { return bitmap_ != nullptr; }
    // The bitmap shown; null when the control has no picture.
    const gfx::Bitmap* Picture() const { return bitmap_.get(); }
    // The bitmap to draw on, created white at the control's size when missing.
    gfx::Bitmap& Bitmap();
    gfx::Canvas& Canvas() { return Bitmap().GetCanvas(); }
    // Changes the bitmap's size keeping what is drawn; new parts are white.
    void SetBitmapSize(int32_t width, int32_t height);
    // Removes the picture: the control shows nothing until drawn on again.
    void ClearPicture();
    // Shows bitmap from now on (the control keeps its own size).
    void SetPicture(std::unique_ptr<gfx::Bitmap> bitmap);
    // Repaints after drawing on the canvas.
    void Changed() { update(); }

signals:
    void MousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseMoved(Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<gfx::Bitmap> bitmap_;
    int tag_ = 0;
    bool transparent_ = false;
    bool stretch_ = false;
    gfx::Color transparentColor_ = gfx::clWhite;
};

}  // namespace morvi
