// TMorviMain: the output size row — transfer magnification, the "1/1" reset, the
// focus tags of the size boxes and the keep-aspect rules.
#include "app/MorviMain_u.h"
#include "app/output_size.h"

namespace morvi {

void TMorviMain::UpDown1Click()
{
    // 1. The band goes; the size label of the last selection stays.
    Image3->ClearPicture();
    state_.SelectionActive = 0;
    // 2.
    const int k = UpDown1->Position();
    // 3.-5. Exact size at 0; otherwise scaled and rounded to tens.
    Edit1->setText(QString::number(MagnifiedSide(state_.PictureWidth, k)));
    Edit2->setText(QString::number(MagnifiedSide(state_.PictureHeight, k)));
    Edit3->setText(QString::fromStdString(MagnificationText(k)));
}

void TMorviMain::Button7Click()
{
    UpDown1->SetPosition(0);
    UpDown1Click();
    Edit1->setText(QString::number(state_.PictureWidth));
    Edit2->setText(QString::number(state_.PictureHeight));
}

void TMorviMain::Edit1Enter()
{
    SetTagOf(Edit1, 1);
}

void TMorviMain::Edit2Enter()
{
    SetTagOf(Edit2, 1);
}

void TMorviMain::Edit1Change()
{
    // Only what the user types into the focused box makes the size free;
    // text the program writes elsewhere leaves the magnification text alone.
    if (TagOf(Edit1) == 1) Edit3->setText(QStringLiteral("任意"));
}

void TMorviMain::Edit2Change()
{
    if (TagOf(Edit2) == 1) Edit3->setText(QStringLiteral("任意"));
}

void TMorviMain::Edit1Exit()
{
    SetTagOf(Edit1, -1);
    if (!CheckBox1->isChecked()) return;
    const int32_t w = SizeTextOr(Edit1->text().toStdString(), 0);
    // Without a usable ratio the height is left as it is.
    if (const auto h = HeightForWidth(w, state_.AspectPercent)) Edit2->setText(QString::number(*h));
}

void TMorviMain::Edit2Exit()
{
    SetTagOf(Edit2, -1);
    if (!CheckBox1->isChecked()) return;
    const int32_t h = SizeTextOr(Edit2->text().toStdString(), 0);
    Edit1->setText(QString::number(WidthForHeight(h, state_.AspectPercent)));
}

}  // namespace morvi
