// The list as CSV and JSON Lines records, from a list made here: the exact
// bytes of both formats, values that could not be read, and characters that
// need quoting or escaping. The records of a real tree, against the files'
// own data, are checked end to end in tst_quorvel_list_records.
#include "output/listing_records.h"
#include "output/page_stream.h"
#include "scan/result_list.h"
#include "support/file_bytes.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

// 2024-03-05 14:07:09 and 2024-03-06 09:00:01 UTC.
constexpr qint64 kCreated = 1709647629;
constexpr qint64 kChanged = 1709715601;

QByteArray records(const ResultList &list, RecordFormat format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PageStream stream(&buffer);
    if (!stream.open())
        return "NOT OPENED";
    WriteListingRecords(list, format, stream);
    return stream.commit() ? buffer.data() : QByteArray("FAILED");
}

} // namespace

class TestListingRecords : public QObject
{
    Q_OBJECT

    ResultList m_list;

private slots:
    void initTestCase();
    void csv();
    void jsonLines();
    // A stream that cannot be written stops the records and says so.
    void refusedWrite();
};

void TestListingRecords::initTestCase()
{
    // A folder with everything known; a file with every odd character a
    // name can hold; a file of which nothing could be read; a name that
    // is not UTF-8; the root folder.
    m_list.addFolderRow(QStringLiteral("/d"), "/d",
                        { 5000000000, QStringLiteral("folder"), kCreated, kChanged, 1 | 2 }, 3);
    m_list.addFileRow("a,\"b\"\r\n\t\\\x01\x7f\xc3\xa9.txt", "/d",
                      { 12, QStringLiteral("plain, \"text\""), kCreated, kChanged, 0 });
    m_list.addFileRow("gone", "/d", { std::nullopt, {}, std::nullopt, std::nullopt, 300 });
    m_list.addFileRow("x\xff.bin", "/d\xfe",
                      { 0, QStringLiteral("unknown"), kCreated, kChanged, 32 | 4 });
    m_list.addFolderRow(QStringLiteral("/"), "/", { 7, QStringLiteral("folder"), 0, -1, 0 },
                        std::nullopt);
    // A row that is neither folder nor file is not a record.
    m_list.addRow(QStringLiteral("other"));
}

void TestListingRecords::csv()
{
    compareBytes(
        records(m_list, RecordFormat::Csv),
        "kind,path,name,size,files,modified,created,attributes,type\r\n"
        "folder,/d,d,5000000000,3,2024-03-06T09:00:01Z,2024-03-05T14:07:09Z,RH,folder\r\n"
        "file,\"/d/"
        "a,\"\"b\"\"\r\n\t\\\x01\x7f\xc3\xa9.txt\",\"a,\"\"b\"\"\r\n\t\\\x01\x7f\xc3\xa9.txt\","
        "12,,2024-03-06T09:00:01Z,2024-03-05T14:07:09Z,,\"plain, \"\"text\"\"\"\r\n"
        "file,/d/gone,gone,,,,,,\r\n"
        "file,/d\xef\xbf\xbd/x\xef\xbf\xbd.bin,x\xef\xbf\xbd.bin,0,,"
        "2024-03-06T09:00:01Z,2024-03-05T14:07:09Z,AS,unknown\r\n"
        "folder,/,/,7,,1969-12-31T23:59:59Z,1970-01-01T00:00:00Z,,folder\r\n");
}

void TestListingRecords::jsonLines()
{
    compareBytes(
        records(m_list, RecordFormat::JsonLines),
        R"({"kind":"folder","path":"/d","name":"d","size":5000000000,"files":3,)"
        R"("modified":"2024-03-06T09:00:01Z","created":"2024-03-05T14:07:09Z","attributes":"RH","type":"folder"})"
        "\n"
        R"({"kind":"file","path":"/d/a,\"b\"\r\n\t\\\u0001)"
        "\x7f\xc3\xa9"
        R"(.txt","name":"a,\"b\"\r\n\t\\\u0001)"
        "\x7f\xc3\xa9"
        R"(.txt",)"
        R"("size":12,"files":null,"modified":"2024-03-06T09:00:01Z","created":"2024-03-05T14:07:09Z",)"
        R"("attributes":"","type":"plain, \"text\""})"
        "\n"
        R"({"kind":"file","path":"/d/gone","name":"gone","size":null,"files":null,"modified":null,)"
        R"("created":null,"attributes":null,"type":null})"
        "\n"
        R"({"kind":"file","path":"/d)"
        "\xef\xbf\xbd"
        R"(/x)"
        "\xef\xbf\xbd"
        R"(.bin","name":"x)"
        "\xef\xbf\xbd"
        R"(.bin",)"
        R"("size":0,"files":null,"modified":"2024-03-06T09:00:01Z","created":"2024-03-05T14:07:09Z",)"
        R"("attributes":"AS","type":"unknown","path_hex":"2f64fe2f78ff2e62696e"})"
        "\n"
        R"({"kind":"folder","path":"/","name":"/","size":7,"files":null,)"
        R"("modified":"1969-12-31T23:59:59Z","created":"1970-01-01T00:00:00Z","attributes":"","type":"folder"})"
        "\n");
    // Each line is JSON a reader takes, with the name as it was.
    const QList<QByteArray> lines = records(m_list, RecordFormat::JsonLines).split('\n');
    QJsonParseError error;
    const QJsonObject odd = QJsonDocument::fromJson(lines.at(1), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(odd.value(QStringLiteral("name")).toString(),
             QString::fromUtf8("a,\"b\"\r\n\t\\\x01\x7f\xc3\xa9.txt"));
}

void TestListingRecords::refusedWrite()
{
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    PageStream stream(&readOnly);
    WriteListingRecords(m_list, RecordFormat::Csv, stream);
    QVERIFY(!stream.commit());
}
QTEST_GUILESS_MAIN(TestListingRecords)
#include "tst_listing_records.moc"
