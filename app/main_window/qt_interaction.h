// The real modal interactions: Qt message boxes with Japanese button texts, Qt's
// own file dialogs (they work under Xvfb and with any desktop) and the system beep.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/main_window/interaction.h"

namespace morvi {

class QtInteraction : public Interaction {
public:
    // Boxes and dialogs are modal to the given window (may be null at first).
    explicit QtInteraction(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Beep() override;
    BoxAnswer MessageBox(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;
    QStringList OpenPictures(const OpenRequest& request) override;
    std::optional<SaveAnswer> SaveFile(const SaveRequest& request) override;
    void ShowError(const QString& message) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace morvi
