// quorvel-screenshots TREE OUT_FOLDER: the README's pictures of the main
// window and the info window (scripts/screenshot.sh). The window runs with a
// preference store and a program folder of its own in a temporary folder,
// so nothing of the user's stored options or settings is read or written.
#include "demo_screenshots.h"
#include "demo_user_dialogs.h"

#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/posix_file_system.h"
#include "ui/application_identity.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char *argv[])
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Before anything opens a settings store.
    QStandardPaths::setTestModeEnabled(true);

    QApplication app(argc, argv);
    SetApplicationIdentity();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: quorvel-screenshots TREE OUT_FOLDER\n";
        return 2;
    }
    QTemporaryDir own;
    if (!own.isValid()) {
        QTextStream(stderr) << "quorvel-screenshots: no temporary folder: " << own.errorString()
                            << '\n';
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       own.filePath(QStringLiteral("config")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       own.filePath(QStringLiteral("config")));

    ProgramState state;
    PreferenceStore store;
    DemoUserDialogs dialogs(arguments[1]);
    PosixFileSystem fileSystem;
    // The program folder, and with it the export and settings folders, is the temporary one.
    frm_main window(state, store, dialogs, fileSystem, own.filePath(QStringLiteral("quorvel")));
    window.show();
    int exitCode = 0;
    TakeDemoScreenshotsWhenReady(window, arguments[2], exitCode);
    QApplication::exec();
    return exitCode;
}
