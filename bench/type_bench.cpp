// type_bench NAMES [--threads N] [--database | --check]: times type
// descriptions of the file names in the file NAMES (one a line; e.g. find
// TREE -printf '%f\n'): building the type table, then every name through the
// table on N threads (default 1), twice. With --database, the same names
// asked of QMimeDatabase one by one instead, for comparison. Prints the
// time, names per second, the distinct descriptions and how many names the
// table left to the database. With --check, compares the table with the
// database on every name and prints the names where they differ.
#include "scan/type_table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QSet>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

void report(const char *what, qint64 nanoseconds, qsizetype names)
{
    const double seconds = double(nanoseconds) / 1e9;
    std::printf("%-10s %9.3f s  %7.0f ns a name  %12.0f names/s\n", what, seconds,
                double(nanoseconds) / double(names), double(names) / seconds);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool database = args.removeAll(QStringLiteral("--database")) > 0;
    const bool check = args.removeAll(QStringLiteral("--check")) > 0;
    int threads = 1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--threads")); at >= 0) {
        threads = std::max(1, args.value(at + 1).toInt());
        args.remove(at, 2);
    }
    QFile file(args.value(0));
    if (args.size() != 1 || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: type_bench NAMES [--threads N] [--database | --check]\n");
        return 2;
    }
    QByteArrayList names = file.readAll().split('\n');
    if (!names.isEmpty() && names.last().isEmpty())
        names.removeLast();
    std::printf("%lld names, %d thread(s)\n", names.size(), threads);

    if (check) {
        const TypeTable table;
        const QMimeDatabase mime;
        qsizetype wrong = 0;
        for (const QByteArray &name : names) {
            const QString expected
                = mime.mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension)
                      .comment();
            if (table.description(name) != expected && ++wrong <= 20)
                std::printf("differs: %s: %s, the database: %s\n", name.constData(),
                            qPrintable(table.description(name)), qPrintable(expected));
        }
        std::printf("%lld of %lld names differ; %llu asked of the database\n", wrong, names.size(),
                    table.databaseLookups());
        return wrong == 0 ? 0 : 1;
    }

    QElapsedTimer timer;
    if (database) {
        timer.start();
        QSet<QString> seen;
        const QMimeDatabase mime;
        for (const QByteArray &name : names)
            seen.insert(mime.mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension)
                            .comment());
        report("database", timer.nsecsElapsed(), names.size());
        std::printf("%lld distinct descriptions\n", seen.size());
        return 0;
    }

    timer.start();
    const TypeTable table;
    const qint64 built = timer.nsecsElapsed();
    std::printf("table built in %.1f ms%s\n", double(built) / 1e6,
                table.isComplete() ? "" : " (incomplete: every name goes to the database)");

    // Twice: the first pass also asks the database for the comment of
    // each type it meets.
    for (const char *pass : { "first", "again" }) {
        std::vector<qsizetype> lengths(size_t(threads), 0); // keeps the work from being dropped
        timer.restart();
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&, t] {
                for (qsizetype i = t; i < names.size(); i += threads)
                    lengths[size_t(t)] += table.description(names[i]).size();
            });
        for (std::thread &worker : workers)
            worker.join();
        report(pass, timer.nsecsElapsed(), names.size());
    }
    QSet<QString> seen;
    for (const QByteArray &name : names)
        seen.insert(table.description(name));
    std::printf("%lld distinct descriptions; %llu lookups asked of the database\n", seen.size(),
                table.databaseLookups());
    return 0;
}
