// An Interaction for tests: it records every box, dialog and beep the window
// asks for and answers from queues filled by the test beforehand.
#pragma once

#include <QQueue>
#include <QString>
#include <QStringList>
#include <vector>

#include "app/main_window/interaction.h"

namespace morvi::test {

struct ShownBox {
    QString caption;
    QString text;
    BoxIcon icon;
    BoxButtons buttons;
};

class ScriptedInteraction : public Interaction {
public:
    void Beep() override { ++beeps; }
    BoxAnswer MessageBox(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override
    {
        boxes.push_back({caption, text, icon, buttons});
        if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
        return boxAnswers.isEmpty() ? BoxAnswer::No : boxAnswers.dequeue();
    }
    QStringList OpenPictures(const OpenRequest& request) override
    {
        openRequests.push_back(request);
        return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
    }
    std::optional<SaveAnswer> SaveFile(const SaveRequest& request) override
    {
        saveRequests.push_back(request);
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
    }
    void ShowError(const QString& message) override { errors << message; }

    int beeps = 0;
    std::vector<ShownBox> boxes;
    std::vector<OpenRequest> openRequests;
    std::vector<SaveRequest> saveRequests;
    QStringList errors;

    QQueue<BoxAnswer> boxAnswers;
    QQueue<QStringList> openAnswers;           // an empty list is a cancel
    QQueue<std::optional<SaveAnswer>> saveAnswers;
};

}  // namespace morvi::test
