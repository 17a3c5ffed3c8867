// The text viewer Tdisptext: a modal window listing the lines of one text file
// (the manual or the history beside the program) with a forward search, jumps
// to the top and the end, and an OK button. ShowTextViewer is what the main
// window's help menu calls.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/viewer/fixed_dialog.h"
#include "app/main_window/interaction.h"

namespace morvi {

class Tdisptext : public FixedDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 572;
    static constexpr int kClientHeight = 435;
    static constexpr int kItemHeight = 12;

    // parent: the main window, over which the viewer is centred when shown.
    explicit Tdisptext(Interaction& interaction, QWidget* parent = nullptr);

    void SetTitle(const QString& title);
    void SetLines(const QStringList& lines);
    // The selected line, -1 when none.
    int SelectedLine() const;

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button1 = nullptr;

public slots:
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    void FormShow() override;

private:
    void SelectLine(int index);
    void SelectNoLine();
    void SetSearchCaption(const QString& caption);

    Interaction& interaction_;
};

// The program's file of the given name: it lies in the folder of the executable.
QString ProgramFilePath(const QString& name);

// Builds the viewer for the text file at path, read in full: a missing file
// gives the single line "<path> が見つかりませんでした。". A file that exists but
// cannot be read throws gfx::EInOutError and no viewer is made.
std::unique_ptr<Tdisptext> MakeTextViewer(QWidget* mainWindow, const QString& title, const QString& path,
                                          Interaction& interaction);

// Shows the viewer modally over mainWindow and releases it when it has closed. A
// read error goes to the standard error box instead, and no viewer is shown.
void ShowTextViewer(QWidget* mainWindow, const QString& title, const QString& path, Interaction& interaction);

}  // namespace morvi
