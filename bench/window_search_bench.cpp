// window_search_bench [--scroll] FOLDER [CANCEL_MS]: the main window's search command
// on FOLDER, as a user starts it (offscreen window, the folder picker
// answered with FOLDER, window events let run while it scans), and prints
// the row count, the time the command took, and the longest gap between two
// ticks of a 1 ms timer while it ran (how long the window could not react)
// with the time it ended.
// With CANCEL_MS, the cancel button is pressed that long after the start,
// and the time from the press to the end of the command is printed too.
// With --scroll, the ticks go on for half a second after the command (work
// the list puts off until then counts too), and the filled list is then
// scrolled as a user would (page by page, then dragging the scroll thumb
// across the whole list), each step painted at once; the slowest and the
// median step are printed: under 16 ms keeps up with a 60 Hz screen.
// bench/window_search.sh times the search against scan_bench, the same
// search without a window.
#include "demo_user_dialogs.h"

#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "ui/frm_main.h"
#include "ui/result_list_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct ScrollTimes
{
    qint64 slowestUs = 0;
    qint64 medianUs = 0;
    int steps = 0;
};

// Pages down through the start of the list, then drags the thumb from top
// to bottom in even steps; every step is painted before the next.
ScrollTimes ScrollThrough(QAbstractItemView &view)
{
    std::vector<qint64> times;
    QElapsedTimer step;
    auto paintNow = [&] {
        view.viewport()->repaint();
        QCoreApplication::processEvents();
        times.push_back(step.nsecsElapsed() / 1000);
    };
    view.setFocus();
    for (int page = 0; page < 100; ++page) {
        step.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
        paintNow();
    }
    QScrollBar *bar = view.verticalScrollBar();
    constexpr int kThumbSteps = 400;
    for (int i = 0; i <= kThumbSteps; ++i) {
        step.start();
        bar->setValue(int(qint64(bar->maximum()) * i / kThumbSteps));
        paintNow();
    }
    ScrollTimes result;
    result.steps = int(times.size());
    std::sort(times.begin(), times.end());
    result.slowestUs = times.back();
    result.medianUs = times[times.size() / 2];
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool scroll = args.removeAll(QStringLiteral("--scroll")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: window_search_bench [--scroll] FOLDER [CANCEL_MS]\n");
        return 2;
    }
    // The program folder, its settings and the store live in a temporary folder.
    QTemporaryDir programDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, programDir.path());
    ProgramState state;
    PreferenceStore store;
    // The picker answers with the folder to search; nothing else asks.
    DemoUserDialogs dialogs(args.value(0));
    PosixFileSystem fileSystem;
    frm_main window(state, store, dialogs, fileSystem,
                    programDir.filePath(QStringLiteral("quorvel")));
    window.show();
    window.RestoreOptions();
    window.setOptionCheck(OptionCheck::Recursive, true);
    window.setOptionCheck(OptionCheck::SkipEmptyDir, false);

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    qint64 longestGapEnd = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - lastTick > longestGap) {
            longestGap = now - lastTick;
            longestGapEnd = now;
        }
        lastTick = now;
    });
    qint64 cancelPressed = -1;
    if (args.size() > 1) {
        QTimer::singleShot(args.value(1).toInt(), [&] {
            cancelPressed = clock.elapsed();
            window.cmdCancel_Click(3);
        });
    }
    clock.start();
    ticker.start();
    window.cmdsearch_Click();
    const qint64 took = clock.elapsed();
    if (scroll) {
        // Whatever the list put off until the command ended runs now.
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }
    ticker.stop();
    if (clock.elapsed() - lastTick > longestGap) {
        longestGap = clock.elapsed() - lastTick;
        longestGapEnd = clock.elapsed();
    }
    std::printf("rows %d ms %lld longest-event-gap-ms %lld (ended at %lld ms)",
                window.resultList().count(), static_cast<long long>(took),
                static_cast<long long>(longestGap), static_cast<long long>(longestGapEnd));
    if (cancelPressed >= 0)
        std::printf(" cancel-to-end-ms %lld", static_cast<long long>(took - cancelPressed));
    std::printf("\n");
    if (scroll && window.resultList().count() > 0) {
        const ScrollTimes steps = ScrollThrough(*window.ui().lstItems);
        std::printf("scroll-steps %d slowest-ms %.1f median-ms %.1f\n", steps.steps,
                    double(steps.slowestUs) / 1000, double(steps.medianUs) / 1000);
    }
    return 0;
}
