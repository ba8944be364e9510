#include "cli/list_command.h"

#include "app/program_state.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-list"));
    QCoreApplication::setApplicationVersion(VersionText(ProgramIdentity::kVersionMajor,
                                                        ProgramIdentity::kVersionMinor,
                                                        ProgramIdentity::kVersionRevision));
    return RunListCommand(QCoreApplication::arguments().mid(1));
}
