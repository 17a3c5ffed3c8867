#include "tools/morvi_resize/runner.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

#include "gfx/picture.h"
#include "session/batch_step.h"
#include "session/picture_session.h"
#include "tools/morvi_resize/progress.h"

namespace morvi::resize {

namespace {

bool KnownExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty()) return false;
    const std::vector<gfx::FileFormat> formats = gfx::PictureRegistry::FileFormats();
    return std::any_of(formats.begin(), formats.end(),
                       [&](const gfx::FileFormat& f) { return QString::fromStdString(f.extension) == suffix; });
}

struct Task {
    QString source;
    QString target;
    bool refused = false;
};

}  // namespace

QStringList ExpandInputs(const QStringList& inputs, Progress& progress, bool& failed) {
    QStringList files;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            const QFileInfoList entries =
                QDir(input).entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
            for (const QFileInfo& entry : entries) {
                if (KnownExtension(entry.fileName())) files << QDir(input).filePath(entry.fileName());
            }
        } else if (info.exists()) {
            files << input;
        } else {
            progress.Failed(input, QStringLiteral("no such file"));
            failed = true;
        }
    }
    return files;
}

bool ConvertAll(const Options& options, const QStringList& files, Progress& progress) {
    std::atomic<bool> allWritten = true;
    // Every target is decided before anything is written: two pictures must not
    // land on the same file, and none on its own source unless asked to.
    std::vector<Task> tasks;
    QHash<QString, QString> claimed;
    for (const QString& file : files) {
        Task task{file, {}, false};
        const SaveType type = options.settings.type.value_or(DefaultBatchType(file));
        task.target = BatchTarget(file, type, options.settings.outputFolder);
        const QString key = QFileInfo(task.target).absoluteFilePath();
        if (!options.inPlace && key == QFileInfo(file).absoluteFilePath()) {
            progress.Failed(file, QStringLiteral("the output would replace the picture itself (use --in-place)"));
            task.refused = true;
        } else if (claimed.contains(key)) {
            progress.Failed(file, QStringLiteral("%1 is already the output of %2").arg(task.target, claimed.value(key)));
            task.refused = true;
        } else {
            claimed.insert(key, file);
        }
        if (task.refused) {
            allWritten = false;
            progress.Finished();
        }
        tasks.push_back(task);
    }
    if (!options.settings.outputFolder.isEmpty() && !QDir().mkpath(options.settings.outputFolder)) {
        progress.Failed(options.settings.outputFolder, QStringLiteral("the folder cannot be made"));
        return false;
    }

    std::atomic<size_t> next = 0;
    auto work = [&] {
        PictureSession session;
        for (size_t i = next++; i < tasks.size(); i = next++) {
            const Task& task = tasks[i];
            if (task.refused) continue;
            progress.Started(task.source);
            try {
                const BatchResult result = session.BatchStep(task.source, options.settings);
                if (options.inPlace && result.renamed) {
                    progress.Note(task.source, QStringLiteral("written as %1 beside it").arg(result.written));
                }
            } catch (const std::exception& error) {
                progress.Failed(task.source, QString::fromUtf8(error.what()));
                allWritten = false;
            }
            progress.Finished();
        }
    };
    const size_t workers = std::min<size_t>(static_cast<size_t>(std::max(options.jobs, 1)), tasks.size());
    std::vector<std::thread> pool;
    for (size_t i = 1; i < workers; ++i) pool.emplace_back(work);
    work();
    for (std::thread& worker : pool) worker.join();
    return allWritten;
}

}  // namespace morvi::resize
