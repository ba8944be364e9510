#pragma once

#include "scan/folder_scanner.h"

#include <QByteArray>
#include <QString>

class FolderWalker;
struct FolderListing;

// Makes the rows of a scan from the walker's listings, in row order: the
// search folder's row before its first matching file, its file rows, then
// for each subfolder its row, its file rows and the rows below it. Keeps
// the counters, drops empty folder rows when asked to, and fills in each
// folder row's size once its subtree is done.
class RowMaker
{
public:
    RowMaker(const FileSystem &fileSystem, const ScanOptions &options,
             const std::atomic<bool> &cancel, ResultList &list, ScanCounters &counters,
             int &currentItem, const ScanHooks &hooks);

    // rootPath: the search folder as the file system reports it.
    void run(FolderWalker &walker, const QByteArray &rootPath);

private:
    static constexpr int kNoRow = -1;

    [[nodiscard]] bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    void yield() const;
    // The folder's own files; returns the row of the folder (ownRow, a row
    // made for the search folder, or kNoRow once dropped as empty).
    int listOwnFiles(const FolderListing &folder, int ownRow);
    // Walks the listings below the search folder; makeRows false: only
    // their sizes are summed. False when the walk was cut short.
    bool walkBelow(FolderWalker &walker, const FolderListing &root, int rootRow, bool makeRows);
    int addFolderRow(const FolderListing &folder, const QString &rowText);
    [[nodiscard]] QString subfolderRowText() const;

    const FileSystem &m_fileSystem;
    const ScanOptions &m_options;
    const std::atomic<bool> &m_cancel;
    ResultList &m_list;
    ScanCounters &m_counters;
    int &m_currentItem;
    const ScanHooks &m_hooks;
    QString m_folderType;
    QByteArray m_path; // the folder being listed, as the file system reports it
};
