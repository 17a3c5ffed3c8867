#include "app/widgets/image_control.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "app/widgets/bitmap_image.h"
#include "gfx/qt/qimage_bridge.h"

namespace morvi {
namespace {

QPoint PixelOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

}  // namespace

ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    // Moves without a button held are reported too; the handlers decide.
    setMouseTracking(true);
}

ImageControl::~ImageControl() = default;

void ImageControl::SetTransparent(bool value)
{
    transparent_ = value;
    update();
}

void ImageControl::SetTransparentColor(gfx::Color color)
{
    transparentColor_ = color;
    update();
}

void ImageControl::SetStretch(bool value)
{
    stretch_ = value;
    update();
}

gfx::Bitmap& ImageControl::Bitmap()
{
    if (!bitmap_) {
        bitmap_ = std::make_unique<gfx::Bitmap>(width(), height());
        gfx::Canvas& canvas = bitmap_->GetCanvas();
        canvas.brushColor = gfx::clWhite;
        canvas.FillRect({0, 0, width(), height()});
    }
    return *bitmap_;
}

void ImageControl::SetBitmapSize(int32_t width, int32_t height)
{
    gfx::Bitmap& bitmap = Bitmap();
    const int32_t oldWidth = bitmap.Width();
    const int32_t oldHeight = bitmap.Height();
    if (oldWidth == width && oldHeight == height) return;
    bitmap.SetSize(width, height);
    // The framework's bitmaps grow white, not black; the brush is put back after.
    gfx::Canvas& canvas = bitmap.GetCanvas();
    const gfx::Color brush = canvas.brushColor;
    canvas.brushColor = gfx::clWhite;
    if (width > oldWidth) canvas.FillRect({oldWidth, 0, width, height});
    if (height > oldHeight) canvas.FillRect({0, oldHeight, width, height});
    canvas.brushColor = brush;
    update();
}

void ImageControl::ClearPicture()
{
    bitmap_.reset();
    update();
}

void ImageControl::SetPicture(std::unique_ptr<gfx::Bitmap> bitmap)
{
    bitmap_ = std::move(bitmap);
    update();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (!bitmap_ || bitmap_->Empty()) return;
    // The opaque case paints straight from the bitmap's rows, without a copy.
    const QImage image = transparent_ ? BitmapToImageTransparent(*bitmap_, transparentColor_)
                                      : gfx::ViewAsQImage(*bitmap_);
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image);
    } else {
        painter.drawImage(0, 0, image);
    }
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit MousePressed(event->button(), event->modifiers(), p.x(), p.y());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit MouseMoved(event->modifiers(), p.x(), p.y());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit MouseReleased(event->button(), event->modifiers(), p.x(), p.y());
}

}  // namespace morvi
