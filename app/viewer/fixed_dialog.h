// The behaviour the text viewer and the about box share as modal windows: a
// fixed client size, placement and pointer when shown, and closing that always
// counts as OK.
#pragma once

#include <QDialog>
#include <QPoint>

namespace morvi {

class FixedDialog : public QDialog {
    Q_OBJECT
public:
    FixedDialog(int clientWidth, int clientHeight, QWidget* parent);

    // Where the mouse pointer was sent when the window was last shown.
    QPoint PointerTarget() const { return pointerTarget_; }

public slots:
    // The window is asked to close (title bar): allowed, with the result OK.
    bool FormCloseQuery();
    // The OK button: closes with the modal result OK (1).
    void Button1Click();
    // Escape and the title bar's close box end the window like OK.
    void reject() override;

protected:
    // Called each time the window is about to show.
    virtual void FormShow() = 0;
    // Centres the window over its parent (the main window) and puts the pointer on ok.
    void PlaceOverOwner(const QWidget* ok);
    void showEvent(QShowEvent* event) override;

private:
    QPoint pointerTarget_;
};

}  // namespace morvi
