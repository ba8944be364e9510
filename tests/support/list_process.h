#pragma once

// quorvel-list run as a process, as a user or a script runs it.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ListRun
{
    int exitCode = -1; // stays -1 when the program crashed or hung
    QByteArray out;
    QByteArray err;
};

// Runs program with arguments in workingFolder (when given), under
// shellPrefix (a bash command such as "ulimit -f 64") when given.
inline ListRun RunProgram(const QString &program, const QStringList &arguments,
                          const QString &workingFolder = {}, const QString &shellPrefix = {})
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (shellPrefix.isEmpty())
        process.start(program, arguments);
    else
        process.start(QStringLiteral("bash"),
                      QStringList { QStringLiteral("-c"),
                                    shellPrefix + QStringLiteral("; exec \"$0\" \"$@\""), program }
                          + arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

// A failure is said on exactly one line of standard error.
inline bool IsOneLine(const QByteArray &text)
{
    return text.endsWith('\n') && text.count('\n') == 1;
}
