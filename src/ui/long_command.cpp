#include "ui/long_command.h"

#include <QApplication>

LongCommand::LongCommand(bool &running)
    : m_running(running)
    , m_started(!running)
{
    if (!m_started)
        return;
    m_running = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

LongCommand::~LongCommand()
{
    if (!m_started)
        return;
    QApplication::restoreOverrideCursor();
    m_running = false;
}
