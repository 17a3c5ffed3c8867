#include "app/widgets/updown_control.h"

#include <QKeyEvent>
#include <algorithm>

namespace morvi {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    // Reached by Tab like any control, but a click on an arrow leaves the focus
    // where it is, as the system's up-down control without a buddy does: a size
    // box being edited stays entered.
    setFocusPolicy(Qt::TabFocus);
    for (QToolButton* button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setAutoRaise(false);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("Up"));
    down_->setObjectName(QStringLiteral("Down"));
    connect(up_, &QToolButton::clicked, this, &UpDownControl::StepUp);
    connect(down_, &QToolButton::clicked, this, &UpDownControl::StepDown);
}

void UpDownControl::SetPosition(int position)
{
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDownControl::SetRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    SetPosition(position_);
}

void UpDownControl::Step(int delta)
{
    SetPosition(position_ + delta);
    emit Clicked(delta > 0);
}

void UpDownControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up) {
        StepUp();
    } else if (event->key() == Qt::Key_Down) {
        StepDown();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void UpDownControl::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace morvi
