#include "app/snapvale2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "os/user_folders.h"
#include "qt/ui_font.h"
#include "settings/start_up.h"

namespace snapvale {

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
    frmMain window(state);
    // Dialogs and the task bar show the main window's icon; the desktop entry is found by name.
    application.setWindowIcon(window.windowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("snapvale2"));
    window.show();
    return application.exec();
}

} // namespace snapvale
