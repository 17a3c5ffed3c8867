// The command line of morvi-resize: the window's own vocabulary for the size
// (the magnification box's values, or a width and/or height with the aspect
// kept), the region, the kind, where to write, and how many files at once.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

#include "session/batch_step.h"

namespace morvi::resize {

struct Options {
    BatchSettings settings;
    bool inPlace = false;
    int jobs = 1;
    bool quiet = false;
    bool help = false;
    QStringList inputs;  // files and folders as given
};

// An argument list that cannot be used; the message says which and why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// arguments: the command line without the program name. defaultJobs: used when
// --jobs is not given (the number of cores).
Options ParseOptions(const QStringList& arguments, int defaultJobs);

// "2" .. "20" (even), "1/2" .. "1/20" (even), "1/1" or "1" as an up-down position.
std::optional<int> MagnificationPosition(const QString& text);

extern const char kUsage[];

}  // namespace morvi::resize
