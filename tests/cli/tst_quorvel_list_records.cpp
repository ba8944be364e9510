// quorvel-list --format csv|jsonl on a real tree: each record read back
// with a CSV reader of the test's own and with QJsonDocument, and every value
// compared with what the file system says of the file itself.
#include "support/list_process.h"
#include "support/tree_fixture.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QtTest>

#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using Bytes = QByteArray;
using CsvRecords = QList<QList<Bytes>>;

const QList<Bytes> kFields { "kind",     "path",    "name",       "size", "files",
                             "modified", "created", "attributes", "type" };

// RFC 4180 text as records of fields; nullopt when the text breaks its
// rules (a bare CR or LF outside quotes, a quote inside an unquoted field,
// an unclosed quote, a last line without CR LF).
std::optional<CsvRecords> parseCsv(const Bytes &text)
{
    CsvRecords records;
    QList<Bytes> record;
    qsizetype at = 0;
    const qsizetype end = text.size();
    while (at < end) {
        Bytes field;
        if (text[at] == '"') {
            for (++at;; ++at) {
                if (at >= end)
                    return std::nullopt;
                if (text[at] == '"') {
                    if (at + 1 < end && text[at + 1] == '"') {
                        field += '"';
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += text[at];
            }
        } else {
            for (; at < end && text[at] != ',' && text[at] != '\r' && text[at] != '\n'; ++at) {
                if (text[at] == '"')
                    return std::nullopt;
                field += text[at];
            }
        }
        record.append(field);
        if (at < end && text[at] == ',') {
            ++at;
            if (at == end)
                return std::nullopt;
            continue;
        }
        if (at + 1 < end && text[at] == '\r' && text[at + 1] == '\n') {
            records.append(record);
            record.clear();
            at += 2;
            continue;
        }
        return std::nullopt;
    }
    return record.isEmpty() ? std::optional(records) : std::nullopt;
}

struct statx statusOf(const Bytes &path)
{
    struct statx status
    {
    };
    if (::statx(AT_FDCWD, path.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
        qFatal("cannot stat %s", path.constData());
    return status;
}

Bytes isoUtc(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate).toLatin1();
}

// The entries of a folder, without "." and "..".
QList<Bytes> entriesOf(const Bytes &folder)
{
    QList<Bytes> names;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        qFatal("cannot list %s", folder.constData());
    while (const struct dirent *entry = ::readdir(dir)) {
        const Bytes name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

bool isFolder(const Bytes &path)
{
    return S_ISDIR(statusOf(path).stx_mode);
}

// All file bytes in a folder and below it.
qint64 treeBytes(const Bytes &folder)
{
    qint64 total = 0;
    for (const Bytes &name : entriesOf(folder)) {
        const Bytes path = folder + '/' + name;
        total += isFolder(path) ? treeBytes(path) : qint64(statusOf(path).stx_size);
    }
    return total;
}

// A record as the file system has it; texts as UTF-8, the path as bytes.
struct Expected
{
    Bytes kind;
    Bytes path; // exact
    Bytes name; // exact
    qint64 size = 0;
    std::optional<qint64> files;
    Bytes modified;
    Bytes created;
    Bytes attributes;
    Bytes type;
};

Expected fromDisk(const Bytes &path)
{
    const struct statx status = statusOf(path);
    Expected expected;
    expected.path = path;
    expected.name = path.mid(path.lastIndexOf('/') + 1);
    const bool folder = S_ISDIR(status.stx_mode);
    expected.kind = folder ? "folder" : "file";
    expected.size = folder ? treeBytes(path) : qint64(status.stx_size);
    if (folder) {
        const QList<Bytes> names = entriesOf(path);
        expected.files = std::count_if(names.begin(), names.end(), [&](const Bytes &name) {
            return !isFolder(path + '/' + name);
        });
    }
    expected.modified = isoUtc(status.stx_mtime.tv_sec);
    expected.created = isoUtc((status.stx_mask & STATX_BTIME) ? status.stx_btime.tv_sec
                                                              : status.stx_ctime.tv_sec);
    if (!(status.stx_mode & S_IWUSR))
        expected.attributes += 'R';
    if (expected.name.startsWith('.'))
        expected.attributes += 'H';
    if (!S_ISREG(status.stx_mode) && !folder && !S_ISLNK(status.stx_mode))
        expected.attributes += 'S';
    const QMimeDatabase types;
    expected.type = (folder ? types.mimeTypeForName(QStringLiteral("inode/directory"))
                            : types.mimeTypeForFile(QString::fromUtf8(expected.name),
                                                    QMimeDatabase::MatchExtension))
                        .comment()
                        .toUtf8();
    return expected;
}

// File-system bytes as the records show them.
Bytes shown(const Bytes &bytes)
{
    return QString::fromUtf8(bytes).toUtf8();
}

// Blank-separated words as arguments.
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// One JSON record against the file system's values, key for key.
void compareRecord(const QJsonObject &record, const Expected &e)
{
    const bool exact = e.path.isValidUtf8();
    QStringList keys;
    for (const Bytes &field : kFields)
        keys.append(QString::fromLatin1(field));
    if (!exact)
        keys.append(QStringLiteral("path_hex"));
    keys.sort();
    QCOMPARE(record.keys(), keys);
    const auto text
        = [&](const char *key) { return record.value(QLatin1StringView(key)).toString().toUtf8(); };
    QCOMPARE(text("kind"), e.kind);
    QCOMPARE(text("path"), shown(e.path));
    QCOMPARE(text("name"), shown(e.name));
    QCOMPARE(record.value(QStringLiteral("size")).toInteger(-1), e.size);
    if (e.files)
        QCOMPARE(record.value(QStringLiteral("files")).toInteger(-1), *e.files);
    else
        QVERIFY(record.value(QStringLiteral("files")).isNull());
    QCOMPARE(text("modified"), e.modified);
    QCOMPARE(text("created"), e.created);
    QCOMPARE(text("attributes"), e.attributes);
    QCOMPARE(text("type"), e.type);
    if (!exact) {
        QCOMPARE(Bytes::fromHex(text("path_hex")), e.path);
        QVERIFY(text("name").contains("\xef\xbf\xbd"));
    }
}

} // namespace

class TestQuorvelListRecords : public QObject
{
    Q_OBJECT

private:
    QString m_program;
    TreeFixture m_tree;
    QList<Expected> m_expected; // in list order

    // The program on the test tree, the tree's path the last argument.
    ListRun run(const QStringList &arguments)
    {
        return RunProgram(m_program,
                          QStringList { QStringLiteral("-q") } + arguments
                              + QStringList { m_tree.root() },
                          m_tree.root());
    }
    ListRun run(const char *arguments) { return run(words(arguments)); }

private slots:
    void initTestCase();
    void csv();
    void jsonLines();
    void toAFile();
    void excludes();
    void usageErrors_data();
    void usageErrors();
};

void TestQuorvelListRecords::initTestCase()
{
    m_program = qEnvironmentVariable("QUORVEL_LIST");
    QVERIFY2(QFileInfo(m_program).isExecutable(), "QUORVEL_LIST names the built program");
    // Records are in UTC whatever the zone: this one is 3.5 hours off.
    qputenv("TZ", "America/St_Johns");
    QVERIFY(m_tree.isValid());
    const QDateTime noon(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    QVERIFY(m_tree.createFile("a.txt", "hello", noon));
    QVERIFY(m_tree.createFile("we,ird \"q\"\nline\t\\.txt", "12345678"));
    QVERIFY(m_tree.createFile(Bytes("bad\xff.bin"), Bytes(300, 'b')));
    QVERIFY(m_tree.createFile("日本.txt"));
    QVERIFY(m_tree.createFile(".hidden", "h"));
    QVERIFY(m_tree.createFile("ro.txt", "r"));
    QVERIFY(m_tree.setPermissions(QStringLiteral("ro.txt"), 0444));
    QVERIFY(::mkfifo(QFile::encodeName(m_tree.path("pipe")).constData(), 0600) == 0);
    QVERIFY(m_tree.createFolder("empty"));
    QVERIFY(m_tree.createFile("only-sub/x/y.txt", "yy"));
    QVERIFY(m_tree.createFileOfSize(QStringLiteral("sub/b.dat"), 3000));
    QVERIFY(m_tree.createFile("sub/deep/c.txt", "c"));

    // The list's order: each folder's files, then its subfolders, each by
    // the upper-cased name; "empty" and "only-sub" have no file of their
    // own, so the skip-empty rule leaves their rows out.
    for (const Bytes &relative :
         { Bytes(), Bytes(".hidden"), Bytes("a.txt"), Bytes("bad\xff.bin"), Bytes("pipe"),
           Bytes("ro.txt"), Bytes("we,ird \"q\"\nline\t\\.txt"), Bytes("日本.txt"),
           Bytes("only-sub/x"), Bytes("only-sub/x/y.txt"), Bytes("sub"), Bytes("sub/b.dat"),
           Bytes("sub/deep"), Bytes("sub/deep/c.txt") })
        m_expected.append(fromDisk(m_tree.pathBytes(relative)));
    QCOMPARE(m_expected.at(2).modified, Bytes("2024-03-05T14:07:09Z"));
}

void TestQuorvelListRecords::csv()
{
    const ListRun listed = run("--format csv");
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.err, Bytes());
    const std::optional<CsvRecords> records = parseCsv(listed.out);
    QVERIFY2(records, listed.out.constData());
    QCOMPARE(records->size(), m_expected.size() + 1);
    QCOMPARE(records->first(), kFields);
    for (qsizetype i = 0; i < m_expected.size(); ++i) {
        const Expected &e = m_expected.at(i);
        const QList<Bytes> expected { e.kind,
                                      shown(e.path),
                                      shown(e.name),
                                      Bytes::number(e.size),
                                      e.files ? Bytes::number(*e.files) : Bytes(),
                                      e.modified,
                                      e.created,
                                      e.attributes,
                                      e.type };
        QCOMPARE(records->at(i + 1), expected);
    }
}

void TestQuorvelListRecords::jsonLines()
{
    const ListRun listed = run("--format jsonl");
    QCOMPARE(listed.exitCode, 0);
    QVERIFY(listed.out.endsWith('\n') && !listed.out.contains('\r'));
    const QList<Bytes> lines = listed.out.chopped(1).split('\n');
    QCOMPARE(lines.size(), m_expected.size());
    int withHex = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Expected &e = m_expected.at(i);
        QJsonParseError error;
        const QJsonObject record = QJsonDocument::fromJson(lines.at(i), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        compareRecord(record, e);
        if (QTest::currentTestFailed())
            return;
        withHex += !e.path.isValidUtf8();
    }
    QCOMPARE(withHex, 1);
}

// -o writes the same records into a file.
void TestQuorvelListRecords::toAFile()
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("list.jsonl"));
    const ListRun written = run(words("--format jsonl -o") << file);
    QCOMPARE(written.exitCode, 0);
    QCOMPARE(written.out, Bytes());
    QFile result(file);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), run("--format jsonl").out);
}

// Excluded names, in any letter case, are neither listed nor walked nor
// counted: a folder's size and file count leave them out, and so does the
// page's summary. only-sub/x loses its one file, so skip-empty drops it.
void TestQuorvelListRecords::excludes()
{
    const QStringList excluding { QStringLiteral("--exclude"), QStringLiteral("DEEP"),
                                  QStringLiteral("--exclude"), QStringLiteral("*.TXT; .hidden") };
    const ListRun listed = run(excluding + words("--format jsonl"));
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.err, Bytes());
    QList<Expected> expected;
    for (const Bytes &relative :
         { Bytes(), Bytes("bad\xff.bin"), Bytes("pipe"), Bytes("sub"), Bytes("sub/b.dat") })
        expected.append(fromDisk(m_tree.pathBytes(relative)));
    expected[0].size = 300 + 3000;
    expected[0].files = 2;
    expected[3].size = 3000;
    const QList<Bytes> lines = listed.out.chopped(1).split('\n');
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        compareRecord(QJsonDocument::fromJson(lines.at(i)).object(), expected.at(i));
        if (QTest::currentTestFailed())
            return;
    }

    const ListRun page = run(excluding + words("-o -"));
    QCOMPARE(page.exitCode, 0);
    QVERIFY2(page.out.contains("ThisSelection: 3 files ["), page.out.right(400).constData());
    QVERIFY(page.out.contains("] in 2 folder searched "));
    QVERIFY(page.out.contains(", exclude: DEEP;*.TXT;.hidden"));
    QVERIFY(page.out.contains(">b.dat</td>"));
    QVERIFY(!page.out.contains(">c.txt</td>") && !page.out.contains(">.hidden</td>"));
}

void TestQuorvelListRecords::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Bytes>("message");
    QTest::newRow("unknown format")
        << words("--format=xml") << Bytes("unknown format 'xml' (page, text, csv or jsonl)");
    QTest::newRow("format in capitals")
        << words("--format=CSV") << Bytes("unknown format 'CSV' (page, text, csv or jsonl)");
    QTest::newRow("--text and another format")
        << words("--text --format jsonl") << Bytes("--text cannot be combined with --format jsonl");
    QTest::newRow("--with-files without text")
        << words("--with-files --format csv") << Bytes("--with-files is only used with --text");
}

void TestQuorvelListRecords::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(Bytes, message);
    const ListRun refused = run(arguments);
    QCOMPARE(refused.exitCode, 2);
    QCOMPARE(refused.out, Bytes());
    QCOMPARE(refused.err,
             "quorvel-list: " + message + "\nTry 'quorvel-list --help' for more information.\n");
}

QTEST_GUILESS_MAIN(TestQuorvelListRecords)
#include "tst_quorvel_list_records.moc"
