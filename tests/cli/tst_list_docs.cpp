// The man page and the bash completion of quorvel-list against what the
// program itself knows: the options of its --help and its settings keys.
#include "app/option_table.h"
#include "support/file_bytes.h"
#include "support/list_process.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The options in the option column of --help: "  -p, --pattern TEXT" and
// "      --set KEY=VALUE".
QStringList helpOptions(const QString &help)
{
    static const QRegularExpression optionLine(
        QStringLiteral(R"(^(?:  (-\w), (--[\w-]+)|      (--[\w-]+)))"),
        QRegularExpression::MultilineOption);
    QStringList options;
    for (const QRegularExpressionMatch &match : optionLine.globalMatch(help)) {
        for (int group = 1; group <= 3; ++group) {
            if (match.hasCaptured(group))
                options.append(match.captured(group));
        }
    }
    return options;
}

// The options that head the entries (the line after ".TP") of the man page's
// OPTIONS section.
QStringList manOptions(const QString &page)
{
    const qsizetype start = page.indexOf(QStringLiteral("\n.SH OPTIONS\n"));
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    const QStringList lines = page.mid(start, end - start).split(u'\n');
    static const QRegularExpression option(QStringLiteral(R"(\\-(?:\\-[\w\\-]+|\w))"));
    QStringList options;
    for (qsizetype k = 1; k < lines.size(); ++k) {
        if (lines[k - 1] != QStringLiteral(".TP"))
            continue;
        for (const QRegularExpressionMatch &match : option.globalMatch(lines[k]))
            options.append(match.captured().remove(u'\\'));
    }
    return options;
}

} // namespace

class TestListDocs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_helpOptions;

    // What the completion offers with the cursor at the end of line, run in
    // the test's folder. breaks replaces bash's own COMP_WORDBREAKS.
    QStringList complete(const QString &line, const QString &breaks = {})
    {
        const QString script = QStringLiteral(
            R"(compopt() { :; }; source "$1"; [ -z "$3" ] || COMP_WORDBREAKS=$3;
               COMP_LINE=$2; COMP_POINT=${#2}; _quorvel_list; printf '%s\n' "${COMPREPLY[@]}")");
        const ListRun run
            = RunProgram(QStringLiteral("bash"),
                         { QStringLiteral("-c"), script, QStringLiteral("bash"),
                           qEnvironmentVariable("QUORVEL_LIST_COMPLETION"), line, breaks },
                         m_dir.path());
        if (run.exitCode != 0 || !run.err.isEmpty())
            return { QStringLiteral("<failed: ") + QString::fromUtf8(run.err) + u'>' };
        return QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        const ListRun help
            = RunProgram(qEnvironmentVariable("QUORVEL_LIST"), { QStringLiteral("--help") });
        QCOMPARE(help.exitCode, 0);
        m_helpOptions = helpOptions(QString::fromUtf8(help.out));
        QVERIFY2(m_helpOptions.contains(QStringLiteral("--set"))
                     && m_helpOptions.contains(QStringLiteral("-p")),
                 qPrintable(m_helpOptions.join(u' ')));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder one")));
        QVERIFY(writeAll(m_dir.filePath(QStringLiteral("found.html")), "x"));
    }

    void manPageListsTheHelpOptions()
    {
        const QString page = QString::fromUtf8(readAll(qEnvironmentVariable("QUORVEL_LIST_MAN")));
        QCOMPARE(sorted(manOptions(page)), sorted(m_helpOptions));
    }

    void completionOffersTheHelpOptions()
    {
        QCOMPARE(sorted(complete(QStringLiteral("quorvel-list -"))), sorted(m_helpOptions));
        QCOMPARE(complete(QStringLiteral("quorvel-list --with")),
                 QStringList { QStringLiteral("--with-files") });
    }

    // Every key of the table, and True/False after exactly the yes/no ones.
    void completionOffersTheSettingsKeys()
    {
        QStringList keys;
        for (const OptionRow &key : SettingsFileOptions()) {
            keys.append(key.key + u'=');
            const QStringList values = key.kind == OptionKind::YesNo
                ? QStringList { QStringLiteral("True"), QStringLiteral("False") }
                : QStringList();
            QCOMPARE(complete(QStringLiteral("quorvel-list --set ") + key.key + u'='), values);
        }
        QCOMPARE(complete(QStringLiteral("quorvel-list --set ")), keys);
        QCOMPARE(
            complete(QStringLiteral("quorvel-list --set sgDir")),
            (QStringList { QStringLiteral("sgDirColor="), QStringLiteral("sgDirFontColor=") }));
    }

    // Bash completes only what follows the last "=" unless "=" is taken out
    // of its word breaks.
    void completionAfterAnEqualsSign_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("breaks");
        QTest::addColumn<QStringList>("expected");
        const QString noEquals = QStringLiteral(" \t\n\"'><;|&(:");
        QTest::newRow("value of a key") << "quorvel-list --set bgToggle=F" << QString()
                                        << QStringList { QStringLiteral("False") };
        QTest::newRow("--set=key=value") << "quorvel-list --set=bgHover=T" << QString()
                                         << QStringList { QStringLiteral("True") };
        QTest::newRow("key without = as a break")
            << "quorvel-list --set bgToggle=T" << noEquals
            << QStringList { QStringLiteral("bgToggle=True") };
        QTest::newRow("--set=key without = as a break")
            << "quorvel-list --set=bgLi" << noEquals
            << QStringList { QStringLiteral("--set=bgLink=") };
        QTest::newRow("--format=value")
            << "quorvel-list --format=j" << QString() << QStringList { QStringLiteral("jsonl") };
        QTest::newRow("--output=file")
            << "quorvel-list --output=fo" << QString()
            << QStringList { QStringLiteral("folder one"), QStringLiteral("found.html") };
    }
    void completionAfterAnEqualsSign()
    {
        QFETCH(QString, line);
        QFETCH(QString, breaks);
        QFETCH(QStringList, expected);
        QCOMPARE(sorted(complete(line, breaks)), expected);
    }

    // Files after the options that take one, folders for FOLDER.
    void completionOffersFilesAndFolders()
    {
        const QStringList both { QStringLiteral("folder one"), QStringLiteral("found.html") };
        QCOMPARE(sorted(complete(QStringLiteral("quorvel-list -s f"))), both);
        QCOMPARE(sorted(complete(QStringLiteral("quorvel-list --output f"))), both);
        QCOMPARE(complete(QStringLiteral("quorvel-list --text f")),
                 QStringList { QStringLiteral("folder one") });
        QCOMPARE(complete(QStringLiteral("quorvel-list --pattern f")), QStringList());
        QCOMPARE(complete(QStringLiteral("quorvel-list --exclude f")), QStringList());
        QCOMPARE(sorted(complete(QStringLiteral("quorvel-list --format "))),
                 (QStringList { QStringLiteral("csv"), QStringLiteral("jsonl"),
                                QStringLiteral("page"), QStringLiteral("text") }));
    }
};

QTEST_GUILESS_MAIN(TestListDocs)
#include "tst_list_docs.moc"
