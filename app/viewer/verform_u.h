// The about box Tverform: the program's icon, name, version and years, and an OK
// button. ShowAboutBox is what the main window's help menu calls.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <functional>

#include "app/viewer/fixed_dialog.h"
#include "app/main_window/interaction.h"

namespace morvi {

class Tverform : public FixedDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 278;
    static constexpr int kClientHeight = 165;

    // parent: the main window, over which the box is centred when shown.
    explicit Tverform(const QString& versionText, QWidget* parent = nullptr);

    // Where the current year comes from (the system clock unless a test says so).
    void SetYearSource(std::function<int()> currentYear) { currentYear_ = std::move(currentYear); }

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void FormShow() override;

private:
    QString versionText_;
    std::function<int()> currentYear_;
};

// Shows the about box modally over mainWindow and releases it when it has closed.
void ShowAboutBox(QWidget* mainWindow, const QString& versionText, Interaction& interaction);

}  // namespace morvi
