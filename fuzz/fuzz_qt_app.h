// The application object the Qt-road targets need (fonts for metafile text, the
// image plugins of Qt's readers), made once per process on the offscreen
// platform, so that neither the fuzzer nor the replays need a display. Qt's
// warnings about bad input are silenced: they are no findings, and printing
// thousands of them per input slows the fuzzer to a crawl.
#pragma once

#include <QGuiApplication>

namespace fuzz {

// Qt still aborts after a fatal message, whatever the handler does.
inline void IgnoreQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

inline void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler previous = qInstallMessageHandler(IgnoreQtMessage);
    static QGuiApplication app(argc, argv);
    (void)offscreen;
    (void)previous;
}

}  // namespace fuzz

// Fontconfig keeps the font patterns it matched for text until the process
// ends and never frees them; LeakSanitizer (in the fuzz and sanitizer builds)
// is told so, not to report the same library leak for every drawing with text.
// Each Qt-road target includes this header from its one source file.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
