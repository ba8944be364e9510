// TypeTable against the MIME database it mirrors: every description must be
// the one QMimeDatabase gives for the name alone.
#include "scan/type_table.h"

#include <QFile>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

#include <memory>
#include <thread>

namespace {

QString databaseComment(const QByteArray &name)
{
    return QMimeDatabase()
        .mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension)
        .comment();
}

// Names that exercise each way the database matches, and the ways it picks
// among several matches.
const QByteArrayList kNamedCases {
    // plain suffixes, and suffixes in other letter cases
    "a.txt", "A.TXT", "notes.Txt", "x.pdf", "X.PDF", "photo.jpg", "photo.JPG", "photo.jpeg",
    "image.png", "page.html", "page.HTML", "page.htm", "style.css", "script.js", "data.json",
    "data.xml", "sheet.ods", "sheet.xlsx", "letter.docx", "letter.odt", "talk.pptx", "song.mp3",
    "song.ogg", "song.flac", "clip.mp4", "clip.mkv", "clip.webm", "font.ttf", "font.otf",
    "archive.zip", "archive.7z", "archive.rar", "disk.iso", "DISK.ISO", "keys.key", "doc.pdf.",
    // letter case that changes the type
    "x.c", "x.C", "X.c", "x.h", "x.H", "y.cpp", "y.CPP", "y.cc", "y.hpp", "prog.gs", "prog.GS",
    "prog.Gs", "mod.m", "mod.M", "a.s", "a.S", "doc.ms", "doc.MS",
    // double and triple suffixes
    "x.tar.gz", "x.tar.bz2", "x.tar.xz", "x.tar.zst", "x.tar.lz", "x.tar.Z", "x.TAR.GZ",
    "a.b.tar.gz", "backup.tar.gz.1", "x.tgz", "x.gz", "x.bz2", "x.xz", "x.Z", "x.z",
    "x.tar.gz.part", "x.pdf.gz", "x.ps.gz", "x.svg.gz", "x.svgz", "x.cpio.gz", "x.dvi.bz2", "x.tar",
    "a.b.c.d.e", "v1.2.3 notes.txt", "1.2.3", "archive.zip.001", "x.7z.001",
    // versioned libraries and manual pages
    "libfoo.so", "libfoo.so.1", "libfoo.so.1.2.3", "libQt6Core.so.6.4.1", "libx.so.7",
    "libx.so.1.2", "libx.so.1.2.gz", "libx.SO.1", "libc.so.6", "ld-linux.so.2", "libfoo.so.x",
    "libfoo.so.", "ls.1", "ls.1.gz", "bash.1", "x.3pm", "x.8", "x.0", "x.9", "x.10", "readme.1",
    "makefile.1", "anim.anim1", "x.anim9", "x.animj", "x.anim0", "x.ANIMJ", "123.vdr", "12.vdr",
    "1234.vdr", "abc.vdr", "001.VDR",
    // literal names
    "Makefile", "makefile", "MAKEFILE", "GNUmakefile", "gnumakefile", "CMakeLists.txt",
    "cmakelists.txt", "CMAKELISTS.TXT", "meson.build", "meson_options.txt", "pom.xml",
    "settings.xml", "core", "Core", "CORE", "AUTHORS", "authors", "COPYING", "ChangeLog",
    "CHANGELOG", "INSTALL", "install", "CREDITS", "rmail", "cacerts", "dicomdir", "DICOMDIR",
    "winmail.dat", "gmon.out", "SConstruct", "SConscript", "sconscript.py", "project.godot",
    "x.core", "core.txt", "Makefile.txt", "my.Makefile", "meson.build.bak", "xcore",
    // prefix globs
    "README", "readme", "Readme", "README.md", "README.txt", "README.rst", "readme.1st",
    "README-dev", "READMEFIRST", "readme.", "Makefile.am", "Makefile.in", "makefile.mk",
    "makefile.", "Makefile.PL", "sconscript.", "SConscript.arm",
    // no suffix, dot files, names ending in dots, odd short names
    "notes", "data", "x", "X", "Dockerfile", "LICENSE", "Vagrantfile", "a", ".bashrc", ".profile",
    ".gitignore", ".txt", ".TXT", ".c", ".tar.gz", "..", "...", ".", "x.", "x..", "a.b.",
    "file.txt.", "~", "x~", "file.txt~", "%", "x%", "x,v", ",v", "RCS,v", ".hidden.pdf", "-", "_",
    "#x#", "x.#1", "x.~1~", ".~lock.x.odt#", "name with spaces.doc", "tab\tname.txt",
    // many dots
    "a.b.c", "a..b", "a...txt", "x.y.z.pdf", "www.example.com", "1.0.0.tar.gz",
    "my.file.name.with.dots.JPG", "v1.2.3", "archive.tar.gz.tar.bz2", "x.html.in",
    // weights: equal suffixes of several types, and suffixes of low weight
    "x.asc", "x.ass", "x.t", "x.mod", "x.spx", "x.py", "x.py3", "x.pyx", "x.dot", "x.m3u", "x.3ds",
    "x.jpx", "x.json", "x.json-patch", "x.jsonld", "x.djv", "x.djvu", "x.gpg", "x.kexi", "x.key",
    "x.wad", "x.appimage", "x.AppImage", "x.sage", "x.wsgi",
    // outside ASCII
    "résumé.txt", "Ärger.TXT", "файл.pdf", "日本語", "日本語.md", "Ölkanne", "über.tar.gz",
    "naïve.C", "x.ü", "ß.ß", "ÇA.JPG", "İstanbul.txt", "x.İ", "\u212Aore", "MA\u212AEFILE",
    "map.\u212Aml", "x.\u017Fo.1", "x.txt\xcc\x81", "\xd9\xa1\xd9\xa2\xd9\xa3.vdr",
    "x.anim\xd9\xa3", "lib.so.\xd9\xa3", "x.\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80.txt",
    // outside ASCII, through the quick and the full lower-casing
    "\xc3\x84RGER.TXT", "\xc3\xbc.so.1", "readme\xc3\xbc", "\xc3\xbc.anim1", "\u00FC12.vdr",
    "12\xc3\xbc.vdr", "x.TXT\xc3\x84", "\xe6\x97\xa5.Makefile", "x.\xc4\xb0", "\xc4\xb0.TXT",
    "\xef\xbb\xbf.txt", "\uFEFFcore", "\xef\xbb\xbf~", "x\xef\xbf\xbf.txt", "\xef\xb7\x90.c",
    "\xf0\x9f\x98\x80~",
    // not UTF-8: broken sequences, an overlong dot, a surrogate
    "\xff.txt", "a\xc3.c", "x.\xff", "\xc3", "README\xff", "lib.so.1\xff", "x\xc0\xaetxt",
    "x\xe0\x80\xaeh", "\xed\xa0\x80.txt", "x.\xe2\x84", "\xe2\x84.txt", "\xf4\x90\x80\x80.pdf"
};

// The names whose description differs from the database's, each with both.
QStringList mismatches(const TypeTable &table, const QByteArrayList &names)
{
    QStringList out;
    for (const QByteArray &name : names) {
        const QString ours = table.description(name);
        const QString expected = databaseComment(name);
        if (ours != expected)
            out << QStringLiteral("%1: %2, the database: %3")
                       .arg(QString::fromLatin1(name.toPercentEncoding(" ")), ours, expected);
    }
    return out;
}

// The globs of the database's glob lists, as written there.
QByteArrayList databaseGlobs()
{
    QByteArrayList globs;
    for (const QString &directory :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                   QStandardPaths::LocateDirectory)) {
        QFile file(directory + QStringLiteral("/globs2"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(':');
            if (!line.startsWith('#') && fields.size() >= 3)
                globs << fields[2];
        }
    }
    return globs;
}

// A name the glob matches: each "*" and class replaced by a letter or a
// class member, around a stem.
QByteArray instance(const QByteArray &glob, const QByteArray &star)
{
    QByteArray name;
    for (qsizetype i = 0; i < glob.size(); ++i) {
        if (glob[i] == '*') {
            name += star;
        } else if (glob[i] == '[') {
            const qsizetype close = glob.indexOf(']', i + 2);
            name += glob[i + 1];
            i = close < 0 ? i : close;
        } else if (glob[i] == '?') {
            name += 'q';
        } else {
            name += glob[i];
        }
    }
    return name;
}

} // namespace

class TestTypeTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void namedCases()
    {
        const TypeTable table;
        QVERIFY(table.isComplete());
        QVERIFY(kNamedCases.size() >= 200);
        const QStringList wrong = mismatches(table, kNamedCases);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        qInfo("%lld named cases, %llu asked of the database", kNamedCases.size(),
              table.databaseLookups());
    }

    // Every glob the database knows, and its neighbours: other letter
    // cases, longer and shorter names, the suffix as a whole name.
    void everyGlob()
    {
        const TypeTable table;
        const QByteArrayList globs = databaseGlobs();
        QVERIFY(globs.size() > 500);
        QByteArrayList names;
        for (const QByteArray &glob : globs) {
            const QByteArray name = instance(glob, "x");
            const QByteArray bare = instance(glob, "");
            names << name << name.toUpper() << name.toLower() << bare << bare.toUpper()
                  << "a.b." + name << name + ".bak" << name + "~" << name + "1"
                  << "." + bare << name.left(name.size() - 1) << instance(glob, "lib.so.1");
            if (!bare.isEmpty())
                names << bare.left(1).toUpper() + bare.mid(1) << bare.mid(1);
        }
        const QStringList wrong = mismatches(table, names);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QCOMPARE(table.databaseLookups(), quint64(0));
        qInfo("%lld names from %lld globs", names.size(), globs.size());
    }

    // Names put together at random from the pieces of the globs, so that
    // several globs meet in one name.
    void randomNames_data()
    {
        QTest::addColumn<QByteArrayList>("extraPieces");
        QTest::addColumn<int>("maxDatabaseLookups");
        QTest::newRow("ASCII") << QByteArrayList {} << 0;
        // Letters outside ASCII, some that lower-case to ASCII, broken
        // UTF-8: a few names are left to the database.
        QTest::newRow("outside ASCII")
            << QByteArrayList { "\xc3\xa4", "\xc3\x84",     "\xe6\x97\xa5", "\xe2\x84\xaa",
                                "\xc4\xb0", "\xef\xbb\xbf", "\xff",         "\xf0\x9f\x98\x80",
                                "\xd9\xa3", "\xc5\xbf" }
            << 500;
    }

    void randomNames()
    {
        QFETCH(QByteArrayList, extraPieces);
        QFETCH(int, maxDatabaseLookups);
        const TypeTable table;
        QByteArrayList pieces { ".", "..", "x", "X", "1", "so", "tar", "GZ", "Makefile" };
        for (const QByteArray &glob : databaseGlobs())
            pieces << instance(glob, "");
        for (int copies = 0; copies < 20; ++copies)
            pieces << extraPieces;
        QRandomGenerator random(20261206);
        QByteArrayList names;
        for (int i = 0; i < 20000; ++i) {
            QByteArray name;
            for (int count = int(random.bounded(1, 4)); count > 0; --count) {
                QByteArray piece = pieces[random.bounded(pieces.size())];
                if (random.bounded(4) == 0)
                    piece = piece.toUpper();
                name += piece;
            }
            names << name;
        }
        const QStringList wrong = mismatches(table, names);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 50).join(u'\n')));
        QVERIFY2(table.databaseLookups() <= quint64(maxDatabaseLookups),
                 qPrintable(QString::number(table.databaseLookups())));
        qInfo("%llu of %lld names asked of the database", table.databaseLookups(), names.size());
    }

    // The scanner hands out names that point into memory it later reuses:
    // the table, and the cache of names asked of the database, keep no
    // reference to them (the sanitize build would see a use after free).
    void borrowedNames()
    {
        const TypeTable table;
        const QByteArray name = "x.\u017Fo.1"; // left to the database
        for (int round = 0; round < 2; ++round) {
            auto bytes = std::make_unique<char[]>(size_t(name.size()));
            std::copy(name.begin(), name.end(), bytes.get());
            QCOMPARE(table.description(QByteArray::fromRawData(bytes.get(), name.size())),
                     databaseComment(name));
        }
        QCOMPARE(table.databaseLookups(), quint64(2));
    }

    // Scanner threads share one table; the first use of a type and the
    // names left to the database happen under way.
    void concurrentReaders()
    {
        const TypeTable table;
        QByteArrayList names = kNamedCases;
        for (int i = 0; i < 5000; ++i) // more than the cache of such names holds
            names << "f" + QByteArray::number(i) + ".\u017Fo." + QByteArray::number(i % 10);
        std::vector<QStringList> seen(4);
        std::vector<std::thread> readers;
        for (QStringList &descriptions : seen)
            readers.emplace_back([&] {
                for (const QByteArray &name : names)
                    descriptions << table.description(name);
            });
        for (std::thread &reader : readers)
            reader.join();
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString expected = databaseComment(names[i]);
            for (const QStringList &descriptions : seen)
                QCOMPARE(descriptions[i], expected);
        }
    }

    void folders()
    {
        const TypeTable table;
        QCOMPARE(table.folderDescription(),
                 QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment());
        QCOMPARE(table.description(""), databaseComment(""));
    }
};

QTEST_GUILESS_MAIN(TestTypeTable)
#include "tst_type_table.moc"
