// TMorviMain: turning and mirroring the picture, and the tone commands.
#include "app/main_window/MorviMain_u.h"

namespace morvi {

void TMorviMain::RotatePicture(int angle) {
    // 1.
    if (!HasPicture()) {
        Warn(QStringLiteral("回転する画像はありません。"));
        return;
    }
    // 2.-5. Turned in the working image and passed through the engine.
    session_.Rotate(angle);
    // 6., 7. The magnification stays; the sizes follow the turned picture.
    RefreshPreview();
    UpDown1Click();
}

void TMorviMain::MenuGazoLeftClick() { RotatePicture(90); }
void TMorviMain::MenuGazoRightClick() { RotatePicture(-90); }
void TMorviMain::MenuGazoFlipClick() { RotatePicture(180); }

void TMorviMain::MirrorPicture(bool horizontal) {
    // 1. Both mirrors share one text.
    if (!HasPicture()) {
        Warn(QStringLiteral("反転する画像がありません。"));
        return;
    }
    // 2.-5. Drawn into a rectangle with reversed edges.
    session_.Mirror(horizontal);
    // 6. The selection and the magnification stay as they are.
    RefreshPreview();
}

void TMorviMain::ReverseHClick() { MirrorPicture(true); }
void TMorviMain::ReverseVClick() { MirrorPicture(false); }

void TMorviMain::ApplyTone(const QString& noPictureText, ToneCommand command) {
    // 1.
    if (!HasPicture()) {
        Warn(noPictureText);
        return;
    }
    // 2.-4. The picture's bitmap changes at 24 bits.
    session_.ApplyTone(command);
    // 5.
    RefreshPreview();
}

void TMorviMain::LightUpClick() { ApplyTone(QStringLiteral("明るくする画像はありません。"), ToneCommand::Brighter); }

void TMorviMain::LightDownClick() { ApplyTone(QStringLiteral("暗くする画像はありません。"), ToneCommand::Darker); }

void TMorviMain::ContrastUpClick() {
    ApplyTone(QStringLiteral("コントラストを強くする画像はありません。"), ToneCommand::MoreContrast);
}

void TMorviMain::ContrastDownClick() {
    ApplyTone(QStringLiteral("コントラストを弱くする画像はありません。"), ToneCommand::LessContrast);
}

void TMorviMain::MonoClick() { ApplyTone(QStringLiteral("白黒化する画像はありません。"), ToneCommand::Monochrome); }

}  // namespace morvi
