// quorvel: the desktop program.
#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/posix_file_system.h"
#include "ui/application_identity.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

#include <QApplication>

#include <csignal>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // The web engine's sandbox cannot run as root; the preview needs the engine.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Past a file-size limit a write fails with an error the window shows,
    // instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // The preview's web engine shares its drawing contexts with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    QApplication app(argc, argv);
    SetApplicationIdentity();

    ProgramState state;
    PreferenceStore store;
    QtUserDialogs dialogs;
    PosixFileSystem fileSystem;
    frm_main window(state, store, dialogs, fileSystem, QCoreApplication::applicationFilePath());
    window.show();
    return QApplication::exec();
}
