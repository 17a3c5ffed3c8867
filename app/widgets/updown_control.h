// A free-standing up-down control: two small arrow buttons that step an integer
// position within a range without wrapping, and report every click afterwards.
// Qt has only the spin box, which would attach the position to an edit field.
#pragma once

#include <QToolButton>
#include <QWidget>

namespace morvi {

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    int Position() const { return position_; }
    // Clamped to the range; does not report a click.
    void SetPosition(int position);
    void SetRange(int minimum, int maximum);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // What a click on an arrow does: step by one (stopping at the ends), then
    // report the click, whether or not the position moved.
    void StepUp() { Step(+1); }
    void StepDown() { Step(-1); }

signals:
    void Clicked(bool up);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(int delta);

    QToolButton* up_;
    QToolButton* down_;
    int position_ = 0;
    int minimum_ = 0;
    int maximum_ = 100;
};

}  // namespace morvi
