// The preview pane of the picture open dialog: the file under the cursor drawn
// small through the program's own loaders (so every kind it opens previews), with
// its size beneath.
#pragma once

#include <QLabel>
#include <QWidget>

namespace morvi {

class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);

public slots:
    void ShowFile(const QString& path);

private:
    QLabel* image_;
    QLabel* size_;
};

}  // namespace morvi
