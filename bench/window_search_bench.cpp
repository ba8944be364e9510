// window_search_bench FOLDER [CANCEL_MS]: the main window's search command
// on FOLDER, as a user starts it (offscreen window, the folder picker
// answered with FOLDER, window events let run while it scans), and prints
// the row count, the time the command took, and the longest gap between two
// ticks of a 1 ms timer while it ran (how long the window could not react).
// With CANCEL_MS, the cancel button is pressed that long after the start,
// and the time from the press to the end of the command is printed too. bench/window_search.sh
// times it against scan_bench, the same search without a window.
#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/result_list.h"
#include "ui/demo_screenshots.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: window_search_bench FOLDER\n");
        return 2;
    }
    // The program folder, its settings and the store live in a temporary folder.
    QTemporaryDir programDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, programDir.path());
    ProgramState state;
    PreferenceStore store;
    // The picker answers with the folder to search; nothing else asks.
    DemoUserDialogs dialogs(args.value(0));
    frm_main window(state, store, dialogs, programDir.filePath(QStringLiteral("quorvel")));
    window.show();
    window.RestoreOptions();
    window.setOptionCheck(OptionCheck::Recursive, true);
    window.setOptionCheck(OptionCheck::SkipEmptyDir, false);

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
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
    longestGap = std::max(longestGap, took - lastTick);
    std::printf("rows %d ms %lld longest-event-gap-ms %lld", window.resultList().count(),
                static_cast<long long>(took), static_cast<long long>(longestGap));
    if (cancelPressed >= 0)
        std::printf(" cancel-to-end-ms %lld", static_cast<long long>(took - cancelPressed));
    std::printf("\n");
    return 0;
}
