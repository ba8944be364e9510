#include "scan/row_maker.h"

#include "scan/file_system.h"
#include "scan/folder_sizes.h"
#include "scan/folder_walker.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <vector>

RowMaker::RowMaker(const FileSystem &fileSystem, const ScanOptions &options,
                   const std::atomic<bool> &cancel, ResultList &list, ScanCounters &counters,
                   int &currentItem, const ScanHooks &hooks)
    : m_fileSystem(fileSystem)
    , m_options(options)
    , m_cancel(cancel)
    , m_list(list)
    , m_counters(counters)
    , m_currentItem(currentItem)
    , m_hooks(hooks)
    , m_folderType(fileSystem.typeDescription(QByteArray(), true))
{ }

void RowMaker::yield() const
{
    if (m_hooks.yield)
        m_hooks.yield();
}

void RowMaker::run(FolderWalker &walker, const QByteArray &rootPath)
{
    m_path = rootPath;
    if (cancelled())
        return;
    yield();
    const std::unique_ptr<FolderListing> root = walker.next();
    if (!root)
        return;
    yield();
    const int rootRow = listOwnFiles(*root, kNoRow);
    if (cancelled())
        return; // the folder was not finished: its size stays empty
    // Without recursion the search folder's subfolders get no rows, but
    // its row, if it has one, shows the size of everything below it.
    if (m_options.recursive || rootRow != kNoRow)
        walkBelow(walker, *root, rootRow, m_options.recursive);
}

int RowMaker::addFolderRow(const FolderListing &folder, const QString &rowText)
{
    ItemProperties properties = folder.self.properties();
    properties.sizeBytes.reset(); // filled in when the subtree is done
    properties.type = m_folderType;
    std::optional<qint64> fileCount;
    if (folder.listed)
        fileCount = folder.fileCount;
    m_currentItem = m_list.addFolderRow(rowText, m_path, properties, fileCount);
    return m_currentItem;
}

int RowMaker::listOwnFiles(const FolderListing &folder, int ownRow)
{
    bool found = false;
    for (const WalkedItem &file : folder.files) {
        if (cancelled())
            break;
        found = true;
        ++m_counters.FileCount;
        if (m_list.count() == 0) {
            // Only the search folder comes here: its row comes with its first file.
            ++m_counters.FolderCount;
            ++m_counters.SearchedFolderCount;
            ownRow = addFolderRow(folder, QString::fromUtf8(m_path));
        }
        const QByteArrayView name = folder.fileName(file);
        const QByteArray nameBytes = QByteArray::fromRawData(name.data(), name.size());
        ItemProperties properties = file.properties();
        if (properties.sizeBytes)
            m_counters.addFileKb(*properties.sizeBytes);
        properties.type = m_fileSystem.typeDescription(nameBytes, false);
        m_currentItem = m_list.addFileRow(nameBytes, m_path, properties);
        yield();
    }
    if (!found && m_options.skipEmptyFolders && m_list.count() > 0
        && m_list.isFolderRow(m_list.count() - 1)) {
        const int last = m_list.count() - 1;
        m_list.removeAt(last);
        --m_counters.FolderCount;
        if (ownRow == last)
            ownRow = kNoRow;
        if (m_currentItem >= m_list.count())
            m_currentItem = -1;
    }
    return ownRow;
}

QString RowMaker::subfolderRowText() const
{
    QString text = QString::fromUtf8(m_path);
    if (m_hooks.onlyThisDir && m_hooks.onlyThisDir()) {
        text.remove(0, m_hooks.pathBoxLength ? m_hooks.pathBoxLength() : 0);
        if (text.contains(u'/'))
            text.prepend(QStringLiteral(" + "));
    }
    return text;
}

bool RowMaker::walkBelow(FolderWalker &walker, const FolderListing &root, int rootRow,
                         bool makeRows)
{
    // The recursion of the walk as a stack: each entry is a folder whose
    // subfolders are being walked.
    struct Open
    {
        int row;
        quint32 subfoldersLeft;
        qsizetype pathLength;
    };
    FolderSizes sizes;
    sizes.enter(root.ownBytes, root.listed && root.ownSizesKnown);
    std::vector<Open> open { { rootRow, root.subfolderCount, m_path.size() } };
    while (!open.empty()) {
        Open &folder = open.back();
        if (folder.subfoldersLeft == 0) {
            const std::optional<qint64> total = sizes.leave();
            if (total && folder.row != kNoRow)
                m_list.setFolderSize(folder.row, *total);
            open.pop_back();
            continue;
        }
        if (cancelled())
            return false;
        --folder.subfoldersLeft;
        const qsizetype parentPathLength = folder.pathLength;
        const std::unique_ptr<FolderListing> child = walker.next();
        if (!child)
            return false;
        sizes.enter(child->ownBytes, child->listed && child->ownSizesKnown);
        if (!makeRows) {
            open.push_back({ kNoRow, child->subfolderCount, 0 });
            continue;
        }
        m_path.truncate(parentPathLength);
        if (!m_path.endsWith('/'))
            m_path += '/';
        m_path += child->name;
        ++m_counters.FolderCount;
        ++m_counters.SearchedFolderCount;
        int row = addFolderRow(*child, subfolderRowText());
        if (cancelled())
            return false;
        yield();
        yield();
        row = listOwnFiles(*child, row);
        if (cancelled())
            return false;
        open.push_back({ row, child->subfolderCount, m_path.size() });
    }
    return true;
}
