#include "app/program_state.h"

#include <QDir>
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

    // Minor in two digits at least, the revision without leading zeros, none when 0.
    void versionText()
    {
        QCOMPARE(VersionText(1, 5, 0), QStringLiteral("1.05."));
        QCOMPARE(VersionText(2, 0, 7), QStringLiteral("2.00.7"));
        QCOMPARE(VersionText(1, 123, 1), QStringLiteral("1.123.1"));
    }

    // The folders follow from where the program lies. In the build tree the
    // data lies beside the program; an installed program finds it in
    // ../share/quorvel and never writes its pages or lists its settings
    // beside itself, not even for root, who may write into any bin folder.
    void initialiseSetsFolders()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        ProgramState state;
        InitialiseProgramState(state, dir.filePath(QStringLiteral("bin/quorvel")));
        QCOMPARE(state.programFolder, dir.path() + QStringLiteral("/bin/"));
        QCOMPARE(state.dataFolder, state.programFolder);
        QCOMPARE(state.exportFolder, dir.path() + QStringLiteral("/bin/export/"));
        QCOMPARE(state.settingsFolder, state.programFolder);

        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("share/quorvel")));
        ProgramState installed;
        InitialiseProgramState(installed, dir.filePath(QStringLiteral("bin/quorvel")));
        QCOMPARE(installed.programFolder, dir.path() + QStringLiteral("/bin/"));
        QCOMPARE(installed.dataFolder, dir.path() + QStringLiteral("/share/quorvel/"));
        QCOMPARE(installed.exportFolder, userFolder(u"export/"));
        QCOMPARE(installed.settingsFolder, userFolder(u"settings/"));
    }

    // A file named "export", or a program folder that cannot be written,
    // sends the export folder to the per-user data folder, and a program
    // folder that cannot be written the settings folder.
    void exportFolderFallsBack()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("export")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QCOMPARE(ChooseExportFolder(dir.path()), userFolder(u"export/"));
        QVERIFY(blocker.remove());
        QCOMPARE(ChooseExportFolder(dir.path() + u'/'), dir.path() + QStringLiteral("/export/"));

        // A check that says no stands in for a folder the user cannot write:
        // for root every folder is writable.
        QStringList asked;
        const auto unwritable = [&asked](const QString &folder) {
            asked.append(folder);
            return false;
        };
        QCOMPARE(ChooseExportFolder(dir.path(), unwritable), userFolder(u"export/"));
        QCOMPARE(ChooseSettingsFolder(dir.path(), unwritable), userFolder(u"settings/"));
        QCOMPARE(asked,
                 (QStringList { dir.path() + QStringLiteral("/export/"), dir.path() + u'/' }));
        QCOMPARE(ChooseSettingsFolder(dir.path()), dir.path() + u'/');

        if (::geteuid() == 0)
            QSKIP("root may write into any folder");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const QString chosen = ChooseExportFolder(dir.path());
        const QString settings = ChooseSettingsFolder(dir.path());
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(chosen, userFolder(u"export/"));
        QCOMPARE(settings, userFolder(u"settings/"));
    }

private:
    // A folder of the program's in the per-user data folder, shared by the
    // window and quorvel-list.
    static QString userFolder(QStringView name)
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/quorvel/") + name;
    }
};

QTEST_GUILESS_MAIN(TestProgramState)
#include "tst_program_state.moc"
