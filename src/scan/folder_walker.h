#pragma once

#include "scan/byte_arena.h"
#include "scan/file_system.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <set>
#include <thread>
#include <vector>

class NameFilter;

// One file or folder as the walk keeps it: numbers and flags, its name in
// the names of the listing that holds it.
struct WalkedItem
{
    qint64 size = 0;
    qint64 created = 0;
    qint64 modified = 0;
    quint64 name = 0;
    quint32 nameLength = 0;
    quint8 known = 0; // which of size, created, modified and attributes were read
    quint8 attributes = 0;

    void setProperties(const ItemProperties &properties);
    // Everything but the type; sizeBytes only when read.
    [[nodiscard]] ItemProperties properties() const;
    [[nodiscard]] std::optional<qint64> sizeBytes() const;
};

// One folder as the walker read it.
struct FolderListing
{
    QByteArray name; // empty for the search folder
    WalkedItem self; // read with its parent (the search folder: when opened)
    bool listed = false; // opened and read
    bool ownSizesKnown = true; // the size of every file in it was read
    qint64 ownBytes = 0; // the files directly in it
    quint32 fileCount = 0; // the files directly in it, listed or not
    // The listings of its subfolders follow this one, each with its own
    // subtree, before the listing of its next sibling.
    quint32 subfolderCount = 0;
    // The files that get a row, in enumeration order; none when the walk
    // only sums sizes here.
    std::vector<WalkedItem> files;
    ByteArena names;

    [[nodiscard]] QByteArrayView fileName(const WalkedItem &file) const
    {
        return names.view(file.name, file.nameLength);
    }
};

// Reads a folder tree on walker threads and hands out one listing per
// folder in row order: a folder, then each of its subfolders with
// everything below it, in enumeration order. The threads read ahead of the
// reader of the listings, the earliest folder in that order first, and stop
// once a bounded number of entries waits to be taken; the reader of the
// listings reads the folder it waits for itself when no thread has taken it.
//
// Recursive: every folder is listed. Otherwise the search folder is listed,
// and the folders below it are read, for their sizes only, when a file of
// the search folder gets a row (that row shows the size of the whole tree).
//
// Each folder is opened relative to its parent's handle, so a tree of any
// depth is walked; handles of folders with subfolders still to open are kept
// up to a limit, then opened again from an ancestor when needed.
class FolderWalker
{
public:
    FolderWalker(const FileSystem &fileSystem, const NameFilter &filter,
                 const std::atomic<bool> &cancel, bool recursive);
    ~FolderWalker();
    Q_DISABLE_COPY_MOVE(FolderWalker)

    // Starts the walk of rootPath (links followed) on `threads` threads
    // (none: next() reads every folder itself).
    void start(const QByteArray &rootPath, int threads);
    // The next folder in row order; nullptr once the walk is over or the
    // cancel flag was seen.
    [[nodiscard]] std::unique_ptr<FolderListing> next();

    // The walker threads that suit this machine.
    [[nodiscard]] static int defaultThreads();

private:
    static constexpr quint32 kNone = 0xffffffffu;
    using Handle = FileSystem::FolderHandle;

    struct Node
    {
        quint32 parent = kNone;
        quint32 depth = 0;
        quint32 firstChild = 0;
        quint32 childCount = 0;
        quint32 childrenToOpen = 0; // children not yet opened through `handle`
        quint32 handleUsers = 0; // threads opening a child through `handle` now
        WalkedItem self; // name in m_nodeNames
        std::optional<Handle> handle;
        bool sizesOnly = false;
        bool read = false;
        size_t bufferedEntries = 0;
        std::unique_ptr<FolderListing> listing; // from reading until handed out
    };
    // How to open one folder: through an open ancestor's handle (or the
    // search folder's path) and the names from there down.
    struct OpenPlan
    {
        quint32 folder = kNone;
        quint32 base = kNone; // the ancestor whose handle is used; kNone: by path
        std::optional<Handle> baseHandle;
        std::vector<QByteArrayView> names;
    };
    // An item's place in the enumeration order, by its key in Scratch::keys.
    struct SortKey
    {
        quint64 key;
        quint32 keyLength;
        quint32 item;
    };
    // One walker's reusable buffers.
    struct Scratch
    {
        OpenPlan plan;
        std::vector<WalkedItem> files;
        std::vector<WalkedItem> folders;
        std::vector<char> names;
        std::vector<char> keys;
        std::vector<SortKey> order;
        std::vector<WalkedItem> sorted;
    };
    struct LaterInRowOrder
    {
        const FolderWalker *walker;
        bool operator()(quint32 a, quint32 b) const { return walker->comesBefore(b, a); }
    };

    void walk();
    // Takes the earliest queued folder and reads it (the lock is let go
    // while the file system works).
    void readQueued(std::unique_lock<std::mutex> &lock, Scratch &scratch);
    void planOpen(quint32 folder, OpenPlan &plan);
    [[nodiscard]] std::optional<Handle> open(const OpenPlan &plan, ItemProperties *own) const;
    void readFolder(Handle handle, bool listFiles, Scratch &scratch, FolderListing &listing) const;
    static void sortByName(std::vector<WalkedItem> &items, Scratch &scratch);
    void addChildren(quint32 folder, Scratch &scratch);
    void releaseHandleIfUnused(quint32 folder);
    void limitKeptHandles();
    [[nodiscard]] bool comesBefore(quint32 a, quint32 b) const;
    [[nodiscard]] bool mayRead() const;
    [[nodiscard]] bool walkOver() const { return m_queue.empty() && m_reading == 0; }
    [[nodiscard]] bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    const FileSystem &m_fileSystem;
    const NameFilter &m_filter;
    const std::atomic<bool> &m_cancel;
    const bool m_recursive;
    QByteArray m_rootPath;

    std::mutex m_mutex;
    std::condition_variable m_walkersWake; // work queued, room made, or the end
    std::condition_variable m_readerWake; // the folder next() waits for was read
    std::deque<Node> m_nodes;
    ByteArena m_nodeNames;
    std::priority_queue<quint32, std::vector<quint32>, LaterInRowOrder> m_queue;
    std::set<std::pair<quint32, quint32>> m_keptHandles; // (depth, folder)
    quint32 m_cursor = kNone; // the folder next() hands out next
    size_t m_buffered = 0; // entries read and not yet handed out
    int m_reading = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
