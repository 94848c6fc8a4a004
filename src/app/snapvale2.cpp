#include "app/snapvale2.h"

#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "os/user_folders.h"
#include "qt/qt_text.h"
#include "qt/ui_font.h"
#include "settings/start_target.h"
#include "settings/start_up.h"

namespace snapvale {

namespace {

// The arguments after the program's name and Qt's own options, as the core holds paths.
std::vector<std::string> PathArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
#ifdef Q_OS_WIN
    // argv is in the ANSI code page there; Qt has the command line as the system gave it.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(PathFromQString(all[i]));
#else
    // The file system's own bytes, which a round trip through QString could change.
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
#endif
    return arguments;
}

} // namespace

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Snapvale2");
    application.setFont(JapaneseUiFont());
    // The program speaks Japanese whatever the system's language, and so do Qt's own dialogs.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    QTranslator qtTexts;
    if (qtTexts.load(japanese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qtTexts);

    AppState state = ReadStartupState(ProgramFolder(), BuildSettingsPlacement());
    // A folder named on the command line is shown for this run, as a history pick is; the
    // settings keep theirs.
    const StartArguments start = ReadStartArguments(PathArguments(argc, argv));
    if (start.target) {
        state.ImageFolder = start.target->folder;
        state.StartFile = start.target->file;
    } else if (!start.error.empty()) {
        std::cerr << "snapvale2: " << start.error << '\n';
    }
    frmMain window(state);
    // Dialogs and the task bar show the main window's icon; the desktop entry is found by name.
    application.setWindowIcon(window.windowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("snapvale2"));
    window.show();
    return application.exec();
}

} // namespace snapvale
