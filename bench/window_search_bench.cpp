// window_search_bench FOLDER: the main window's search command on FOLDER,
// as a user starts it (offscreen window, the folder picker answered with
// FOLDER, window events let run while it scans), and prints the row count
// and the time the command took. bench/window_search.sh times it against
// scan_bench, the same search without a window.
#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/result_list.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class BenchDialogs final : public UserDialogs
{
public:
    explicit BenchDialogs(const QString &folder)
        : m_folder(folder)
    { }
    std::optional<QString> openFileName(QWidget *, const QString &, const QString &,
                                        const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget *, const QString &, const QString &,
                                        const QString &, bool) override
    {
        return std::nullopt;
    }
    std::optional<QFont> font(QWidget *, const QString &, const QFont &) override
    {
        return std::nullopt;
    }
    QString existingDirectory(QWidget *, const QString &, const QString &) override
    {
        return m_folder;
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return false; }

private:
    QString m_folder;
};

} // namespace

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
    BenchDialogs dialogs(args.value(0));
    frm_main window(state, store, dialogs, programDir.filePath(QStringLiteral("quorvel")));
    window.show();
    window.RestoreOptions();
    window.setOptionCheck(OptionCheck::Recursive, true);
    window.setOptionCheck(OptionCheck::SkipEmptyDir, false);

    QElapsedTimer clock;
    clock.start();
    window.cmdsearch_Click();
    std::printf("rows %d ms %lld\n", window.resultList().count(),
                static_cast<long long>(clock.elapsed()));
    return 0;
}
