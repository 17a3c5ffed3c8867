// The program: check for a display, set up the Qt application in Japanese, show
// the main window with the command line, run until it closes.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <csignal>
#include <cstdio>

#include "app/main_window/MorviMain_u.h"
#include "app/main_window/display_check.h"
#include "app/main_window/qt_interaction.h"
#include "app/viewer/app_icon.h"
#include "dib/kvdib.h"
#include "session/picture_kinds.h"

int main(int argc, char* argv[])
{
    // A file-size limit makes a write fail with its own error instead of ending
    // the program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::string problem = morvi::DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvi"));
    QApplication::setApplicationDisplayName(QStringLiteral("モルビ"));

    // Qt's own dialogs and standard buttons speak Japanese like the rest.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    QApplication::setWindowIcon(QIcon(morvi::ApplicationIconPixmap(QSize(256, 256))));

    gfx::RegisterStandardFormats();
    kvdib::RegisterKvDIB();

    morvi::QtInteraction interaction;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    morvi::TMorviMain window(interaction, arguments);
    interaction.SetOwner(&window);
    window.show();
    return app.exec();
}
