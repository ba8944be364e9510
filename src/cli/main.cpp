#include "cli/list_command.h"

#include "app/program_state.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // Past a file-size limit a write fails with an error we report, instead
    // of the signal ending the program with a half-written page.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader that closes its end of the pipe ends the program quietly, as
    // it ends other tools, also when the caller started it with the signal
    // ignored or blocked.
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    sigprocmask(SIG_UNBLOCK, &brokenPipe, nullptr);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-list"));
    QCoreApplication::setApplicationVersion(ProgramVersionText());
    return RunListCommand(QCoreApplication::arguments().mid(1));
}
