#include "ui/long_command.h"

#include <QApplication>

namespace {

QString runningText(LongCommandKind kind)
{
    switch (kind) {
    case LongCommandKind::Search:
        return QStringLiteral("a search");
    case LongCommandKind::ReadAgain:
        return QStringLiteral("a re-read");
    case LongCommandKind::Generation:
        return QStringLiteral("a generation");
    case LongCommandKind::ClipboardCopy:
        return QStringLiteral("a copy to the clipboard");
    case LongCommandKind::SettingsListing:
        return QStringLiteral("a settings-list refresh");
    }
    return {};
}

QString refusedText(LongCommandKind kind)
{
    switch (kind) {
    case LongCommandKind::Search:
        return QStringLiteral("Search not started");
    case LongCommandKind::ReadAgain:
        return QStringLiteral("Re-read not started");
    case LongCommandKind::Generation:
        return QStringLiteral("Generation not started");
    case LongCommandKind::ClipboardCopy:
        return QStringLiteral("Copy not started");
    case LongCommandKind::SettingsListing:
        return QStringLiteral("Settings list not refreshed");
    }
    return {};
}

} // namespace

QString RefusalText(QStringView refusedAction, LongCommandKind running)
{
    return refusedAction + QStringLiteral(": ") + runningText(running)
        + QStringLiteral(" is running.");
}

LongCommandGate::LongCommandGate(std::atomic<bool> &cancelFlag)
    : m_cancelFlag(cancelFlag)
{ }

void LongCommandGate::setStatusHandlers(std::function<void(const QString &)> showRefusal,
                                        std::function<void()> restoreStatus)
{
    m_showRefusal = std::move(showRefusal);
    m_restoreStatus = std::move(restoreStatus);
}

void LongCommandGate::cancel()
{
    if (m_running)
        m_cancelFlag = true;
}

bool LongCommandGate::admits(QStringView refusedAction)
{
    if (!m_running)
        return true;
    if (m_showRefusal)
        m_showRefusal(RefusalText(refusedAction, *m_running));
    return false;
}

LongCommand::LongCommand(LongCommandGate &gate, LongCommandKind kind, BusyPointer pointer)
    : m_gate(gate)
    , m_started(gate.admits(refusedText(kind)))
{
    if (!m_started)
        return;
    m_gate.m_running = kind;
    m_gate.m_cancelFlag = false;
    if (pointer == BusyPointer::Now)
        showBusyPointer();
}

LongCommand::~LongCommand()
{
    if (m_pointerShown)
        QApplication::restoreOverrideCursor();
    if (!m_started)
        return;
    m_gate.m_running.reset();
    if (m_gate.m_restoreStatus)
        m_gate.m_restoreStatus();
}

void LongCommand::showBusyPointer()
{
    if (!m_started || m_pointerShown)
        return;
    m_pointerShown = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}
