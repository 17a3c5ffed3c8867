// Another program of the desktop that files are dragged from, as a file manager
// is: a small window at the given place that starts a drag of the file's URL
// when the mouse is pressed in it and moved. xdotool then moves the mouse onto
// the window under test and lets go, and the X drag-and-drop protocol does the
// rest.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QString path) : path_(std::move(path)) { setWindowTitle(QStringLiteral("drag-source")); }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || started_) return;
        started_ = true;
        auto* data = new QMimeData;  // owned by the drag
        data->setUrls({QUrl::fromLocalFile(path_)});
        // Qt deletes the drag itself: the target asks for the data after the
        // drop, when exec() has already returned.
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
        started_ = false;
    }

private:
    QString path_;
    bool started_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.setGeometry(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt(), 120, 120);
    source.show();
    return app.exec();
}
