// TMorviMain: the batch size conversion and the help menu's windows.
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include "app/MorviMain_u.h"
#include "app/disptext_u.h"
#include "app/verform_u.h"

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

}  // namespace

void TMorviMain::IkkatsuClick() {
    // 1. The open dialog allows several files only for the time of the run.
    BatchScope scope(Ikkatsu);
    // 2.
    if (state_.OpenDirectory.isEmpty()) state_.OpenDirectory = QDir::currentPath();
    const QStringList files = interaction_.OpenPictures({state_.OpenDirectory, true});
    // 3. A file that cannot be loaded or written ends the run with its error;
    //    the files done before it stay done.
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.exists() || info.isDir()) continue;
        state_.CurrentFileName = info.absoluteFilePath();
        LoadPictureFile(state_.CurrentFileName, true, false);
        // The window repaints to show this file, but what the user does meanwhile
        // waits until the run has ended: a command started between two files
        // would otherwise change the picture or the name the batch writes next.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (UpDown1->Position() != 0 || Edit1->text() == QStringLiteral("0") || Edit2->text() == QStringLiteral("0")) {
            UpDown1Click();
        }
        SpeedButton2Click();
    }
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

void TMorviMain::MenuHelpVerClick() { ShowAboutBox(this, state_.VersionText, interaction_); }

}  // namespace morvi
