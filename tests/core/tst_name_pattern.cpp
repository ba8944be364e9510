// The scanner's file-name matching rule.
#include "core/name_pattern.h"

#include <QTest>

class TestNamePattern : public QObject
{
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("name"); // file-system bytes
        QTest::addColumn<bool>("matches");

        const auto row = [](const char *pattern, const char *name, bool matches) {
            QTest::addRow("%s ~ %s", pattern, name)
                << QString::fromUtf8(pattern) << QByteArray(name) << matches;
        };
        // The tail rule: the last N characters, N the pattern's length.
        row("txt", "a.txt", true);
        row("txt", "a.txta", false);
        row("TXT", "a.txt", true);
        row("t?t", "a.txt", true);
        row("tar.gz", "x.tar.gz", true);
        row("html", "a.htm", false); // tail ".HTM"
        // The whole name when it is shorter than the pattern.
        row("a.txt", "txt", false);
        row("readme.txt", "xreadme.txt", true);
        row("v##", "v12", true);
        row("v##", "v1a", false);
        // The tail of a bracket pattern is as long as the pattern's text.
        row("[A-F]", "c", true);
        row("[A-F]", "x.c", false); // the whole name "X.C" against one character
        row("*.[A-F]", "x.c", true);
        row("*.[a-f]", "x.C", true); // both upper-cased
        row("*.[!A-F]", "x.c", false);
        row("[ACE]x", "ax", true);
        row("[A-CX-Z]", "y", true);
        row("[*]", "*", true);
        row("[#]", "1", false);
        row("a*", "ba", false); // tail "BA"
        row("a*c", "xabc", true); // tail "ABC"
        row("", "a.txt", true);
        // A pattern the rules cannot read matches everything.
        row("[ab", "zzz", true);
        // Characters beyond ASCII and beyond the BMP.
        row("ä", "Ä", true);
        row("é", "e", false);
        row("😀", "a😀", true);
        row("??", "😀", false); // one character: compared as a whole
        // Names that are not valid UTF-8: each bad byte is one character.
        row("?.txt", "\xff.txt", true);
        row("txt", "\xff\xfe.txt", true);
    }

    void matching()
    {
        QFETCH(QString, pattern);
        QFETCH(QByteArray, name);
        QFETCH(bool, matches);
        const NamePattern rule(pattern, QLocale::c());
        QCOMPARE(rule.matches(QString::fromUtf8(name)), matches);
        QCOMPARE(rule.matches(QByteArrayView(name)), matches);
    }

    void validity()
    {
        QVERIFY(NamePattern(QStringLiteral("txt")).isValid()
                && !NamePattern(QStringLiteral("txt")).matchesEverything());
        QVERIFY(NamePattern(QStringLiteral("*")).matchesEverything());
        QVERIFY(!NamePattern(QStringLiteral("[ab")).isValid()
                && NamePattern(QStringLiteral("[ab")).matchesEverything());
        QVERIFY(NamePattern(QStringLiteral("[]x")).isValid());
    }

    void turkishUpperCasing()
    {
        // In a Turkish locale "i" upper-cases to the dotted capital I, so
        // the pattern "i" does not match the name "I".
        const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        if (turkish.toUpper(QStringLiteral("i")) == QStringLiteral("I"))
            QSKIP("this Qt has no locale-specific case mapping");
        const NamePattern rule(QStringLiteral("i"), turkish);
        QVERIFY(!rule.matches(QByteArrayView("I")));
        QVERIFY(rule.matches(QByteArrayView("i")));
        QVERIFY(rule.matches(QString::fromUtf8("İ")));
    }

    // Exponential backtracking would not end within the test's time limit.
    void noBacktrackingBlowUp()
    {
        const NamePattern rule(QStringLiteral("*a").repeated(200) + u'b', QLocale::c());
        QVERIFY(!rule.matches(QString(400, u'a')));
    }
};

QTEST_GUILESS_MAIN(TestNamePattern)
#include "tst_name_pattern.moc"
