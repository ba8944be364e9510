#include "ui/long_command.h"

#include <QApplication>

LongCommand::LongCommand(bool &running, BusyPointer pointer)
    : m_running(running)
    , m_started(!running)
{
    if (!m_started)
        return;
    m_running = true;
    if (pointer == BusyPointer::Now)
        showBusyPointer();
}

LongCommand::~LongCommand()
{
    if (m_pointerShown)
        QApplication::restoreOverrideCursor();
    if (m_started)
        m_running = false;
}

void LongCommand::showBusyPointer()
{
    if (!m_started || m_pointerShown)
        return;
    m_pointerShown = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}
