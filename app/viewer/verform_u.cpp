// Tverform: the about box's layout and what it fills in when shown.
#include "app/viewer/verform_u.h"

#include <QDate>

#include "app/viewer/app_icon.h"
#include "app/viewer/dialog_layout.h"
#include "app/viewer/years_text.h"

namespace morvi {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& text, const QFont& font)
{
    auto* label = PlaceControl(new QLabel(text, parent), name, left, top, 0, 0);
    label->setFont(font);
    label->adjustSize();
    return label;
}

void SetLabelText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

QFont BoldFont(int pixelSize)
{
    QFont font = DialogFont(pixelSize);
    font.setBold(true);
    return font;
}

}  // namespace

Tverform::Tverform(const QString& versionText, QWidget* parent)
    : FixedDialog(kClientWidth, kClientHeight, parent),
      versionText_(versionText),
      currentYear_([] { return QDate::currentDate().year(); })
{
    setObjectName(QStringLiteral("verform"));
    setWindowTitle(QStringLiteral("モルビ ﾊﾞｰｼﾞｮﾝ情報"));

    Image1 = PlaceControl(new QLabel(this), "Image1", 16, 16, 37, 41);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1 = MakeLabel(this, "Label1", 68, 16, QStringLiteral("モルビ"), BoldFont(13));
    Label2 = MakeLabel(this, "Label2", 136, 17, QString(), BoldFont(12));
    Label4 = MakeLabel(this, "Label4", 156, 40, QString(), DialogFont());
    Button1 = PlaceControl(new QPushButton(QStringLiteral("OK"), this), "Button1", 16, 124, 37, 29);
    Button1->setAccessibleName(QStringLiteral("OK"));
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, &Tverform::Button1Click);
}

void Tverform::FormShow()
{
    PlaceOverOwner(Button1);
    Image1->setPixmap(ApplicationIconPixmap(Image1->size(), devicePixelRatioF()));
    SetLabelText(Label2, QStringLiteral("Ver ") + versionText_);
    SetLabelText(Label4, YearsText(currentYear_()));
}

void ShowAboutBox(QWidget* mainWindow, const QString& versionText, Interaction& /*interaction*/)
{
    Tverform box(versionText, mainWindow);
    box.exec();
}

}  // namespace morvi
