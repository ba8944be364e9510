// The window's status lines: a long line is shortened in the middle where it
// is drawn, keeps its whole text, and never widens the window.

#include "ui/status_line.h"
#include "ui/window_fixture.h"

#include <QtTest>

class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void longLineIsShortenedInTheMiddle();
};

void TestStatusLine::longLineIsShortenedInTheMiddle()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    UseTemporaryPreferenceStore(dir);
    ProgramRun run(dir.path());
    run.window->show();
    auto *line = run.window->findChild<StatusLine *>(QStringLiteral("lblNewFile"));
    QVERIFY(line);
    const QSize windowMinimum = run.window->minimumSizeHint();

    const QString shortLine = QStringLiteral("List ready.");
    line->setText(shortLine);
    QCOMPARE(line->shownText(), shortLine);

    const QString longLine = QStringLiteral("Searching for '*' in '/")
        + QStringLiteral("a very long folder name/").repeated(40) + QStringLiteral("' (recursive)");
    line->setText(longLine);
    QCOMPARE(line->text(), longLine);
    const QString shown = line->shownText();
    QVERIFY(shown.size() < longLine.size());
    QVERIFY2(shown.startsWith(QStringLiteral("Searching for")), qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("(recursive)")), qPrintable(shown));
    QVERIFY(shown.contains(QChar(0x2026)));
    QCOMPARE(run.window->minimumSizeHint(), windowMinimum);
}

QTEST_MAIN(TestStatusLine)
#include "tst_status_line.moc"
