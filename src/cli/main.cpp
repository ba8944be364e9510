#include "cli/list_command.h"

#include "app/program_state.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // Past a file-size limit a write fails with an error we report, instead
    // of the signal ending the program with a half-written page.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-list"));
    QCoreApplication::setApplicationVersion(VersionText(ProgramIdentity::kVersionMajor,
                                                        ProgramIdentity::kVersionMinor,
                                                        ProgramIdentity::kVersionRevision));
    return RunListCommand(QCoreApplication::arguments().mid(1));
}
