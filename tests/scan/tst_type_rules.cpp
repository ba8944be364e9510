// How TypeTable weighs globs against each other, on MIME directories made
// here and stacked above the system's: the conflicts the system database
// does not happen to hold (a heavier glob listed after a lighter one, a
// case-sensitive suffix beside a case-insensitive one, the same name in two
// directories). Every description must still be the database's own.
#include "scan/type_table.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString databaseComment(const QByteArray &name)
{
    return QMimeDatabase()
        .mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension)
        .comment();
}

struct TestType
{
    const char *name;
    const char *comment;
    const char *globs; // <glob> elements
};

// Globs of the directory that takes precedence.
const TestType kUpperTypes[] = {
    { "application/x-qv-lower", "qv lower", R"(<glob pattern="*.qa"/>)" },
    { "application/x-qv-upper", "qv upper",
      R"(<glob pattern="*.QA" case-sensitive="true" weight="60"/>)" },
    { "application/x-qv-txt", "qv txt",
      R"(<glob pattern="*.txt" weight="40"/><glob pattern="qvlit" weight="30"/>
         <glob pattern="makefile" weight="30"/>)" },
    { "application/x-qv-heavy", "qv heavy",
      R"(<glob pattern="*.qh" weight="90"/><glob pattern="qvboth"/>)" },
    { "application/x-qv-light", "qv light",
      R"(<glob pattern="*.long.qh" weight="30"/><glob pattern="qvboth" weight="30"/>
         <glob pattern="qvpre*" weight="60"/><glob pattern="*.qz" weight="20"/>)" },
    { "application/x-qv-cased", "qv cased", R"(<glob pattern="*.Q[0-9]" case-sensitive="true"/>)" },
};

// Globs of the directory below it (and above the system's).
const TestType kLowerTypes[] = {
    { "application/x-qv-light", "qv light", R"(<glob pattern="qvboth" weight="60"/>)" },
    { "application/x-qv-below", "qv below",
      R"(<glob pattern="qvlit" weight="30"/><glob pattern="*.qa" weight="90"/>)" },
};

bool writePackage(const QString &folder, const TestType *types, size_t count)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
)";
    for (size_t i = 0; i < count; ++i)
        xml += QByteArray("<mime-type type=\"") + types[i].name + "\"><comment>" + types[i].comment
            + "</comment>" + types[i].globs + "</mime-type>\n";
    xml += "</mime-info>\n";
    if (!QDir().mkpath(folder + QStringLiteral("/mime/packages")))
        return false;
    QFile file(folder + QStringLiteral("/mime/packages/quorvel-test.xml"));
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.flush())
        return false;
    QProcess update;
    update.start(QStringLiteral("update-mime-database"), { folder + QStringLiteral("/mime") });
    return update.waitForFinished() && update.exitStatus() == QProcess::NormalExit
        && update.exitCode() == 0;
}

} // namespace

class TestTypeRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Before the first use of the database, which reads the
        // directories once.
        QVERIFY(m_folder.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QSKIP("update-mime-database (shared-mime-info) is not installed");
        const QString upper = m_folder.filePath(QStringLiteral("upper"));
        const QString lower = m_folder.filePath(QStringLiteral("lower"));
        QVERIFY(writePackage(upper, kUpperTypes, std::size(kUpperTypes)));
        QVERIFY(writePackage(lower, kLowerTypes, std::size(kLowerTypes)));
        QByteArray system = qgetenv("XDG_DATA_DIRS");
        if (system.isEmpty())
            system = "/usr/local/share:/usr/share";
        qputenv("XDG_DATA_DIRS", QFile::encodeName(upper + u':' + lower) + ':' + system);
        QStandardPaths::setTestModeEnabled(true);
    }

    void precedence_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("expected");
        // A case-sensitive suffix counts only when the name has no other.
        QTest::newRow("case-insensitive suffix first") << QByteArray("f.QA") << "qv lower";
        // A suffix in a directory ends the search before the lower ones.
        QTest::newRow("directory precedence") << QByteArray("a.txt") << "qv txt";
        QTest::newRow("lower directory not reached") << QByteArray("f.qa") << "qv lower";
        // The longest suffix wins over a heavier shorter one.
        QTest::newRow("longest suffix") << QByteArray("f.long.qh") << "qv light";
        QTest::newRow("heavier suffix") << QByteArray("f.qh") << "qv heavy";
        // Literal names of every directory meet: the heavier replaces the
        // lighter found before it, ...
        QTest::newRow("heavier literal later")
            << QByteArray("makefile")
            << QMimeDatabase().mimeTypeForName(QStringLiteral("text/x-makefile")).comment();
        // ... a type once passed over stays out, ...
        QTest::newRow("passed-over type") << QByteArray("qvboth") << "qv heavy";
        // ... and among equals the type name that sorts first wins.
        QTest::newRow("equal literals") << QByteArray("qvlit") << "qv below";
        // A prefix glob of higher weight beats a suffix glob only when no
        // suffix matched.
        QTest::newRow("prefix glob") << QByteArray("qvpre.txt") << "qv txt";
        QTest::newRow("prefix glob alone") << QByteArray("qvpre.x") << "qv light";
    }

    void precedence()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, expected);
        const TypeTable table;
        QVERIFY(table.isComplete());
        QCOMPARE(databaseComment(name), expected);
        QCOMPARE(table.description(name), expected);
    }

    // Names near the globs above, against the database.
    void neighbours()
    {
        const TypeTable table;
        const QByteArrayList names {
            "f.qa",      "f.QA",        "f.Qa",    "F.QA.qa",   "x.qa.QA", "a.txt",
            "A.TXT",     "qvlit",       "QVLIT",   "qvlit.txt", "f.qh",    "f.long.qh",
            "f.LONG.qh", "f.Long.QH",   "long.qh", ".qh",       "qvpre",   "QVPRE",
            "qvpre.x",   "qvpre.qz",    "x.qz",    "qvboth",    "QvBoth",  "makefile",
            "Makefile",  "makefile.qz", "core",    "x.c",       "x.C",
        };
        for (const QByteArray &name : names)
            QVERIFY2(table.description(name) == databaseComment(name), name.constData());
        QCOMPARE(table.databaseLookups(), quint64(0));
        // A case-sensitive glob with a character class: a name it matches
        // only in another letter case is asked of the database, since the
        // table does not know whether the database folds case there.
        for (const QByteArray name : { "x.Q1", "x.q1", "x.Q", "x.Q12" })
            QVERIFY2(table.description(name) == databaseComment(name), name.constData());
        QCOMPARE(table.databaseLookups(), quint64(1));
    }

    // Directories the table does not understand leave every name to the
    // database.
    void incomplete()
    {
        const QString noCache = m_folder.filePath(QStringLiteral("nocache/mime"));
        QVERIFY(QDir().mkpath(noCache));
        QVERIFY(QFile::copy(m_folder.filePath(QStringLiteral("upper/mime/globs2")),
                            noCache + QStringLiteral("/globs2")));
        const TypeTable table({ noCache });
        QVERIFY(!table.isComplete());
        for (const QByteArray name : { "a.txt", "f.QA", "Makefile" })
            QCOMPARE(table.description(name), databaseComment(name));
        QCOMPARE(table.databaseLookups(), quint64(3));

        // A directory that deletes the globs of those below it.
        const TestType deleting[]
            = { { "text/plain", "replaced", R"(<glob-deleteall/><glob pattern="*.qd"/>)" } };
        const QString deletingFolder = m_folder.filePath(QStringLiteral("deleting"));
        QVERIFY(writePackage(deletingFolder, deleting, std::size(deleting)));
        const TypeTable stacked(QStringList { deletingFolder + QStringLiteral("/mime") }
                                + QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                            QStringLiteral("mime"),
                                                            QStandardPaths::LocateDirectory));
        QVERIFY(!stacked.isComplete());
        QCOMPARE(stacked.description("a.txt"), databaseComment("a.txt"));

        const TypeTable none(QStringList {});
        QVERIFY(!none.isComplete());
        QCOMPARE(none.description("x.pdf"), databaseComment("x.pdf"));
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestTypeRules)
#include "tst_type_rules.moc"
