// Everything the main window asks of the user modally goes through this one
// interface: the beep, message boxes, the picture open dialog, the save dialog
// and the standard error box. The program passes the Qt implementation; tests
// pass a scripted one that records what was shown and answers from a queue.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace morvi {

// None: a plain box without an icon (the viewer's end-of-search notice).
enum class BoxIcon { Information, Warning, Error, None };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

struct OpenRequest {
    QString directory;   // where the dialog starts
    bool multiple = false;
};

struct SaveRequest {
    QString title;
    QString directory;
    QString fileName;      // proposed name, without folder
    QStringList filters;   // "description (*.ext)" entries, shown in this order
    int filterIndex = 1;   // 1-based, the entry preselected
    QString defaultSuffix; // added to a name typed without extension
};

struct SaveAnswer {
    QString path;
    int filterIndex = 1;   // 1-based, the entry chosen
};

class Interaction {
public:
    virtual ~Interaction() = default;

    virtual void Beep() = 0;
    virtual BoxAnswer MessageBox(const QString& caption, const QString& text, BoxIcon icon,
                                 BoxButtons buttons) = 0;
    // Full paths of the chosen files; empty when cancelled.
    virtual QStringList OpenPictures(const OpenRequest& request) = 0;
    virtual std::optional<SaveAnswer> SaveFile(const SaveRequest& request) = 0;
    // The framework's box for an error that no command caught.
    virtual void ShowError(const QString& message) = 0;
};

}  // namespace morvi
