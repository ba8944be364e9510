// PosixFileSystem on a temporary tree (DESIGN.md's platform table).
#undef QT_NO_CAST_FROM_ASCII
#include "app/program_state.h"
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

} // namespace

class TestPosixFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void enumerationOrder()
    {
        QVERIFY(EnumerationLess("Zeta.txt", "_under.txt")); // Z (0x5A) before _ (0x5F)
        QVERIFY(EnumerationLess("alpha", "Beta"));
        QVERIFY(EnumerationLess("A", "a")); // a tie broken by the exact name
        QVERIFY(!EnumerationLess("a", "A"));
        QVERIFY(!EnumerationLess("a", "a"));
        QVERIFY(EnumerationLess("a", "ab"));
        QVERIFY(EnumerationLess("zz", "\xc3\xa4")); // Ä (U+00C4) after Z
        QVERIFY(EnumerationLess("\xc3\xa4", "\xc3\xa5")); // ä < å, upper-cased
        QVERIFY(EnumerationLess("\xc3\x84", "\xc3\xa4")); // Ä then ä
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
        QVERIFY(tree.setPermissions("readonly.txt", 0444));
        QVERIFY(tree.createFileOfSize("sparse.bin", qint64(3) << 30));
        QVERIFY(tree.createFolder("Sub"));
        QVERIFY(tree.createFolder("another"));
        QVERIFY(tree.createFile("Sub/inner.txt", QByteArray(5000, 'i')));
        QVERIFY(tree.createLink("tofile.lnk", "Zeta.txt"));
        QVERIFY(tree.createLink("tofolder", "Sub"));
        QVERIFY(tree.createLink("dangling", "nowhere"));
        QVERIFY(tree.createLink("loop1", "loop2"));
        QVERIFY(tree.createLink("loop2", "loop1"));
        QVERIFY(::mkfifo(QFile::encodeName(tree.path("pipe")).constData(), 0644) == 0);
        QVERIFY(tree.createFile(QByteArray("bad\xff.txt"), "b"));

        PosixFileSystem fs;
        const std::optional<FileSystem::Listing> listing
            = fs.listFolder(QFile::encodeName(tree.root()));
        QVERIFY(listing);
        QCOMPARE(names(listing->files),
                 (QStringList { ".hidden", "alpha.html", QString::fromUtf8("bad\xff.txt"),
                                "dangling", "loop1", "loop2", "pipe", "readonly.txt", "sparse.bin",
                                "tofile.lnk", "tofolder", "Zeta.txt", "_under.txt" }));
        QCOMPARE(names(listing->subfolders), (QStringList { "another", "Sub" }));

        const auto *zeta = find(listing->files, "Zeta.txt");
        QVERIFY(zeta && !zeta->isFolder);
        QCOMPARE(zeta->properties.sizeBytes, std::optional<qint64>(2000));
        QCOMPARE(zeta->properties.modifiedSecs, std::optional<qint64>(modified.toSecsSinceEpoch()));
        QVERIFY(zeta->properties.createdSecs);
        QVERIFY(*zeta->properties.createdSecs >= QDateTime::currentSecsSinceEpoch() - 3600);
        QCOMPARE(zeta->properties.attributes, std::optional<qint64>(0));
        QCOMPARE(zeta->properties.type, mimeComment("Zeta.txt"));
        QVERIFY(!zeta->properties.type.isEmpty());

        QCOMPARE(find(listing->files, ".hidden")->properties.attributes, std::optional<qint64>(2));
        QCOMPARE(find(listing->files, "readonly.txt")->properties.attributes,
                 std::optional<qint64>(1));
        QCOMPARE(find(listing->files, "pipe")->properties.attributes, std::optional<qint64>(4));
        QCOMPARE(find(listing->files, "sparse.bin")->properties.sizeBytes,
                 std::optional<qint64>(qint64(3) << 30));
        QCOMPARE(find(listing->files, "alpha.html")->properties.type, mimeComment("alpha.html"));

        // A link to a file: the file's data; to a folder: a file with its
        // own data; dangling and looping links: their own data.
        const auto *toFile = find(listing->files, "tofile.lnk");
        QCOMPARE(toFile->properties.sizeBytes, std::optional<qint64>(2000));
        QCOMPARE(toFile->properties.modifiedSecs,
                 std::optional<qint64>(modified.toSecsSinceEpoch()));
        const auto *toFolder = find(listing->files, "tofolder");
        QVERIFY(!toFolder->isFolder);
        QCOMPARE(toFolder->properties.sizeBytes, std::optional<qint64>(3)); // "Sub"
        QCOMPARE(toFolder->properties.attributes, std::optional<qint64>(0));
        QCOMPARE(find(listing->files, "dangling")->properties.sizeBytes, std::optional<qint64>(7));
        QCOMPARE(find(listing->files, "loop1")->properties.sizeBytes, std::optional<qint64>(5));

        const auto *sub = find(listing->subfolders, "Sub");
        QVERIFY(sub && sub->isFolder);
        QCOMPARE(sub->properties.attributes, std::optional<qint64>(16));
        QCOMPARE(sub->properties.type, fs.typeDescription({}, true));
        QCOMPARE(sub->properties.type,
                 QMimeDatabase().mimeTypeForName("inode/directory").comment());
        QVERIFY(!sub->properties.sizeBytes); // one folder only: its tree is not summed here

        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("missing"))));
        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("Zeta.txt"))));
    }

    void descriptorReading()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a/b/c.txt", "abc"));
        QVERIFY(tree.createLink("a/up", ".."));
        PosixFileSystem fs;
        ResultList::Properties own;
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
        QCOMPARE(seen, QStringList { "c.txt" });
        fs.closeFolder(*b);
        fs.closeFolder(*root);
    }

    void typeCache()
    {
        QCOMPARE(PosixFileSystem::typeCacheKey("a.b.tar.gz"), QByteArray(".b.tar.gz"));
        QCOMPARE(PosixFileSystem::typeCacheKey("a.b.c.d.e"), QByteArray(".c.d.e"));
        QCOMPARE(PosixFileSystem::typeCacheKey("x.C"), QByteArray(".C"));
        QCOMPARE(PosixFileSystem::typeCacheKey("Makefile"), QByteArray("Makefile"));
        QCOMPARE(PosixFileSystem::typeCacheKey(".bashrc"), QByteArray(".bashrc"));
        PosixFileSystem fs;
        // Names the database knows as a whole keep their own type, and the
        // cached suffix type does not depend on which name came first.
        for (const char *name :
             { "CMakeLists.txt", "x.tar.gz", "y.tar.gz", "a.txt", "b.txt", "c.C", "d.c", "README",
               "README.md", "Makefile", "makefile.am", "meson.build", "z.pdf", "notes.TXT",
               // A versioned library after a manual page of the same last suffix.
               "ls.1", "libQt6Core.so.6.4.1", "libx.so.1.2", "libx.so.7" })
            QCOMPARE(fs.typeDescription(name, false), mimeComment(name));
        QVERIFY(fs.typeDescription("CMakeLists.txt", false) != fs.typeDescription("a.txt", false));
    }

    void existence()
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
    }

    void drive()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        PosixFileSystem fs;
        const auto drive = fs.drive(tree.root());
        QVERIFY(drive);
        QVERIFY(!drive->fileSystem.isEmpty());
        QVERIFY(drive->serialNumber);
        QVERIFY(drive->totalBytes && *drive->totalBytes > 0);
        QVERIFY(drive->freeBytes && *drive->freeBytes <= *drive->totalBytes);
        QVERIFY(!fs.drive(QString()));
    }

    void sharedFileSystem()
    {
        ProgramState state;
        QVERIFY(!state.fileSystem);
        FileSystem &first = SharedFileSystem(state);
        QVERIFY(state.fileSystem);
        QCOMPARE(&SharedFileSystem(state), &first);
        QVERIFY(dynamic_cast<PosixFileSystem *>(&first));
    }

    void unreadableFolder()
    {
        if (TreeFixture::isRoot())
            QSKIP("permissions do not keep root out of a folder");
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("closed/x.txt", "x"));
        QVERIFY(tree.setPermissions("closed", 0));
        PosixFileSystem fs;
        QVERIFY(!fs.listFolder(QFile::encodeName(tree.path("closed"))));
        const auto listing = fs.listFolder(QFile::encodeName(tree.root()));
        QVERIFY(listing);
        QCOMPARE(find(listing->subfolders, "closed")->properties.attributes,
                 std::optional<qint64>(1 | 16));
        tree.setPermissions("closed", 0755);
    }
};

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "tst_posix_file_system.moc"
