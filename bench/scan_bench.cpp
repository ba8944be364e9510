// scan_bench FOLDER [PATTERN] [--flat] [--skip-empty]: runs ReadFolderAgain
// (recursive unless --flat) on FOLDER with PATTERN (default "*.*") and prints
// the row count and the four counters.
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    PosixFileSystem fileSystem;
    std::atomic<bool> cancel { false };
    SearchContext search { fileSystem, cancel };
    search.recursive = !args.removeAll(QStringLiteral("--flat"));
    search.skipEmptyFolders = args.removeAll(QStringLiteral("--skip-empty")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: scan_bench FOLDER [PATTERN] [--flat] [--skip-empty]\n");
        return 2;
    }
    const QString folder = args.value(0);
    const QString pattern = args.value(1, QStringLiteral("*.*"));
    ResultList list;
    ScanCounters counters;
    int currentItem = -1;
    ReadFolderAgain(search, list, counters, currentItem, folder, pattern, {});
    std::printf("rows %d files %lld kb %.0f folders %lld searched %lld\n", list.count(),
                static_cast<long long>(counters.FileCount), double(counters.FileKbTotal),
                static_cast<long long>(counters.FolderCount),
                static_cast<long long>(counters.SearchedFolderCount));
    return 0;
}
