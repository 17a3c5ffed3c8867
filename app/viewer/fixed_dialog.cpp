#include "app/viewer/fixed_dialog.h"

#include <QShowEvent>

#include "app/viewer/dialog_layout.h"

namespace morvi {

FixedDialog::FixedDialog(int clientWidth, int clientHeight, QWidget* parent) : QDialog(parent)
{
    MakeFixedDialog(this, clientWidth, clientHeight);
    setFont(DialogFont());
}

bool FixedDialog::FormCloseQuery()
{
    setResult(QDialog::Accepted);
    return true;
}

void FixedDialog::Button1Click()
{
    done(QDialog::Accepted);
}

void FixedDialog::reject()
{
    if (FormCloseQuery()) done(QDialog::Accepted);
}

void FixedDialog::PlaceOverOwner(const QWidget* ok)
{
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    pointerTarget_ = PlaceDialog(this, owner, ok);
}

void FixedDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

}  // namespace morvi
