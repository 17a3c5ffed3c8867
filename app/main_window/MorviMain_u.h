// The main window TMorviMain: its controls and menu, and one handler per event,
// named after its control and event. Each handler reads its widgets, runs the
// picture session's operation, shows the outcome and asks its questions through
// the Interaction. The integer tags of the controls stay the window's own state
// (picture shown, drag in progress, focus of the size boxes, batch running, the
// overwrite kind), read and written through the named helpers below.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/widgets/image_control.h"
#include "app/main_window/interaction.h"
#include "app/widgets/status_panels.h"
#include "app/widgets/updown_control.h"
#include "gfx/picture.h"
#include "gfx/pixel_budget.h"
#include "gfx/types.h"
#include "session/output_file.h"
#include "session/picture_session.h"

namespace morvi {

class TMorviMain : public QMainWindow {
    Q_OBJECT
public:
    // The client part below the menu bar.
    static constexpr int kClientWidth = 417;
    static constexpr int kClientHeight = 480;

    // arguments: the command line without the program name.
    TMorviMain(Interaction& interaction, const QStringList& arguments, QWidget* parent = nullptr);
    ~TMorviMain() override;

    const SessionState& Session() const { return session_.State(); }

    // The load sequence; throws what the picture loader throws. The batch keeps
    // the magnification (resetMagnification false).
    void LoadPictureFile(const QString& path, bool normalise, bool resetMagnification = true);
    void RefreshPreview();
    // The drop of files on the window: only the first path counts.
    void WMDropFiles(const QStringList& paths);

    // Runs a handler the way the event loop would: an error that escapes it goes
    // to the standard error box and the program goes on.
    template <class Handler>
    void RunHandler(Handler&& handler);

public slots:
    // Loading and preview.
    void SpeedButton1Click();
    void Button3Click();
    void MenuGazouClearClick();
    // Output size and magnification.
    void UpDown1Click();
    void Button7Click();
    void Edit1Enter();
    void Edit2Enter();
    void Edit1Change();
    void Edit2Change();
    void Edit1Exit();
    void Edit2Exit();
    // Region selection.
    void MenuSelectClearClick();
    void Image3MouseDown(int x, int y);
    void Image3MouseMove(int x, int y);
    void Image3MouseUp(int x, int y);
    // End.
    void MenuFileEndClick();

    // Clipboard, saving, the batch, the picture commands and the help menu.
    void Button1Click();
    void Button2Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void MenuFileSaveClick();
    void MenuFileSaveAsClick();
    void IkkatsuClick();
    void MenuEditPasteClick();
    void MenuEditCopyClick();
    void ClipClearClick();
    void MenuGazoLeftClick();
    void MenuGazoRightClick();
    void MenuGazoFlipClick();
    void ReverseHClick();
    void ReverseVClick();
    void LightUpClick();
    void LightDownClick();
    void ContrastUpClick();
    void ContrastDownClick();
    void MonoClick();
    void DocViewClick();
    void HisViewClick();
    void MenuHelpVerClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void ConnectEvents();
    void FixClientSize();
    void FormCreate(const QStringList& arguments);
    void FormCloseQuery();
    bool IsSupportedPictureFile(const QString& path) const;
    // Steps 8 to 10 of a load: the preview, the status bar, no region.
    void ShowLoaded();
    // A file of the batch: the load without the magnification reset, read no
    // larger than the output needs.
    void LoadBatchFile(const QString& path);
    void SetStatusHint(const QString& hint);
    void SetAutoSizedText(QLabel* label, const QString& text);
    // Beep and the warning box with one OK button.
    void Warn(const QString& text);
    // The warning for a picture above the pixel budget, with the size it claimed.
    void WarnTooLarge(const gfx::EPictureTooLarge& error);
    // The output picture at the size in the size boxes, cut to the marked region.
    // Null when the size cannot give a picture (the user has been told; in a
    // batch the refusal is an error that ends the run).
    const gfx::Bitmap* ComposeOutput();
    void RotatePicture(int angle);
    void MirrorPicture(bool horizontal);
    void ApplyTone(const QString& noPictureText, ToneCommand command);
    void ReportError(const QString& message);

    // The tags by what they mean.
    bool HasPicture() const;                 // Image1.Tag: 1 shown, -1 none
    void SetPictureShown(bool shown);
    bool InBatch() const;                    // Ikkatsu.Tag: 1 while the batch runs
    SaveType OverwriteKind() const;          // SpeedButton2.Tag: 1 BMP, 2 JPEG
    void SetOverwriteKind(SaveType kind);
    bool Dragging() const;                   // Image3.Tag: 1 while a drag is on
    void SetDragging(bool dragging);

    Interaction& interaction_;
    PictureSession session_;
    gfx::Point DragEndPoint;   // overlay pixels: the corner of the band drawn last

    QWidget* client_ = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button7 = nullptr;
    QLabel* Panel1 = nullptr;
    ImageControl* Image1 = nullptr;
    ImageControl* Image2 = nullptr;
    ImageControl* Image3 = nullptr;
    ImageControl* Image4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    UpDownControl* UpDown1 = nullptr;
    StatusPanels* StatusBar1 = nullptr;
    QAction* Ikkatsu = nullptr;
};

// Controls that are not image controls keep their integer tag as the dynamic
// property "Tag", so that it can be read wherever the control can be found.
int TagOf(const QObject* control);
void SetTagOf(QObject* control, int tag);

// The focus tag of a size box: 0 before its first focus, 1 while it has the
// focus, -1 after it lost it.
enum class BoxFocus { NeverFocused = 0, Focused = 1, Left = -1 };
BoxFocus BoxFocusOf(const QObject* box);
void SetBoxFocus(QObject* box, BoxFocus focus);

template <class Handler>
void TMorviMain::RunHandler(Handler&& handler)
{
    try {
        handler();
    } catch (const gfx::EPictureTooLarge& error) {
        // Not a fault of the program or the file's bytes: the user is told in
        // the window's own words, as for any picture that cannot be taken.
        WarnTooLarge(error);
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8(error.what()));
    }
}

}  // namespace morvi
