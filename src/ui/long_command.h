#pragma once

#include <QString>
#include <QStringView>

#include <atomic>
#include <functional>
#include <optional>

// The main window's long commands.
enum class LongCommandKind {
    Search,
    ReadAgain,
    Generation,
    ClipboardCopy,
    SettingsListing,
};

// The status line of an action refused while a long command runs:
// "Search not started: a generation is running."
[[nodiscard]] QString RefusalText(QStringView refusedAction, LongCommandKind running);

// The one long command a window runs at a time, and the cancel flag
// (bgCancel) that stops it. A command clears the flag when it starts; a
// cancel with nothing running changes nothing, so it cannot stop the next
// command before that has begun.
class LongCommandGate
{
public:
    explicit LongCommandGate(std::atomic<bool> &cancelFlag);
    Q_DISABLE_COPY_MOVE(LongCommandGate)

    // showRefusal puts a refusal in the status line; restoreStatus puts
    // back what the running command showed, when it ends.
    void setStatusHandlers(std::function<void(const QString &)> showRefusal,
                           std::function<void()> restoreStatus);

    [[nodiscard]] bool running() const { return m_running.has_value(); }

    // cmdCancel_Click: sets the flag only while a command runs.
    void cancel();
    // For an action that must not happen during a long command (choosing
    // the settings folder, which lists it): true when none runs; otherwise
    // false, with the refusal in the status line.
    [[nodiscard]] bool admits(QStringView refusedAction);

private:
    friend class LongCommand;

    std::atomic<bool> &m_cancelFlag;
    std::optional<LongCommandKind> m_running;
    std::function<void(const QString &)> m_showRefusal;
    std::function<void()> m_restoreStatus;
};

// One long command of the main window (search, re-read, generation,
// clipboard export, settings listing) for its whole run: it shows the busy
// pointer, marks the window busy and clears the cancel flag, and undoes the
// first two when it ends, however it ends. While one runs, another does not
// start: started() is false, the status line says what runs, and the
// refused command must return at once. This keeps a command from clearing
// the list under a running one while window events run.
class LongCommand
{
public:
    // Later: the command first asks for something in a dialog of its own
    // and shows the busy pointer itself once the dialog has closed.
    enum class BusyPointer { Now, Later };

    LongCommand(LongCommandGate &gate, LongCommandKind kind,
                BusyPointer pointer = BusyPointer::Now);
    ~LongCommand();
    Q_DISABLE_COPY_MOVE(LongCommand)

    [[nodiscard]] bool started() const { return m_started; }
    // The arrow with hourglass, until the command ends.
    void showBusyPointer();

private:
    LongCommandGate &m_gate;
    bool m_started;
    bool m_pointerShown = false;
};
