#include "scan/folder_scanner.h"

#include "scan/folder_walker.h"
#include "scan/name_filter.h"
#include "scan/row_maker.h"

#include <QDir>
#include <QFile>

namespace {

// The search folder's path as the file system reports it: absolute, clean,
// without a trailing separator except for the root.
[[nodiscard]] QByteArray folderPathOf(const QString &folderPath)
{
    QString path = folderPath;
    if (QDir::isRelativePath(path))
        path = QDir::current().absoluteFilePath(path);
    path = QDir::cleanPath(path);
    return QFile::encodeName(path);
}

} // namespace

void ScanFolder(const FileSystem &fileSystem, const ScanOptions &options,
                const std::atomic<bool> &cancel, ResultList &list, ScanCounters &counters,
                int &currentItem, const QString &folderPath, const ScanHooks &hooks)
{
    if (cancel.load() || folderPath.isEmpty())
        return;
    const QByteArray rootPath = folderPathOf(folderPath);
    const NameFilter filter(options.pattern, options.excludes);
    FolderWalker walker(fileSystem, filter, cancel, options.recursive);
    walker.start(rootPath,
                 options.walkerThreads < 0 ? FolderWalker::defaultThreads()
                                           : options.walkerThreads);
    RowMaker rows(fileSystem, options, cancel, list, counters, currentItem, hooks);
    rows.run(walker, rootPath);
}
