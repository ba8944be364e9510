#include "scan/result_list.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

ResultList::Properties properties(qint64 bytes, const QString &type, qint64 attributes)
{
    ResultList::Properties p;
    p.sizeBytes = bytes;
    p.type = type;
    p.createdSecs = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)).toSecsSinceEpoch();
    p.modifiedSecs = QDateTime(QDate(2024, 3, 6), QTime(0, 0)).toSecsSinceEpoch();
    p.attributes = attributes;
    return p;
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
        const int folder = list.addFolderRow(u"/data/sub"_qs, "/data/sub",
                                             properties(1536 * 1024, u"folder"_qs, 16), 1234);
        const int file
            = list.addFileRow("a.txt", "/data/sub", properties(512, u"plain text"_qs, 1 | 2));
        const int rootFile = list.addFileRow("r", "/", properties(0, u"plain text"_qs, 300));

        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(folder), u"/data/sub"_qs);
        QCOMPARE(subItems(list, folder),
                 (QStringList { u"/data/sub"_qs, u"FOLDER"_qs, u"1,536"_qs, u"folder"_qs,
                                u"3/5/24 2:07:09 PM"_qs, u"3/6/24"_qs, QString(), u"1,234"_qs }));
        QCOMPARE(list.text(file), u"    a.txt"_qs);
        QCOMPARE(subItems(list, file),
                 (QStringList { u"/data/sub/"_qs, u"FILE"_qs, u"1"_qs, u"plain text"_qs,
                                u"3/5/24 2:07:09 PM"_qs, u"3/6/24"_qs, u"RH"_qs, QString() }));
        QCOMPARE(list.sizeNumber(file), std::optional<double>(1));
        QCOMPARE(list.nameBytes(file), QByteArray("a.txt"));

        // The root keeps its single separator; an attribute value above 255 shows nothing.
        QCOMPARE(list.subItem(rootFile, 1), u"/"_qs);
        QCOMPARE(list.pathBytes(rootFile), QByteArray("/"));
        QCOMPARE(list.subItem(rootFile, 7), QString());

        QVERIFY(list.checked(folder) && list.checked(file));
        QVERIFY(list.rowBold(folder) && !list.rowBold(file));
        QCOMPARE(list.rowColor(folder), std::optional<ResultList::Rgb>(0x000000));
        QCOMPARE(list.rowColor(file), std::optional<ResultList::Rgb>(0x666666));
        for (int s = 3; s <= 7; ++s) {
            QVERIFY(list.subItemBold(folder, s));
            QCOMPARE(list.subItemColor(folder, s), std::optional<ResultList::Rgb>(0));
            QVERIFY(!list.subItemBold(file, s));
            QVERIFY(!list.subItemColor(file, s));
        }
        QVERIFY(!list.subItemBold(folder, 1) && !list.subItemBold(folder, 8));
    }

    // Names that are not UTF-8, and texts larger than the arena's chunk,
    // come back as the same bytes.
    void fileSystemBytesComeBackWhole()
    {
        ResultList list;
        const QByteArray name("bad\xff.txt"), big(3 << 20, 'x');
        list.addFileRow(name, "/d\xfe", {});
        list.addFileRow(big, "/d", {});
        list.addFileRow("after", "/d", {});
        QCOMPARE(list.text(0), u"    bad\uFFFD.txt"_qs);
        QCOMPARE(list.nameBytes(0), name);
        QCOMPARE(list.pathBytes(0), QByteArray("/d\xfe/"));
        QCOMPARE(list.subItem(0, 3), QString());
        QVERIFY(!list.sizeNumber(0));
        QCOMPARE(list.nameBytes(1), big);
        QCOMPARE(list.nameBytes(2), QByteArray("after"));
    }

    void genericOperations()
    {
        ResultList list;
        list.setLocale(QLocale(QLocale::German, QLocale::Germany));
        const int row = list.addRow(u"plain"_qs);
        QVERIFY(!list.checked(row) && !list.rowBold(row));
        QCOMPARE(subItems(list, row), QStringList(8, QString()));
        list.setSubItem(row, 2, u"FOLDER"_qs);
        QVERIFY(list.isFolderRow(row));
        list.setSubItem(row, 2, u"folder"_qs); // the marker is compared exactly
        QCOMPARE(list.kind(row), ResultList::Kind::Other);
        list.setSubItem(row, 3, u"1.536"_qs);
        QCOMPARE(list.sizeNumber(row), std::optional<double>(1536));
        list.setSubItem(row, 3, u"n/a"_qs);
        QVERIFY(!list.sizeNumber(row));
        // Two sub-items with their own colours: more than the row's one sub-item colour.
        list.setSubItemStyle(row, 3, 0x111111, true);
        list.setSubItemStyle(row, 4, 0x222222, false);
        QCOMPARE(list.subItemColor(row, 3), std::optional<ResultList::Rgb>(0x111111));
        QCOMPARE(list.subItemColor(row, 4), std::optional<ResultList::Rgb>(0x222222));
        QVERIFY(list.subItemBold(row, 3) && !list.subItemBold(row, 4));
    }

    void removeKeepsLaterRowsWrittenTexts()
    {
        ResultList list;
        for (int i = 0; i < 4; ++i) {
            list.addRow(u"row %1"_qs.arg(i));
            list.setSubItem(i, 4, u"type %1"_qs.arg(i));
        }
        list.setSubItemStyle(3, 5, 0x00ff00, false);
        list.setSubItemStyle(3, 6, 0x0000ff, false);
        list.removeAt(1);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(1), u"row 2"_qs);
        QCOMPARE(list.subItem(0, 4), u"type 0"_qs);
        QCOMPARE(list.subItem(1, 4), u"type 2"_qs);
        QCOMPARE(list.subItem(2, 4), u"type 3"_qs);
        QCOMPARE(list.subItemColor(2, 6), std::optional<ResultList::Rgb>(0x0000ff));
        list.removeAt(7); // out of range: nothing
        QCOMPARE(list.count(), 3);
    }

    void viewsSeeRowsWhenPublished()
    {
        ResultList list;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 1000; ++i)
            list.addFileRow("f" + QByteArray::number(i), "/d", properties(i, u"t"_qs, 0));
        QCOMPARE(list.count(), 1000);
        QCOMPARE(list.rowCount(), 0);
        list.publishRows();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(list.rowCount(), 1000);

        const QModelIndex first = list.index(0, 0);
        QCOMPARE(list.data(first, Qt::DisplayRole).toString(), u"    f0"_qs);
        QCOMPARE(list.data(first, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
        QCOMPARE(list.data(first, ResultList::TextColorRole).toUInt(), 0x666666u);
        QCOMPARE(list.data(first, ResultList::BoldRole).toBool(), false);
        QVERIFY(list.flags(first) & Qt::ItemIsUserCheckable);
        QVERIFY(!(list.flags(list.index(0, 1)) & Qt::ItemIsUserCheckable));

        QSignalSpy checks(&list, &ResultList::itemCheck);
        QVERIFY(list.setData(first, Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(checks.count(), 1);
        QCOMPARE(checks.first().first().toInt(), 0);
        QVERIFY(!list.checked(0));

        list.removeAt(999);
        list.addRow(u"late"_qs);
        list.publishRows();
        QCOMPARE(list.rowCount(), 1000);
        QCOMPARE(list.data(list.index(999, 0), Qt::DisplayRole).toString(), u"late"_qs);
        list.clear();
        QCOMPARE(list.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestResultList)
#include "tst_result_list.moc"
