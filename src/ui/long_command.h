#pragma once

#include <QtGlobal>

// One long command of the main window (search, re-read, generation,
// clipboard export, settings listing) for its whole run: it shows the busy
// pointer and marks the window busy, and undoes both when it ends, however
// it ends. While one runs, another does not start: started() is false, and
// the refused command must return at once. This keeps a command from
// clearing the list under a running one while window events run.
class LongCommand
{
public:
    // Later: the command first asks for something in a dialog of its own
    // and shows the busy pointer itself once the dialog has closed.
    enum class BusyPointer { Now, Later };

    explicit LongCommand(bool &running, BusyPointer pointer = BusyPointer::Now);
    ~LongCommand();
    Q_DISABLE_COPY_MOVE(LongCommand)

    [[nodiscard]] bool started() const { return m_started; }
    // The arrow with hourglass, until the command ends.
    void showBusyPointer();

private:
    bool &m_running;
    bool m_started;
    bool m_pointerShown = false;
};
