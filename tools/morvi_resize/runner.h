// Converting the files of a run, several at once: the inputs expanded (a folder
// stands for the pictures in it), one target per file decided before anything
// is written, and a pool of workers, each with a picture session of its own, so
// that the bytes of every file are the same whatever the number of workers.
#pragma once

#include <QStringList>

#include "tools/morvi_resize/options.h"

namespace morvi::resize {

class Progress;

// The pictures a run converts: files as given, folders as the files in them
// whose extension the loader knows (by name, not recursing). Inputs that are
// neither are reported and left out.
QStringList ExpandInputs(const QStringList& inputs, Progress& progress, bool& failed);

// Converts every file; returns true when all of them were written.
bool ConvertAll(const Options& options, const QStringList& files, Progress& progress);

}  // namespace morvi::resize
