// TMorviMain: turning and mirroring the picture, and the tone commands.
#include "app/MorviMain_u.h"
#include "app/dib_normalise.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/rotate.h"
#include "tone/abitmap.h"

namespace morvi {

void TMorviMain::RotatePicture(int angle) {
    // 1.
    if (Image1->Tag() == -1) {
        Warn(QStringLiteral("回転する画像はありません。"));
        return;
    }
    // 2. The working image holds the picture at its own size.
    Image2->ClearPicture();
    Image2->resize(state_.PictureWidth, state_.PictureHeight);
    Image2->SetBitmapSize(state_.PictureWidth, state_.PictureHeight);
    Image2->Canvas().StretchDraw({0, 0, state_.PictureWidth, state_.PictureHeight},
                                 *state_.SourcePicture->GetGraphic());
    // 3. The turned picture, on white where the source does not reach.
    std::unique_ptr<gfx::Bitmap> turned = gfx::RotateBitmap(Image2->Bitmap(), angle, gfx::clWhite);
    Image2->ClearPicture();
    Image2->move(0, 0);
    Image2->resize(turned->Width(), turned->Height());
    Image2->SetBitmapSize(turned->Width(), turned->Height());
    Image2->Canvas().StretchDraw({0, 0, turned->Width(), turned->Height()}, *turned);
    // 4., 5.
    state_.SourcePicture->Assign(Image2->Bitmap());
    NormaliseThroughDIB(*state_.SourcePicture);
    // 6., 7. The magnification stays; the sizes follow the turned picture.
    RefreshPreview();
    UpDown1Click();
}

void TMorviMain::MenuGazoLeftClick() { RotatePicture(90); }
void TMorviMain::MenuGazoRightClick() { RotatePicture(-90); }
void TMorviMain::MenuGazoFlipClick() { RotatePicture(180); }

void TMorviMain::MirrorPicture(bool horizontal) {
    // 1. Both mirrors share one text.
    if (Image1->Tag() == -1) {
        Warn(QStringLiteral("反転する画像がありません。"));
        return;
    }
    const gfx::Graphic& source = *state_.SourcePicture->GetGraphic();
    const int32_t width = source.Width();
    const int32_t height = source.Height();
    // 2., 3.
    gfx::Canvas& work = PrepareWorkingImage(width, height);
    // 4. A rectangle with reversed edges draws the picture mirrored.
    const gfx::Rect mirrored = horizontal ? gfx::Rect{width, 0, 0, height} : gfx::Rect{0, height, width, 0};
    work.StretchDraw(mirrored, source);
    // 5., 6. The selection and the magnification stay as they are.
    state_.SourcePicture->Assign(Image2->Bitmap());
    RefreshPreview();
}

void TMorviMain::ReverseHClick() { MirrorPicture(true); }
void TMorviMain::ReverseVClick() { MirrorPicture(false); }

void TMorviMain::ApplyTone(const QString& noPictureText, const std::function<void(tone::TABitmap&, gfx::Bitmap&)>& operation) {
    // 1.
    if (Image1->Tag() == -1) {
        Warn(noPictureText);
        return;
    }
    // 2.-4. The picture's own bitmap is changed in place, at 24 bits.
    tone::TABitmap adjuster;
    operation(adjuster, state_.SourcePicture->GetBitmap());
    // 5.
    RefreshPreview();
}

void TMorviMain::LightUpClick() {
    ApplyTone(QStringLiteral("明るくする画像はありません。"),
              [](tone::TABitmap& a, gfx::Bitmap& target) { a.AdjustBrightness(target, 20); });
}

void TMorviMain::LightDownClick() {
    ApplyTone(QStringLiteral("暗くする画像はありません。"),
              [](tone::TABitmap& a, gfx::Bitmap& target) { a.AdjustBrightness(target, -20); });
}

void TMorviMain::ContrastUpClick() {
    ApplyTone(QStringLiteral("コントラストを強くする画像はありません。"),
              [](tone::TABitmap& a, gfx::Bitmap& target) { a.AdjustContrast(20, target); });
}

void TMorviMain::ContrastDownClick() {
    ApplyTone(QStringLiteral("コントラストを弱くする画像はありません。"),
              [](tone::TABitmap& a, gfx::Bitmap& target) { a.AdjustContrast(-20, target); });
}

void TMorviMain::MonoClick() {
    ApplyTone(QStringLiteral("白黒化する画像はありません。"),
              [](tone::TABitmap& a, gfx::Bitmap& target) { a.ToMonochrome(target, 150, 150, 150); });
}

}  // namespace morvi
