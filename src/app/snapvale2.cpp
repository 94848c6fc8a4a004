#include "app/snapvale2.h"

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/user_folders.h"

#include <QApplication>

namespace snapvale {

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Snapvale2");
    AppState state = ReadStartupState(ProgramFolder());
    frmMain window(state);
    window.show();
    return application.exec();
}

} // namespace snapvale
