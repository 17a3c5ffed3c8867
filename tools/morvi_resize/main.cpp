// morvi-resize: the window's batch size conversion for scripts and folders of
// photos, over the same picture session, several files at once. Runs without a
// display.
#include <QGuiApplication>
#include <QtGlobal>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <thread>

#include "dib/kvdib.h"
#include "session/picture_kinds.h"
#include "tools/morvi_resize/options.h"
#include "tools/morvi_resize/progress.h"
#include "tools/morvi_resize/runner.h"

namespace {

// Qt's own notes (no runtime folder, no session bus) mean nothing to someone
// converting files; the program reports its failures itself.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "morvi-resize: %s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit fails the write with a message instead of ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    // The readers and the metafile player need an application object, not a
    // screen: the offscreen platform is there on every machine.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQt);
    QGuiApplication app(argc, argv);
    QStringList arguments = QGuiApplication::arguments();
    arguments.removeFirst();

    morvi::resize::Options options;
    try {
        options = morvi::resize::ParseOptions(arguments, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    } catch (const morvi::resize::UsageError& error) {
        std::fprintf(stderr, "morvi-resize: %s\nTry 'morvi-resize --help' for more.\n", error.what());
        return 2;
    }
    if (options.help) {
        std::fputs(morvi::resize::kUsage, stdout);
        return 0;
    }
    gfx::RegisterStandardFormats();
    kvdib::RegisterKvDIB();

    bool failed = false;
    const bool bar = !options.quiet && ::isatty(STDERR_FILENO) == 1;
    morvi::resize::Progress progress(0, false, !options.quiet);
    const QStringList files = morvi::resize::ExpandInputs(options.inputs, progress, failed);
    {
        morvi::resize::Progress run(static_cast<int>(files.size()), bar, !options.quiet);
        if (!morvi::resize::ConvertAll(options, files, run)) failed = true;
    }
    return failed ? 1 : 0;
}
