#include "scan/result_list.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

ResultList::Properties properties(qint64 bytes, const QString &type, qint64 attributes)
{
    return { bytes, type, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)).toSecsSinceEpoch(),
             QDateTime(QDate(2024, 3, 6), QTime(0, 0)).toSecsSinceEpoch(), attributes };
}

QStringList subItems(const ResultList &list, int row)
{
    QStringList out;
    for (int s = 1; s <= 8; ++s)
        out << list.subItem(row, s);
    return out;
}
} // namespace

class TestResultList : public QObject
{
    Q_OBJECT

private slots:
    void scannerRowsCarryTheirCells()
    {
        ResultList list;
        list.setLocale(kEnglish);
        const int folder
            = list.addFolderRow(QStringLiteral("/data/sub"), "/data/sub",
                                properties(1536 * 1024, QStringLiteral("folder"), 16), 1234);
        const int file = list.addFileRow("a.txt", "/data/sub",
                                         properties(512, QStringLiteral("plain text"), 1 | 2));
        const int rootFile
            = list.addFileRow("r", "/", properties(0, QStringLiteral("plain text"), 300));

        QCOMPARE(list.text(folder), QStringLiteral("/data/sub"));
        QCOMPARE(subItems(list, folder),
                 (QStringList { QStringLiteral("/data/sub"), QStringLiteral("FOLDER"),
                                QStringLiteral("1,536"), QStringLiteral("folder"),
                                QStringLiteral("3/5/24 2:07:09 PM"), QStringLiteral("3/6/24"),
                                QString(), QStringLiteral("1,234") }));
        QCOMPARE(subItems(list, file),
                 (QStringList { QStringLiteral("/data/sub/"), QStringLiteral("FILE"),
                                QStringLiteral("1"), QStringLiteral("plain text"),
                                QStringLiteral("3/5/24 2:07:09 PM"), QStringLiteral("3/6/24"),
                                QStringLiteral("RH"), QString() }));

        // The root keeps its single separator; an attribute value above 255 shows nothing.
        QCOMPARE(list.subItem(rootFile, 1), QStringLiteral("/"));
        QCOMPARE(list.pathBytes(rootFile), QByteArray("/"));
        QCOMPARE(list.subItem(rootFile, 7), QString());

        QVERIFY(list.rowBold(folder) && !list.rowBold(file));
    }

    // The values behind the cells come back as numbers, also after a cell
    // was written as text; what could not be read stays missing.
    void scannerValuesComeBackAsNumbers()
    {
        ResultList list;
        const ResultList::Properties given = properties(5'000'000'000, u"folder"_qs, 1 | 32);
        const int folder = list.addFolderRow(u"/data"_qs, "/data", given, 7);
        const int file = list.addFileRow("a", "/data", { std::nullopt, {}, std::nullopt, 99, 300 });
        list.setSubItem(folder, 3, u"written"_qs);
        list.setSubItem(folder, 8, u"written"_qs);

        const ResultList::Properties back = list.properties(folder);
        QCOMPARE(back.sizeBytes, given.sizeBytes);
        QCOMPARE(back.type, given.type);
        QCOMPARE(back.createdSecs, given.createdSecs);
        QCOMPARE(back.modifiedSecs, given.modifiedSecs);
        QCOMPARE(back.attributes, given.attributes);
        QCOMPARE(list.fileCount(folder), std::optional<qint64>(7));

        const ResultList::Properties missing = list.properties(file);
        QVERIFY(!missing.sizeBytes && !missing.createdSecs && !missing.attributes);
        QCOMPARE(missing.modifiedSecs, std::optional<qint64>(99));
        QCOMPARE(missing.type, QString());
        QCOMPARE(list.fileCount(file), std::nullopt);
    }

    // Names that are not UTF-8, and texts larger than the arena's chunk, come back whole.
    void fileSystemBytesComeBackWhole()
    {
        ResultList list;
        const QByteArray name("bad\xff.txt"), big(3 << 20, 'x');
        list.addFileRow(name, "/d\xfe", {});
        list.addFileRow(big, "/d", {});
        list.addFileRow("after", "/d", {});
        QCOMPARE(list.text(0), QStringLiteral("    bad\uFFFD.txt"));
        QCOMPARE(list.nameBytes(0), name);
        QCOMPARE(list.pathBytes(0), QByteArray("/d\xfe/"));
        QCOMPARE(list.nameBytes(1), big);
        QCOMPARE(list.nameBytes(2), QByteArray("after"));
    }

    // Written texts and two styled sub-items of one row survive removing an earlier row.
    void genericRowsAndRemoval()
    {
        ResultList list;
        list.setLocale(QLocale(QLocale::German, QLocale::Germany));
        for (int i = 0; i < 4; ++i) {
            list.addRow(QStringLiteral("row %1").arg(i));
            list.setSubItem(i, 4, QStringLiteral("type %1").arg(i));
        }
        list.setSubItem(0, 2, QStringLiteral("FOLDER"));
        QVERIFY(list.isFolderRow(0));
        list.setSubItem(0, 2, QStringLiteral("folder")); // the marker is compared exactly
        QCOMPARE(list.kind(0), ResultList::Kind::Other);
        list.setSubItem(0, 3, QStringLiteral("1.536"));
        QCOMPARE(list.sizeNumber(0), std::optional<double>(1536));
        list.setSubItem(0, 3, QStringLiteral("n/a"));
        QVERIFY(!list.sizeNumber(0));
        list.setSubItemStyle(3, 5, 0x00ff00, true);
        list.setSubItemStyle(3, 6, 0x0000ff, false);
        list.removeAt(1);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(1), QStringLiteral("row 2"));
        QCOMPARE(list.subItem(1, 4), QStringLiteral("type 2"));
        QCOMPARE(list.subItem(2, 4), QStringLiteral("type 3"));
        QCOMPARE(list.subItemColor(2, 5), std::optional<ResultList::Rgb>(0x00ff00));
        QCOMPARE(list.subItemColor(2, 6), std::optional<ResultList::Rgb>(0x0000ff));
        QVERIFY(list.subItemBold(2, 5) && !list.subItemBold(2, 6));
        list.removeAt(7); // out of range: nothing
        QCOMPARE(list.count(), 3);
    }

    void viewsSeeRowsWhenPublished()
    {
        ResultList list;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 1000; ++i)
            list.addFileRow("f" + QByteArray::number(i), "/d",
                            properties(i, QStringLiteral("t"), 0));
        QCOMPARE(list.rowCount(), 0);
        list.publishRows();
        QCOMPARE(list.rowCount(), 1000);

        const QModelIndex first = list.index(0, 0);
        QCOMPARE(list.data(first, Qt::DisplayRole).toString(), QStringLiteral("    f0"));
        QCOMPARE(list.data(first, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
        QVERIFY(list.flags(first) & Qt::ItemIsUserCheckable);

        QSignalSpy checks(&list, &ResultList::itemCheck);
        QVERIFY(list.setData(first, Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(checks.count(), 1);
        QCOMPARE(checks.first().first().toInt(), 0);
        QVERIFY(!list.checked(0));

        list.removeAt(999);
        list.addRow(QStringLiteral("late"));
        list.publishRows();
        QCOMPARE(list.rowCount(), 1000);
        QCOMPARE(list.data(list.index(999, 0), Qt::DisplayRole).toString(), QStringLiteral("late"));
        list.clear();
        QCOMPARE(list.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestResultList)
#include "tst_result_list.moc"
