// What a run tells the person at the terminal: a one-line progress bar (files
// done, total, the file at work) redrawn in place on stderr when it is a
// terminal, and the failures and notes on lines of their own, which also go to
// stderr when it is not. Safe to call from every worker at once.
#pragma once

#include <QString>
#include <mutex>

namespace morvi::resize {

class Progress {
public:
    // total files; bar: draw the bar (stderr is a terminal and not --quiet);
    // notes: print notes (not --quiet).
    Progress(int total, bool bar, bool notes);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Started(const QString& file);
    void Finished();
    // "morvi-resize: FILE: REASON" on a line of its own.
    void Failed(const QString& file, const QString& reason);
    void Note(const QString& file, const QString& text);

private:
    void Draw();    // with the lock held
    void Clear();   // with the lock held
    void Line(const QString& text);

    std::mutex mutex_;
    int total_;
    int done_ = 0;
    QString current_;
    bool bar_;
    bool notes_;
    bool drawn_ = false;
};

}  // namespace morvi::resize
