#include "tools/morvi_resize/progress.h"

#include <QFileInfo>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace morvi::resize {

namespace {

int TerminalColumns() {
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
    return 80;
}

}  // namespace

Progress::Progress(int total, bool bar, bool notes) : total_(total), bar_(bar), notes_(notes) {
    std::lock_guard lock(mutex_);
    Draw();
}

Progress::~Progress() {
    std::lock_guard lock(mutex_);
    Clear();
}

void Progress::Started(const QString& file) {
    std::lock_guard lock(mutex_);
    current_ = QFileInfo(file).fileName();
    Draw();
}

void Progress::Finished() {
    std::lock_guard lock(mutex_);
    ++done_;
    Draw();
}

void Progress::Failed(const QString& file, const QString& reason) {
    Line(QStringLiteral("morvi-resize: %1: %2").arg(file, reason));
}

void Progress::Note(const QString& file, const QString& text) {
    if (notes_) Line(QStringLiteral("morvi-resize: %1: %2").arg(file, text));
}

void Progress::Line(const QString& text) {
    std::lock_guard lock(mutex_);
    Clear();
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    Draw();
}

void Progress::Clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

void Progress::Draw() {
    if (!bar_) return;
    const QString count = QStringLiteral(" %1/%2 ").arg(done_).arg(total_);
    const int columns = TerminalColumns();
    const int barWidth = std::clamp(columns / 3, 10, 40);
    const int filled = total_ > 0 ? barWidth * done_ / total_ : barWidth;
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(barWidth - filled, QLatin1Char('.')) +
                   QLatin1Char(']') + count;
    // The file's name, cut to what is left of the line.
    const qsizetype room = columns - 1 - line.size();
    if (room > 3) line += current_.size() <= room ? current_ : current_.left(room - 1) + QChar(0x2026);
    std::fprintf(stderr, "\r\033[K%s", line.toLocal8Bit().constData());
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace morvi::resize
