// ItemClick and ItemCheck.
#include "scan/item_events.h"
#include "scan/result_list.h"

#include <QTest>

namespace {

// F = folder row, f = file row; checks as 1/0 per row.
void fill(ResultList &list, const QString &kinds, const QString &checks)
{
    for (qsizetype row = 0; row < kinds.size(); ++row) {
        if (kinds[row] == u'F')
            list.addFolderRow(QStringLiteral("/d"), "/d", {}, 0);
        else
            list.addFileRow("x", "/d", {});
        list.setChecked(int(row), checks[row] == u'1');
    }
}

QString checks(const ResultList &list)
{
    QString out;
    for (int row = 0; row < list.count(); ++row)
        out += list.checked(row) ? u'1' : u'0';
    return out;
}

} // namespace

class TestItemEvents : public QObject
{
    Q_OBJECT

private slots:
    void itemCheck_data()
    {
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QString>("before"); // after the user's toggle
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("after");
        const auto row
            = [](const char *name, const char *kinds, const char *before, int row,
                 const char *after) { QTest::newRow(name) << kinds << before << row << after; };
        // The folder was unchecked: its files are inverted one by one, up to
        // the next folder row.
        row("all checked", "FfffFff", "0111111", 0, "0000111");
        row("inverted, not set", "FfffFff", "0101111", 0, "0010111");
        row("checked again", "FfffFff", "1000111", 0, "1111111");
        row("second folder", "FfFff", "11011", 2, "11000");
        row("folder then folder", "FFff", "0111", 0, "0111");
        row("last row", "Fff", "110", 2, "110");
        row("last row is a folder", "FfF", "110", 2, "110");
        row("file row", "Fff", "101", 1, "101");
    }

    void itemCheck()
    {
        QFETCH(QString, kinds);
        QFETCH(QString, before);
        QFETCH(int, row);
        QFETCH(QString, after);
        ResultList list;
        fill(list, kinds, before);
        int currentItem = -1;
        ItemCheck(list, currentItem, row);
        QCOMPARE(checks(list), after);
        QCOMPARE(currentItem, row);
        QVERIFY(list.selected(row));
    }

    void itemClick()
    {
        ResultList list;
        fill(list, QStringLiteral("Fff"), QStringLiteral("111"));
        int currentItem = 0;
        ItemClick(list, currentItem, 2);
        QCOMPARE(currentItem, 2);
        QCOMPARE(checks(list), QStringLiteral("111"));
        ItemClick(list, currentItem, 7); // not a row: nothing changes
        QCOMPARE(currentItem, 2);
    }
};

QTEST_GUILESS_MAIN(TestItemEvents)
#include "tst_item_events.moc"
