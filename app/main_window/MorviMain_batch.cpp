// TMorviMain: the batch size conversion and the help menu's windows.
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>

#include "app/main_window/MorviMain_u.h"
#include "app/viewer/disptext_u.h"
#include "app/viewer/verform_u.h"

namespace morvi {

namespace {

// Puts the batch tag and the dialog's single selection back however the run ends.
class BatchScope {
public:
    explicit BatchScope(QObject* ikkatsu) : ikkatsu_(ikkatsu) { SetTagOf(ikkatsu_, 1); }
    ~BatchScope() { SetTagOf(ikkatsu_, 0); }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

private:
    QObject* ikkatsu_;
};

// Files dropped on the window are not held back with the other user input
// while the run lets the window repaint (drag and drop arrives as ordinary
// window-system messages), so the run refuses them itself: a drop between two
// files would load another picture, which the run would then resize and write
// over that file without asking.
class DropGuard : public QObject {
public:
    DropGuard() { QCoreApplication::instance()->installEventFilter(this); }
    ~DropGuard() override { QCoreApplication::instance()->removeEventFilter(this); }
    DropGuard(const DropGuard&) = delete;
    DropGuard& operator=(const DropGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

}  // namespace

void TMorviMain::IkkatsuClick() {
    // 1. The open dialog allows several files only for the time of the run.
    BatchScope scope(Ikkatsu);
    // 2. The run leaves the folder of the open command as it was.
    const QString folder = Session().OpenDirectory.isEmpty() ? QDir::currentPath() : Session().OpenDirectory;
    const QStringList files = interaction_.OpenPictures({folder, true});
    const DropGuard dropGuard;
    // 3. A file that cannot be loaded or written ends the run with its error;
    //    the files done before it stay done. A picture read smaller than its own
    //    size, to make its output, is read whole at the end, so that the session
    //    holds the last file at its own size however the run ends.
    const auto complete = [this] {
        if (session_.CompleteBatchPicture()) RefreshPreview();
    };
    try {
        for (const QString& file : files) {
            const QFileInfo info(file);
            if (!info.exists() || info.isDir()) continue;
            session_.SetCurrentFileName(info.absoluteFilePath());
            LoadBatchFile(info.absoluteFilePath());
            // The window repaints to show this file, but what the user does
            // meanwhile waits until the run has ended: a command started between
            // two files would otherwise change the picture or the name the batch
            // writes next.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (PictureSession::BatchTakesOwnSize(UpDown1->Position(), Edit1->text(), Edit2->text())) UpDown1Click();
            SpeedButton2Click();
        }
    } catch (...) {
        try {
            complete();
        } catch (const std::exception&) {
            // The error that ended the run is the one to report.
        }
        throw;
    }
    complete();
    // 4. BatchScope restores the tag.
}

void TMorviMain::DocViewClick() {
    ShowTextViewer(this, QStringLiteral("モルビ  ドキュメントの表示"), ProgramFilePath(QStringLiteral("Morvi.txt")),
                   interaction_);
}

void TMorviMain::HisViewClick() {
    ShowTextViewer(this, QStringLiteral("モルビ  ヒストリーの表示"), ProgramFilePath(QStringLiteral("Morvi.HIS")),
                   interaction_);
}

void TMorviMain::MenuHelpVerClick() { ShowAboutBox(this, Session().VersionText, interaction_); }

}  // namespace morvi
