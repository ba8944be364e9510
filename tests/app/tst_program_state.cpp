#include "app/program_state.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestProgramState : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-digit minor, no revision") << 1 << 5 << 0 << u"1.05."_qs;
        QTest::newRow("revision keeps no zeros") << 2 << 0 << 7 << u"2.00.7"_qs;
        QTest::newRow("three-digit minor") << 1 << 123 << 1 << u"1.123.1"_qs;
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, expected);
        QCOMPARE(VersionText(major, minor, revision), expected);
    }

    // The folders follow from where the program lies.
    void initialiseSetsFolders()
    {
        QTemporaryDir dir;
        ProgramState state;
        InitialiseProgramState(state, dir.filePath(u"quorvel"_qs));
        QCOMPARE(state.programFolder, dir.path() + u'/');
        QCOMPARE(state.exportFolder, dir.path() + u"/export/"_qs);
    }

    // A file named "export", or a program folder that cannot be written,
    // sends the export folder to the per-user data folder.
    void exportFolderFallsBack()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(u"export"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QVERIFY(!ChooseExportFolder(dir.path()).startsWith(dir.path()));
        QVERIFY(blocker.remove());
        QCOMPARE(ChooseExportFolder(dir.path() + u'/'), dir.path() + u"/export/"_qs);

        if (::geteuid() == 0)
            QSKIP("root may write into any folder");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const QString chosen = ChooseExportFolder(dir.path());
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!chosen.startsWith(dir.path()));
        QVERIFY(chosen.endsWith(u"/export/"_qs));
    }
};

QTEST_GUILESS_MAIN(TestProgramState)
#include "tst_program_state.moc"
