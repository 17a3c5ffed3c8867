#include "app/main_window/qt_interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "session/file_kinds.h"
#include "app/main_window/picture_preview.h"

namespace morvi {
namespace {

// Messages are written with Windows line breaks; Qt wants plain ones.
QString PlainLines(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QMessageBox::Icon ToQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::None: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtInteraction::Beep()
{
    QApplication::beep();
}

BoxAnswer QtInteraction::MessageBox(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons)
{
    QMessageBox box(ToQtIcon(icon), caption, PlainLines(text), QMessageBox::NoButton, owner_);
    if (buttons == BoxButtons::Ok) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return BoxAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? BoxAnswer::Yes : BoxAnswer::No;
}

QStringList QtInteraction::OpenPictures(const OpenRequest& request)
{
    QFileDialog dialog(owner_, QString(), request.directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(PictureFileFilters());
    dialog.setSizeGripEnabled(true);

    // A preview pane to the right of the file list, as the picture dialog has.
    auto* preview = new PicturePreview(&dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    }
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, &PicturePreview::ShowFile);

    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<SaveAnswer> QtInteraction::SaveFile(const SaveRequest& request)
{
    QFileDialog dialog(owner_, request.title, request.directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks its own overwrite question where it wants one.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 1 && request.filterIndex <= request.filters.size()) {
        dialog.selectNameFilter(request.filters.at(request.filterIndex - 1));
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
        // A name typed without an extension gets the one of the kind chosen.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
            const QRegularExpressionMatch match = pattern.match(filter);
            if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
        });
    }
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    SaveAnswer answer;
    answer.path = dialog.selectedFiles().constFirst();
    answer.filterIndex = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1) answer.filterIndex = request.filterIndex;
    return answer;
}

void QtInteraction::ShowError(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), PlainLines(message),
                    QMessageBox::NoButton, owner_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace morvi
