// TMorviMain: the output size row — transfer magnification, the "1/1" reset, the
// focus tags of the size boxes and the keep-aspect rules.
#include "app/main_window/MorviMain_u.h"
#include "session/output_size.h"

namespace morvi {

void TMorviMain::UpDown1Click()
{
    // 1. The band goes; the size label of the last selection stays.
    Image3->ClearPicture();
    session_.ClearSelection();
    // 2.
    const int k = UpDown1->Position();
    // 3.-5. Exact size at 0; otherwise scaled and rounded to tens.
    Edit1->setText(QString::number(session_.MagnifiedWidth(k)));
    Edit2->setText(QString::number(session_.MagnifiedHeight(k)));
    Edit3->setText(QString::fromStdString(MagnificationText(k)));
}

void TMorviMain::Button7Click()
{
    UpDown1->SetPosition(0);
    UpDown1Click();
    Edit1->setText(QString::number(Session().PictureWidth));
    Edit2->setText(QString::number(Session().PictureHeight));
}

void TMorviMain::Edit1Enter()
{
    SetBoxFocus(Edit1, BoxFocus::Focused);
}

void TMorviMain::Edit2Enter()
{
    SetBoxFocus(Edit2, BoxFocus::Focused);
}

void TMorviMain::Edit1Change()
{
    // Only what the user types into the focused box makes the size free;
    // text the program writes elsewhere leaves the magnification text alone.
    if (BoxFocusOf(Edit1) == BoxFocus::Focused) Edit3->setText(QStringLiteral("任意"));
}

void TMorviMain::Edit2Change()
{
    if (BoxFocusOf(Edit2) == BoxFocus::Focused) Edit3->setText(QStringLiteral("任意"));
}

void TMorviMain::Edit1Exit()
{
    SetBoxFocus(Edit1, BoxFocus::Left);
    if (!CheckBox1->isChecked()) return;
    const int32_t w = SizeTextOr(Edit1->text().toStdString(), 0);
    // Without a usable ratio the height is left as it is.
    if (const auto h = session_.HeightForWidth(w)) Edit2->setText(QString::number(*h));
}

void TMorviMain::Edit2Exit()
{
    SetBoxFocus(Edit2, BoxFocus::Left);
    if (!CheckBox1->isChecked()) return;
    const int32_t h = SizeTextOr(Edit2->text().toStdString(), 0);
    Edit1->setText(QString::number(session_.WidthForHeight(h)));
}

}  // namespace morvi
