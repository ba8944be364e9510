// PosixFileSystem on a temporary tree: order, properties, links, loops,
// unreadable folders and names that are not UTF-8.
#include "scan/posix_file_system.h"
#include "support/tree_fixture.h"

#include <QMimeDatabase>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList names(const std::vector<FileSystem::Entry> &entries)
{
    QStringList out;
    for (const auto &entry : entries)
        out << QString::fromUtf8(entry.name);
    return out;
}

const FileSystem::Entry *find(const std::vector<FileSystem::Entry> &entries, const char *name)
{
    for (const auto &entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

QString mimeComment(const char *name)
{
    return QMimeDatabase()
        .mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension)
        .comment();
}

constexpr qint64 kSparse = qint64(3) << 30;

struct FileCase
{
    const char *name;
    qint64 size;
    qint64 attributes;
};

} // namespace

class TestPosixFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void enumerationOrder()
    {
        // Upper-cased, by code point (Z 0x5A before _ 0x5F, Ä U+00C4 after
        // both), ties broken by the exact name.
        const QByteArrayList ordered { "A",        "a",        "ab",      "alpha",
                                       "Beta",     "Zeta.txt", "zz",      "_under.txt",
                                       "\xc3\x84", "\xc3\xa4", "\xc3\xa5" };
        for (qsizetype i = 0; i < ordered.size(); ++i)
            for (qsizetype j = 0; j < ordered.size(); ++j)
                QVERIFY2(EnumerationLess(ordered[i], ordered[j]) == (i < j),
                         QByteArray(ordered[i] + " / " + ordered[j]).constData());

        // Keys made once give the same order, also where upper-casing
        // changes a length or turns a letter into ASCII (ß, dotless ı, ſ).
        QByteArrayList names = ordered;
        names << "stra\xc3\x9f"
              << "STRASSE"
              << "strasse"
              << "\xc4\xb1x"
              << "Ix"
              << "\xc5\xbf"
              << "S"
              << "s1"
              << ""
              << "a\xc3\xa4"
              << "A\xc3\x84"
                 "b";
        const auto keyOf = [](const QByteArray &name) {
            std::vector<char> key;
            AppendEnumerationKey(name, key);
            return QByteArray(key.data(), qsizetype(key.size()));
        };
        for (const QByteArray &a : names)
            for (const QByteArray &b : names)
                QVERIFY2(EnumerationLess(a, b) == (std::pair(keyOf(a), a) < std::pair(keyOf(b), b)),
                         QByteArray(a + " / " + b).constData());
    }

    void listing()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        const QDateTime modified(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
        QVERIFY(tree.createFile("_under.txt", QByteArray(10, 'u')));
        QVERIFY(tree.createFile("Zeta.txt", QByteArray(2000, 'z'), modified));
        QVERIFY(tree.createFile("alpha.html", "x"));
        QVERIFY(tree.createFile(".hidden", "h"));
        QVERIFY(tree.createFile("readonly.txt", "r"));
        QVERIFY(tree.setPermissions(QStringLiteral("readonly.txt"), 0444));
        QVERIFY(tree.createFileOfSize(QStringLiteral("sparse.bin"), kSparse));
        QVERIFY(tree.createFolder("Sub"));
        QVERIFY(tree.createFolder("another"));
        QVERIFY(tree.createFile("Sub/inner.txt", QByteArray(5000, 'i')));
        QVERIFY(tree.createLink(QStringLiteral("tofile.lnk"), QStringLiteral("Zeta.txt")));
        QVERIFY(tree.createLink(QStringLiteral("tofolder"), QStringLiteral("Sub")));
        QVERIFY(tree.createLink(QStringLiteral("dangling"), QStringLiteral("nowhere")));
        QVERIFY(tree.createLink(QStringLiteral("loop1"), QStringLiteral("loop2")));
        QVERIFY(tree.createLink(QStringLiteral("loop2"), QStringLiteral("loop1")));
        QVERIFY(::mkfifo(QFile::encodeName(tree.path("pipe")).constData(), 0644) == 0);
        QVERIFY(tree.createFile(QByteArray("bad\xff.txt"), "b"));

        PosixFileSystem fs;
        const std::optional<FileSystem::Listing> listing
            = fs.listFolder(QFile::encodeName(tree.root()));
        QVERIFY(listing);
        QCOMPARE(
            names(listing->files),
            (QStringList { QStringLiteral(".hidden"), QStringLiteral("alpha.html"),
                           QString::fromUtf8("bad\xff.txt"), QStringLiteral("dangling"),
                           QStringLiteral("loop1"), QStringLiteral("loop2"), QStringLiteral("pipe"),
                           QStringLiteral("readonly.txt"), QStringLiteral("sparse.bin"),
                           QStringLiteral("tofile.lnk"), QStringLiteral("tofolder"),
                           QStringLiteral("Zeta.txt"), QStringLiteral("_under.txt") }));
        QCOMPARE(names(listing->subfolders),
                 (QStringList { QStringLiteral("another"), QStringLiteral("Sub") }));

        // A link to a file has the file's data; one to a folder, a dangling
        // and a looping link have their own (a link's size: its target's length).
        const FileCase expected[]
            = { { "Zeta.txt", 2000, 0 }, { ".hidden", 1, 2 },          { "readonly.txt", 1, 1 },
                { "pipe", 0, 4 },        { "sparse.bin", kSparse, 0 }, { "tofile.lnk", 2000, 0 },
                { "tofolder", 3, 0 },    { "dangling", 7, 0 },         { "loop1", 5, 0 } };
        for (const auto &file : expected) {
            const auto *entry = find(listing->files, file.name);
            QVERIFY2(entry && !entry->isFolder, file.name);
            QCOMPARE(entry->properties.sizeBytes, std::optional<qint64>(file.size));
            QCOMPARE(entry->properties.attributes, std::optional<qint64>(file.attributes));
        }
        const auto *zeta = find(listing->files, "Zeta.txt");
        QCOMPARE(zeta->properties.modifiedSecs, std::optional<qint64>(modified.toSecsSinceEpoch()));
        QCOMPARE(find(listing->files, "tofile.lnk")->properties.modifiedSecs,
                 zeta->properties.modifiedSecs);
        QVERIFY(zeta->properties.createdSecs.value_or(0)
                >= QDateTime::currentSecsSinceEpoch() - 3600);
        QCOMPARE(zeta->properties.type, mimeComment("Zeta.txt"));
        QVERIFY(!zeta->properties.type.isEmpty());

        const auto *sub = find(listing->subfolders, "Sub");
        QVERIFY(sub && sub->isFolder);
        QCOMPARE(sub->properties.attributes, std::optional<qint64>(16));
        QCOMPARE(sub->properties.type,
                 QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment());
        QVERIFY(!sub->properties.sizeBytes); // one folder only: its tree is not summed here

        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("missing"))));
        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("Zeta.txt"))));
    }

    void descriptorReading()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a/b/c.txt", "abc"));
        QVERIFY(tree.createLink(QStringLiteral("a/up"), QStringLiteral("..")));
        PosixFileSystem fs;
        ItemProperties own;
        const auto root = fs.openFolder(QFile::encodeName(tree.path("a")), &own);
        QVERIFY(root);
        QCOMPARE(own.attributes, std::optional<qint64>(16));
        QVERIFY(own.modifiedSecs);
        QVERIFY(!fs.openSubfolder(*root, "up")); // links to folders are never walked
        const auto b = fs.openSubfolder(*root, "b");
        QVERIFY(b);
        QStringList seen;
        QVERIFY(fs.readFolder(*b, [&](const FileSystem::EntryView &entry) {
            seen << QString::fromUtf8(entry.name.toByteArray());
            QCOMPARE(entry.properties->sizeBytes, std::optional<qint64>(3));
        }));
        QCOMPARE(seen, QStringList { QStringLiteral("c.txt") });
        fs.closeFolder(*b);
        fs.closeFolder(*root);
    }

    void typeDescriptions()
    {
        PosixFileSystem fs;
        for (const char *name : { "CMakeLists.txt", "x.tar.gz", "a.txt", "c.C", "d.c", "README",
                                  "README.md", "libQt6Core.so.6.4.1", "ls.1", "notes" })
            QCOMPARE(fs.typeDescription(name, false), mimeComment(name));
        QVERIFY(fs.typeDescription("CMakeLists.txt", false) != fs.typeDescription("a.txt", false));
        QCOMPARE(fs.typeDescription("a.txt", true),
                 QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment());
    }

    void pathsAndDrive()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("f.txt", "x"));
        PosixFileSystem fs;
        QVERIFY(fs.fileExists(tree.path("f.txt")));
        QVERIFY(!fs.fileExists(tree.root()));
        QVERIFY(!fs.fileExists(tree.path("nope")));
        QVERIFY(!fs.fileExists(QString()));
        QVERIFY(fs.folderExists(tree.root()));
        QVERIFY(!fs.folderExists(tree.path("f.txt")));
        QVERIFY(fs.createFolder(tree.path("new/export")));
        QVERIFY(fs.folderExists(tree.path("new/export")));
        QVERIFY(fs.createFolder(tree.path("new/export"))); // exists afterwards
        QVERIFY(!fs.createFolder(tree.path("f.txt/sub")));

        const auto drive = fs.drive(tree.root());
        QVERIFY(drive && !drive->fileSystem.isEmpty() && drive->serialNumber);
        QVERIFY(drive->totalBytes && *drive->totalBytes > 0);
        QVERIFY(drive->freeBytes && *drive->freeBytes <= *drive->totalBytes);
        QVERIFY(!fs.drive(QString()));
    }

    void unreadableFolder()
    {
        if (TreeFixture::isRoot())
            QSKIP("permissions do not keep root out of a folder");
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("closed/x.txt", "x"));
        QVERIFY(tree.setPermissions(QStringLiteral("closed"), 0));
        PosixFileSystem fs;
        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("closed"))));
        const auto listing = fs.listFolder(QFile::encodeName(tree.root()));
        QVERIFY(listing);
        QCOMPARE(find(listing->subfolders, "closed")->properties.attributes,
                 std::optional<qint64>(1 | 16));
    }
};

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "tst_posix_file_system.moc"
