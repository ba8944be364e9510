#pragma once

// Proves that nothing waits for ever on a named pipe: if the watched code is
// still running after the timeout, the watchdog keeps opening the pipe's
// ends, which frees every reader or writer stuck in open(), and records
// that it had to. The test then fails instead of hanging.

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

class PipeWatchdog
{
public:
    // Long enough to prove that nothing hangs, never a measure of speed.
    static constexpr std::chrono::seconds kNoHang { 20 };

    explicit PipeWatchdog(const QByteArray &pipePath, std::chrono::seconds timeout = kNoHang)
        // A handle on the pipe itself, which reaches it even after something
        // has been put in its place under its name.
        : m_handle(::open(pipePath.constData(), O_PATH | O_CLOEXEC))
        , m_thread([this, timeout] {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, timeout, [this] { return m_done; }))
                return;
            m_fired = true;
            const QByteArray pipe = "/proc/self/fd/" + QByteArray::number(m_handle);
            do {
                for (const int mode : { O_WRONLY, O_RDONLY }) {
                    const int fd = ::open(pipe.constData(), mode | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0)
                        ::close(fd);
                }
            } while (
                !m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; }));
        })
    { }
    ~PipeWatchdog()
    {
        stop();
        if (m_handle >= 0)
            ::close(m_handle);
    }
    PipeWatchdog(const PipeWatchdog &) = delete;
    PipeWatchdog &operator=(const PipeWatchdog &) = delete;

    // Ends the watch; true when the watched code had to be freed.
    bool stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_fired;
    }

private:
    int m_handle;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_fired { false };
    std::thread m_thread;
};
