// The window titles as the X server holds them, read with xwininfo: the
// program's main window, and the info window and the dialogs that the
// window's own handlers open, under the program's application identity.
#include "scan/posix_file_system.h"
#include "ui/application_identity.h"
#include "ui/frm_main.h"
#include "ui/window_fixture.h"

#include <QtWidgets>

#include <map>

namespace {

// The names of all windows on the X server.
QStringList XWindowNames()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"),
                   { QStringLiteral("-root"), QStringLiteral("-tree") });
    if (!xwininfo.waitForFinished(10000))
        return {};
    // A window line: `     0x200007 "K I V": ("quorvel" "quorvel")  801x592+0+0  +0+0`.
    static const QRegularExpression named(QStringLiteral(R"re(^\s*0x[0-9a-f]+ "(.*)": \()re"));
    QStringList names;
    for (const QString &line : QString::fromUtf8(xwininfo.readAllStandardOutput()).split(u'\n')) {
        const QRegularExpressionMatch match = named.match(line);
        if (match.hasMatch())
            names << match.captured(1);
    }
    return names;
}

// Waits until a window of that name is on the X server.
bool WaitForXWindow(const QString &title, QStringList *names = nullptr)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        const QStringList now = XWindowNames();
        if (names)
            *names = now;
        if (now.contains(title))
            return true;
        QTest::qWait(100);
    }
    return false;
}

} // namespace

class TestWindowTitles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir; // program folder and preferences of the in-process window

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        UseTemporaryPreferenceStore(m_dir);
        SetApplicationIdentity();
    }

    void programTitle();
    void dialogTitles_data();
    void dialogTitles();
};

void TestWindowTitles::programTitle()
{
    // The program itself, with a home of its own, so that nothing of the
    // machine's user is read or written.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char *folder : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        environment.insert(QString::fromLatin1(folder), home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(QUORVEL_PROGRAM), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    const auto stop = qScopeGuard([&program] {
        program.terminate();
        if (!program.waitForFinished(10000))
            program.kill();
    });
    QStringList names;
    QVERIFY2(WaitForXWindow(QStringLiteral("K I V"), &names), qPrintable(names.join(u'|')));
    for (const QString &name : std::as_const(names))
        QVERIFY2(!name.contains(QStringLiteral("Quorvel")), qPrintable(name));
}

void TestWindowTitles::dialogTitles_data()
{
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("title");
    QTest::newRow("info") << QStringLiteral("cmdInfo_Click") << QStringLiteral("Information");
    QTest::newRow("clip") << QStringLiteral("cmdBrowseForAni_Click")
                          << QStringLiteral("kiv - Animation");
    QTest::newRow("page font") << QStringLiteral("cmdFont_Click")
                               << QStringLiteral("kiv - Schrift auswählen");
    QTest::newRow("folder picker")
        << QStringLiteral("cmdsearch_Click") << QStringLiteral("gus.sdg");
}

void TestWindowTitles::dialogTitles()
{
    QFETCH(QString, handler);
    QFETCH(QString, title);
    ProgramState state;
    PreferenceStore store;
    QtUserDialogs dialogs; // the real ones, as the program shows them
    PosixFileSystem fileSystem;
    frm_main window(state, store, dialogs, fileSystem, m_dir.filePath(QStringLiteral("quorvel")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.restored());
    QVERIFY(WaitForXWindow(QStringLiteral("K I V")));

    // The modal window is looked at from inside its own event loop, then closed.
    bool shown = false;
    QStringList names;
    QTimer::singleShot(0, this, [&] {
        QDeadlineTimer deadline(20000);
        while (!QApplication::activeModalWidget() && !deadline.hasExpired())
            QTest::qWait(50);
        shown = WaitForXWindow(title, &names);
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    const std::map<QString, void (frm_main::*)()> handlers {
        { QStringLiteral("cmdInfo_Click"), &frm_main::cmdInfo_Click },
        { QStringLiteral("cmdBrowseForAni_Click"), &frm_main::cmdBrowseForAni_Click },
        { QStringLiteral("cmdFont_Click"), &frm_main::cmdFont_Click },
        { QStringLiteral("cmdsearch_Click"), &frm_main::cmdsearch_Click },
    };
    (window.*handlers.at(handler))();
    QVERIFY2(shown, qPrintable(names.join(u'|')));
    for (const QString &name : std::as_const(names))
        QVERIFY2(!name.contains(QStringLiteral("Quorvel")), qPrintable(name));
}

QTEST_MAIN(TestWindowTitles)
#include "tst_window_titles.moc"
