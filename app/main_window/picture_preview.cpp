#include "app/main_window/picture_preview.h"

#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

#include "app/widgets/bitmap_image.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"

namespace morvi {
namespace {

constexpr int kPaneSide = 160;

}  // namespace

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent), image_(new QLabel(this)), size_(new QLabel(this))
{
    setObjectName(QStringLiteral("PicturePreview"));
    image_->setFixedSize(kPaneSide, kPaneSide);
    image_->setAlignment(Qt::AlignCenter);
    image_->setFrameShape(QFrame::StyledPanel);
    size_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image_);
    layout->addWidget(size_);
    layout->addStretch(1);
}

void PicturePreview::ShowFile(const QString& path)
{
    image_->clear();
    size_->clear();
    if (!QFileInfo(path).isFile()) return;
    try {
        gfx::Picture picture;
        picture.LoadFromFile(QFile::encodeName(path).toStdString());
        const int w = picture.Width();
        const int h = picture.Height();
        if (w <= 0 || h <= 0) return;
        // Reduce to the pane, never enlarge: a small icon stays at its own size.
        const double scale = std::min({1.0, double(kPaneSide) / w, double(kPaneSide) / h});
        const int pw = std::max(1, int(w * scale));
        const int ph = std::max(1, int(h * scale));
        gfx::Bitmap thumb(pw, ph);
        gfx::Canvas& canvas = thumb.GetCanvas();
        canvas.brushColor = gfx::clWhite;
        canvas.FillRect({0, 0, pw, ph});
        canvas.StretchDraw({0, 0, pw, ph}, *picture.GetGraphic());
        image_->setPixmap(QPixmap::fromImage(BitmapToImage(thumb)));
        size_->setText(QStringLiteral("(%1 x %2)").arg(w).arg(h));
    } catch (const std::exception&) {
        // A file the loaders cannot read simply has no preview; opening it will
        // report the error properly.
    }
}

}  // namespace morvi
