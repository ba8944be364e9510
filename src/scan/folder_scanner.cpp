#include "scan/folder_scanner.h"

#include "app/program_state.h"
#include "core/exclude_list.h"
#include "core/name_pattern.h"
#include "scan/file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

// The walk in two phases. First the tree below the search folder is read
// into a compact snapshot, depth first, each folder opened relative to its
// parent's handle; files and subfolders of a folder are sorted into
// enumeration order as they are read. The top of the tree is read first;
// the subtrees below it ("units") are then read by two threads at once, each
// unit into its own store, which lies in exactly the order its rows are
// made. Folder totals are summed once, bottom up. Second, the rows are made
// from the snapshot by an explicit-stack version of the recursive walk
// of ScanFolder, step by step, releasing each unit's files as their rows are
// made.

namespace {

constexpr quint8 kHasSize = 1;
constexpr quint8 kHasCreated = 2;
constexpr quint8 kHasModified = 4;
constexpr quint8 kHasAttributes = 8;

// Open folder handles kept at once while reading ahead; deeper ones are
// closed and opened again from an ancestor when needed.
constexpr int kMaxOpenFolders = 96;
// While reading one huge folder the window still gets its turn.
constexpr int kEntriesPerYield = 4096;

// Append-only storage in fixed blocks whose leading blocks can be released
// once their items are no longer needed.
template<typename T, size_t kBlock> class BlockStore
{
public:
    [[nodiscard]] size_t size() const { return m_size; }
    T &operator[](size_t index) { return m_blocks[index / kBlock][index % kBlock]; }
    const T &operator[](size_t index) const { return m_blocks[index / kBlock][index % kBlock]; }
    void push_back(const T &item)
    {
        if (m_size % kBlock == 0)
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
        m_blocks.back()[m_size % kBlock] = item;
        ++m_size;
    }
    // Frees the blocks that hold only items before `index`.
    void releaseBefore(size_t index)
    {
        for (size_t block = m_released; block < index / kBlock && block < m_blocks.size(); ++block)
            m_blocks[block].reset();
        m_released = std::max(m_released, index / kBlock);
    }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    size_t m_size = 0;
    size_t m_released = 0;
};

// Names in shared byte blocks; an offset encodes block and position, and a
// name never spans two blocks. Blocks grow from small (a store per small
// subtree) to kMaxBlockSize.
class NameStore
{
public:
    static constexpr quint64 kFirstBlockSize = 1 << 12;
    static constexpr quint64 kMaxBlockSize = 1 << 20;

    quint64 add(QByteArrayView name)
    {
        const quint64 length = quint64(name.size());
        if (m_blocks.empty() || m_used + length > m_capacity) {
            const quint64 next
                = m_blocks.empty() ? kFirstBlockSize : std::min(kMaxBlockSize, m_capacity * 2);
            m_capacity = std::max(next, length);
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
            m_used = 0;
        }
        if (length > 0)
            std::memcpy(m_blocks.back().get() + m_used, name.data(), length);
        const quint64 offset = (quint64(m_blocks.size() - 1) << 32) | m_used;
        m_used += length;
        return offset;
    }
    [[nodiscard]] QByteArrayView get(quint64 offset, quint32 length) const
    {
        return { m_blocks[size_t(offset >> 32)].get() + (offset & 0xffffffffu), qsizetype(length) };
    }
    void releaseBefore(quint64 offset)
    {
        const size_t block = size_t(offset >> 32);
        for (size_t b = m_released; b < block && b < m_blocks.size(); ++b)
            m_blocks[b].reset();
        m_released = std::max(m_released, block);
    }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    quint64 m_used = 0;
    quint64 m_capacity = 0;
    size_t m_released = 0;
};

struct SnapFile
{
    quint64 name = 0; // offset in the file names
    qint64 size = 0;
    qint64 created = 0;
    qint64 modified = 0;
    quint32 nameLength = 0;
    quint8 flags = 0;
    quint8 attributes = 0;
};

struct SnapFolder
{
    quint64 name = 0; // offset in the folder names
    qint64 total = 0; // own files, then (bottom up) all files below
    qint64 created = 0;
    qint64 modified = 0;
    quint32 nameLength = 0;
    quint32 parent = 0;
    quint32 firstFile = 0;
    quint32 fileCount = 0;
    quint32 firstChild = 0;
    quint32 childCount = 0;
    quint8 flags = 0;
    quint8 attributes = 0;
    qint32 unit = -1; // top store only: the unit store that holds this folder's subtree
    bool listed = false; // opened and read
    bool totalKnown = false; // every folder below was read too
};

void storeProperties(const ResultList::Properties &properties, auto &item)
{
    item.flags = 0;
    if constexpr (requires { item.size; }) {
        if (properties.sizeBytes) {
            item.size = *properties.sizeBytes;
            item.flags |= kHasSize;
        }
    }
    if (properties.createdSecs) {
        item.created = *properties.createdSecs;
        item.flags |= kHasCreated;
    }
    if (properties.modifiedSecs) {
        item.modified = *properties.modifiedSecs;
        item.flags |= kHasModified;
    }
    if (properties.attributes && *properties.attributes >= 0 && *properties.attributes <= 255) {
        item.attributes = quint8(*properties.attributes);
        item.flags |= kHasAttributes;
    }
}

ResultList::Properties propertiesOf(const auto &item)
{
    ResultList::Properties properties;
    if (item.flags & kHasCreated)
        properties.createdSecs = item.created;
    if (item.flags & kHasModified)
        properties.modifiedSecs = item.modified;
    if (item.flags & kHasAttributes)
        properties.attributes = item.attributes;
    return properties;
}

// The snapshot of one subtree: its folders (the subtree's own folder at
// index 0; a folder's subfolders contiguous, after it), their files
// (contiguous per folder) and names.
class Store
{
public:
    // Names the excludes match are left out as the folders are read, so
    // they are never walked, listed or counted.
    explicit Store(const ExcludeList &excludes)
        : m_excludes(excludes)
    { }
    [[nodiscard]] SnapFolder &folder(quint32 index) { return m_folders[index]; }
    [[nodiscard]] const SnapFolder &folder(quint32 index) const { return m_folders[index]; }
    [[nodiscard]] quint32 folderCount() const { return quint32(m_folders.size()); }
    [[nodiscard]] QByteArrayView folderName(quint32 index) const
    {
        return m_folderNames.get(m_folders[index].name, m_folders[index].nameLength);
    }
    [[nodiscard]] const SnapFile &file(quint32 index) const { return m_files[index]; }
    [[nodiscard]] QByteArrayView fileName(const SnapFile &file) const
    {
        return m_fileNames.get(file.name, file.nameLength);
    }
    // The files before `index` are no longer needed (the store lies in the
    // order its rows are made).
    void releaseFilesBefore(quint32 index)
    {
        if (!m_releasable || index >= m_files.size())
            return;
        m_fileNames.releaseBefore(m_files[index].name);
        m_files.releaseBefore(index);
    }
    void setReleasable(bool releasable) { m_releasable = releasable; }
    [[nodiscard]] size_t unit() const { return m_unit; }
    void setUnit(size_t unit) { m_unit = unit; }

    quint32 addFolder(const SnapFolder &folder, QByteArrayView name)
    {
        m_folders.push_back(folder);
        m_folders.back().name = m_folderNames.add(name);
        m_folders.back().nameLength = quint32(name.size());
        return quint32(m_folders.size() - 1);
    }

    // Reads one opened folder into `index`: its files and its subfolders
    // (appended, unread) in enumeration order.
    void readFolder(const FileSystem &fs, quint32 index, FileSystem::FolderHandle handle,
                    const std::function<void()> &yield);

    // Sums the totals bottom up: a subfolder always comes after its parent.
    void sumTotals()
    {
        for (size_t index = m_folders.size() - 1; index > 0; --index) {
            SnapFolder &parent = m_folders[m_folders[index].parent];
            parent.total += m_folders[index].total;
            parent.totalKnown = parent.totalKnown && m_folders[index].totalKnown;
        }
    }

private:
    const ExcludeList &m_excludes;
    std::vector<SnapFolder> m_folders;
    BlockStore<SnapFile, 512> m_files;
    NameStore m_fileNames;
    NameStore m_folderNames;
    bool m_releasable = true;
    size_t m_unit = size_t(-1); // the index among the snapshot's units

    // Reused per folder while it is read and sorted.
    std::vector<SnapFile> m_pendingFiles;
    std::vector<SnapFolder> m_pendingFolders;
    std::vector<char> m_pendingNames;
};

void Store::readFolder(const FileSystem &fs, quint32 index, FileSystem::FolderHandle handle,
                       const std::function<void()> &yield)
{
    // Names of this folder go into a scratch buffer first, so that sorting
    // can compare them; then both kinds are appended in enumeration order.
    m_pendingFiles.clear();
    m_pendingFolders.clear();
    m_pendingNames.clear();
    int sinceYield = 0;
    qint64 ownTotal = 0;
    bool ownTotalKnown = true;
    const bool listed = fs.readFolder(handle, [&](const FileSystem::EntryView &entry) {
        if (m_excludes.excludes(entry.name))
            return;
        const quint64 offset = m_pendingNames.size();
        m_pendingNames.insert(m_pendingNames.end(), entry.name.begin(), entry.name.end());
        if (entry.isFolder) {
            SnapFolder folder;
            storeProperties(*entry.properties, folder);
            folder.name = offset;
            folder.nameLength = quint32(entry.name.size());
            folder.parent = index;
            m_pendingFolders.push_back(folder);
        } else {
            SnapFile file;
            storeProperties(*entry.properties, file);
            file.name = offset;
            file.nameLength = quint32(entry.name.size());
            if (file.flags & kHasSize)
                ownTotal += file.size;
            else
                ownTotalKnown = false;
            m_pendingFiles.push_back(file);
        }
        if (yield && ++sinceYield == kEntriesPerYield) {
            sinceYield = 0;
            yield();
        }
    });
    SnapFolder &self = m_folders[index];
    self.listed = listed;
    self.totalKnown = listed && ownTotalKnown;
    self.total = ownTotal;
    if (!listed) {
        m_pendingFiles.clear();
        m_pendingFolders.clear();
    }
    const char *scratch = m_pendingNames.data();
    const auto nameIn = [scratch](const auto &item) {
        return QByteArrayView(scratch + item.name, qsizetype(item.nameLength));
    };
    const auto byName
        = [&](const auto &a, const auto &b) { return EnumerationLess(nameIn(a), nameIn(b)); };
    std::sort(m_pendingFiles.begin(), m_pendingFiles.end(), byName);
    std::sort(m_pendingFolders.begin(), m_pendingFolders.end(), byName);

    self.firstFile = quint32(m_files.size());
    self.fileCount = quint32(m_pendingFiles.size());
    self.firstChild = quint32(m_folders.size());
    self.childCount = quint32(m_pendingFolders.size());
    for (SnapFile file : m_pendingFiles) {
        file.name = m_fileNames.add(nameIn(file));
        m_files.push_back(file);
    }
    for (const SnapFolder &folder : m_pendingFolders)
        addFolder(folder, nameIn(folder)); // `self` is not used after this
}

// Reads a whole subtree into a store, depth first, from the opened handle
// of its top folder (store index 0, already added). The top handle stays
// open (the caller closes it); below it, at most kMaxOpenFolders handles are
// open at once, others are opened again from an ancestor when needed.
class SubtreeReader
{
public:
    SubtreeReader(const FileSystem &fs, const std::atomic<bool> &cancel,
                  const std::function<void()> &yield, Store &store)
        : m_fs(fs)
        , m_cancel(cancel)
        , m_yield(yield)
        , m_store(store)
    { }
    // False when cancelled.
    bool read(FileSystem::FolderHandle top);

private:
    struct Frame
    {
        quint32 folder;
        quint32 nextChild = 0;
        std::optional<FileSystem::FolderHandle> handle;
        bool ownsHandle = true;
    };
    std::optional<FileSystem::FolderHandle> handleOf(size_t frame);
    void closeHandle(Frame &frame);
    void limitOpenHandles();

    const FileSystem &m_fs;
    const std::atomic<bool> &m_cancel;
    const std::function<void()> &m_yield;
    Store &m_store;
    std::vector<Frame> m_stack;
    int m_openHandles = 0;
};

void SubtreeReader::closeHandle(Frame &frame)
{
    if (frame.handle && frame.ownsHandle) {
        m_fs.closeFolder(*frame.handle);
        frame.handle.reset();
        --m_openHandles;
    }
}

void SubtreeReader::limitOpenHandles()
{
    // Close the shallowest open handle below the top; it is opened again
    // from its ancestors when its next subfolder is due.
    for (size_t i = 1; m_openHandles > kMaxOpenFolders && i + 1 < m_stack.size(); ++i)
        closeHandle(m_stack[i]);
}

std::optional<FileSystem::FolderHandle> SubtreeReader::handleOf(size_t frame)
{
    if (m_stack[frame].handle)
        return m_stack[frame].handle;
    // Open it again from the nearest ancestor with a handle (the top's
    // stays open), one name after the other. The folders on the way keep
    // their handles: the walk comes back up through them next.
    size_t from = frame;
    while (from > 0 && !m_stack[from].handle)
        --from;
    for (size_t i = from + 1; i <= frame; ++i) {
        const std::optional<FileSystem::FolderHandle> next
            = m_fs.openSubfolder(*m_stack[i - 1].handle, m_store.folderName(m_stack[i].folder));
        if (!next)
            break;
        m_stack[i].handle = next;
        ++m_openHandles;
    }
    limitOpenHandles();
    return m_stack[frame].handle;
}

bool SubtreeReader::read(FileSystem::FolderHandle top)
{
    m_store.readFolder(m_fs, 0, top, m_yield);
    m_stack.push_back({ 0, 0, top, false });
    bool cancelled = false;
    while (!m_stack.empty()) {
        if (m_cancel.load(std::memory_order_relaxed)) {
            cancelled = true;
            break;
        }
        const size_t topFrame = m_stack.size() - 1;
        const SnapFolder &parent = m_store.folder(m_stack[topFrame].folder);
        if (m_stack[topFrame].nextChild == parent.childCount) {
            closeHandle(m_stack[topFrame]);
            m_stack.pop_back();
            continue;
        }
        const quint32 child = parent.firstChild + m_stack[topFrame].nextChild++;
        const bool lastChild = m_stack[topFrame].nextChild == parent.childCount;
        std::optional<FileSystem::FolderHandle> handle;
        if (const auto parentHandle = handleOf(topFrame))
            handle = m_fs.openSubfolder(*parentHandle, m_store.folderName(child));
        // A chain of single subfolders keeps no handle open behind it.
        if (lastChild)
            closeHandle(m_stack[topFrame]);
        if (!handle) {
            m_store.folder(child).listed = false;
            continue;
        }
        m_store.readFolder(m_fs, child, *handle, m_yield);
        if (m_yield)
            m_yield();
        m_stack.push_back({ child, 0, handle, true });
        ++m_openHandles;
        limitOpenHandles();
    }
    for (Frame &frame : m_stack)
        closeHandle(frame);
    m_stack.clear();
    if (cancelled)
        return false;
    m_store.sumTotals();
    return true;
}

// The whole snapshot: the top store (the search folder and, when the tree
// is wide enough, a few levels below it) and the unit stores of the
// subtrees below the top.
class Snapshot
{
public:
    Snapshot(const FileSystem &fileSystem, const ExcludeList &excludes,
             const std::atomic<bool> &cancel, const std::function<void()> &yield)
        : m_fs(fileSystem)
        , m_excludes(excludes)
        , m_cancel(cancel)
        , m_yield(yield)
        , m_top(excludes)
    { }
    ~Snapshot() { closeTopHandles(); }

    // Reads the whole tree below rootPath; false when cancelled.
    bool read(const QByteArray &rootPath);

    [[nodiscard]] Store &top() { return m_top; }
    // The store and index holding a top-store folder's contents.
    [[nodiscard]] std::pair<Store *, quint32> resolve(Store *store, quint32 index)
    {
        const qint32 unit = store == &m_top ? m_top.folder(index).unit : -1;
        if (unit >= 0)
            return { m_units[size_t(unit)].get(), 0 };
        return { store, index };
    }
    // A unit's rows are all made: its store is freed.
    void release(Store *store)
    {
        if (store != &m_top && store->unit() < m_units.size())
            m_units[store->unit()].reset();
    }

private:
    // Units are wanted until there are this many (two threads share them),
    // looking at most this many levels below the search folder.
    static constexpr size_t kWantedUnits = 32;
    static constexpr int kMaxTopLevels = 3;

    bool readUnits(bool mainThread);
    void closeTopHandles()
    {
        for (const auto &[index, handle] : m_topHandles)
            m_fs.closeFolder(handle);
        m_topHandles.clear();
    }
    [[nodiscard]] bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    const FileSystem &m_fs;
    const ExcludeList &m_excludes;
    const std::atomic<bool> &m_cancel;
    const std::function<void()> &m_yield;
    Store m_top;
    std::vector<std::pair<quint32, FileSystem::FolderHandle>>
        m_topHandles; // top folders read, open
    std::vector<quint32> m_unitFolders; // top-store index of each unit's folder
    std::vector<std::unique_ptr<Store>> m_units;
    std::atomic<size_t> m_nextUnit { 0 };
    std::atomic<bool> m_unitCancelled { false };
};

bool Snapshot::readUnits(bool mainThread)
{
    static const std::function<void()> kNoYield;
    for (;;) {
        const size_t unit = m_nextUnit.fetch_add(1);
        if (unit >= m_unitFolders.size())
            return true;
        if (cancelled())
            return false;
        const quint32 index = m_unitFolders[unit];
        const SnapFolder &folder = m_top.folder(index);
        Store &store = *m_units[unit];
        // The parent's handle is among the top handles, open until all
        // units are read.
        std::optional<FileSystem::FolderHandle> parentHandle;
        for (const auto &[topIndex, handle] : m_topHandles)
            if (topIndex == folder.parent)
                parentHandle = handle;
        const std::optional<FileSystem::FolderHandle> handle = parentHandle
            ? m_fs.openSubfolder(*parentHandle, m_top.folderName(index))
            : std::nullopt;
        if (!handle)
            continue; // not listed: the unit's folder keeps listed == false
        SubtreeReader reader(m_fs, m_cancel, mainThread ? m_yield : kNoYield, store);
        const bool complete = reader.read(*handle);
        m_fs.closeFolder(*handle);
        if (!complete)
            return false;
    }
}

bool Snapshot::read(const QByteArray &rootPath)
{
    ResultList::Properties own;
    const std::optional<FileSystem::FolderHandle> root = m_fs.openFolder(rootPath, &own);
    SnapFolder rootFolder;
    storeProperties(own, rootFolder);
    m_top.addFolder(rootFolder, {});
    m_top.setReleasable(false); // read breadth first: not in row order
    if (!root)
        return true; // the search folder cannot be opened: no rows
    m_topHandles.emplace_back(0, *root);
    m_top.readFolder(m_fs, 0, *root, m_yield);

    // The top, breadth first, until the frontier is wide enough.
    std::vector<quint32> frontier;
    for (quint32 c = 0; c < m_top.folder(0).childCount; ++c)
        frontier.push_back(m_top.folder(0).firstChild + c);
    for (int level = 1;
         level < kMaxTopLevels && !frontier.empty() && frontier.size() < kWantedUnits; ++level) {
        std::vector<quint32> next;
        for (const quint32 index : frontier) {
            if (cancelled())
                return false;
            std::optional<FileSystem::FolderHandle> parentHandle;
            for (const auto &[topIndex, handle] : m_topHandles)
                if (topIndex == m_top.folder(index).parent)
                    parentHandle = handle;
            const auto handle = parentHandle
                ? m_fs.openSubfolder(*parentHandle, m_top.folderName(index))
                : std::nullopt;
            if (!handle)
                continue;
            m_topHandles.emplace_back(index, *handle);
            m_top.readFolder(m_fs, index, *handle, m_yield);
            if (m_yield)
                m_yield();
            for (quint32 c = 0; c < m_top.folder(index).childCount; ++c)
                next.push_back(m_top.folder(index).firstChild + c);
        }
        frontier = std::move(next);
    }

    // The subtrees below the top, shared by this thread and a worker.
    for (const quint32 index : frontier) {
        m_top.folder(index).unit = qint32(m_units.size());
        auto store = std::make_unique<Store>(m_excludes);
        store->setUnit(m_units.size());
        SnapFolder folder = m_top.folder(index);
        folder.unit = -1;
        folder.parent = 0;
        store->addFolder(folder, m_top.folderName(index));
        m_units.push_back(std::move(store));
        m_unitFolders.push_back(index);
    }
    bool complete = true;
    if (m_units.size() >= 2 && std::thread::hardware_concurrency() >= 2) {
        std::future<bool> worker;
        try {
            worker = std::async(std::launch::async, [this] { return readUnits(false); });
        } catch (const std::system_error &) {
            // No thread to be had: this thread reads them all.
        }
        complete = readUnits(true);
        if (worker.valid()) {
            // The window keeps its turns while the worker finishes.
            while (worker.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
                if (m_yield)
                    m_yield();
            }
            complete = worker.get() && complete;
        }
    } else {
        complete = readUnits(true);
    }
    closeTopHandles();
    if (!complete || cancelled())
        return false;

    // Totals, bottom up: units first (their readers did), then the top.
    for (quint32 index = m_top.folderCount() - 1; index > 0; --index) {
        SnapFolder &folder = m_top.folder(index);
        if (folder.unit >= 0) {
            const SnapFolder &unitTop = m_units[size_t(folder.unit)]->folder(0);
            folder.total = unitTop.total;
            folder.totalKnown = unitTop.totalKnown;
        }
        SnapFolder &parent = m_top.folder(folder.parent);
        parent.total += folder.total;
        parent.totalKnown = parent.totalKnown && folder.totalKnown;
    }
    return true;
}

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

// A folder of the snapshot: its store and index there (after resolve()).
struct FolderRef
{
    Store *store;
    quint32 index;
    [[nodiscard]] const SnapFolder &folder() const { return store->folder(index); }
};

class RowMaker
{
public:
    RowMaker(ProgramState &state, ResultList &list, ScanCounters &counters, int &currentItem,
             const QString &pattern, const ScanHooks &hooks, const FileSystem &fileSystem,
             Snapshot &snapshot)
        : m_state(state)
        , m_list(list)
        , m_counters(counters)
        , m_currentItem(currentItem)
        , m_pattern(pattern)
        , m_hooks(hooks)
        , m_fs(fileSystem)
        , m_snapshot(snapshot)
        , m_folderType(fileSystem.typeDescription(QByteArray(), true))
    { }

    void run(const QByteArray &rootPath);

private:
    [[nodiscard]] bool cancelled() const
    {
        return m_state.bgCancel.load(std::memory_order_relaxed);
    }
    void yield() const
    {
        if (m_hooks.yield)
            m_hooks.yield();
    }
    // Steps 1 to 6 of ScanFolder for one folder; true when its subfolders
    // are to be walked (step 7).
    bool scanOwnFiles(FolderRef folder);
    void addFolderRow(FolderRef folder, const QString &rowText);
    [[nodiscard]] QString subfolderRowText() const;

    ProgramState &m_state;
    ResultList &m_list;
    ScanCounters &m_counters;
    int &m_currentItem;
    NamePattern m_pattern;
    const ScanHooks &m_hooks;
    const FileSystem &m_fs;
    Snapshot &m_snapshot;
    QString m_folderType;
    QByteArray m_path; // the folder being walked, as the file system reports it
};

void RowMaker::addFolderRow(FolderRef ref, const QString &rowText)
{
    const SnapFolder &folder = ref.folder();
    ResultList::Properties properties = propertiesOf(folder);
    if (folder.totalKnown)
        properties.sizeBytes = folder.total;
    properties.type = m_folderType;
    std::optional<qint64> fileCount;
    if (folder.listed)
        fileCount = folder.fileCount;
    m_currentItem = m_list.addFolderRow(rowText, m_path, properties, fileCount);
}

bool RowMaker::scanOwnFiles(FolderRef ref)
{
    // 1. A cancelled walk makes no call.
    if (cancelled())
        return false;
    // 2.-4. The folder was opened and read ahead.
    yield();
    const SnapFolder &folder = ref.folder();
    bool found = false;
    yield();
    // 5.
    if (folder.listed) {
        ref.store->releaseFilesBefore(folder.firstFile);
        for (quint32 i = folder.firstFile; i < folder.firstFile + folder.fileCount; ++i) {
            if (cancelled())
                break;
            const SnapFile &file = ref.store->file(i);
            const QByteArrayView name = ref.store->fileName(file);
            if (!m_pattern.matches(name))
                continue;
            found = true;
            ++m_counters.FileCount;
            if (m_list.count() == 0) {
                ++m_counters.FolderCount;
                ++m_counters.SearchedFolderCount;
                addFolderRow(ref, QString::fromUtf8(m_path));
            }
            const QByteArray nameBytes = QByteArray::fromRawData(name.data(), name.size());
            ResultList::Properties properties = propertiesOf(file);
            if (file.flags & kHasSize) {
                properties.sizeBytes = file.size;
                m_counters.addFileKb(file.size);
            }
            properties.type = m_fs.typeDescription(nameBytes, false);
            m_currentItem = m_list.addFileRow(nameBytes, m_path, properties);
            yield();
        }
    }
    // 6.
    if (!found && m_state.bgSkipEmptyDir && m_list.count() > 0
        && m_list.isFolderRow(m_list.count() - 1)) {
        m_list.removeAt(m_list.count() - 1);
        --m_counters.FolderCount;
        if (m_currentItem >= m_list.count())
            m_currentItem = -1;
    }
    return m_state.bgRecursive && folder.listed;
}

QString RowMaker::subfolderRowText() const
{
    QString text = QString::fromUtf8(m_path);
    if (m_hooks.onlyThisDir && m_hooks.onlyThisDir()) {
        const qsizetype drop = m_hooks.pathBoxText ? m_hooks.pathBoxText().size() : 0;
        text.remove(0, drop);
        if (text.contains(u'/'))
            text.prepend(QStringLiteral(" + "));
    }
    return text;
}

void RowMaker::run(const QByteArray &rootPath)
{
    m_path = rootPath;
    const FolderRef root { &m_snapshot.top(), 0 };
    if (!scanOwnFiles(root))
        return;
    // 7., with the recursion as a stack: each entry is a folder whose
    // subfolders are being walked, and the length of its path.
    struct Frame
    {
        FolderRef folder;
        quint32 nextChild;
        qsizetype pathLength;
    };
    std::vector<Frame> stack { { root, 0, m_path.size() } };
    while (!stack.empty()) {
        Frame &frame = stack.back();
        const SnapFolder &folder = frame.folder.folder();
        if (cancelled() || frame.nextChild == folder.childCount) {
            // A unit's top folder is done: its store is no longer needed.
            if (frame.folder.store != &m_snapshot.top() && frame.folder.index == 0)
                m_snapshot.release(frame.folder.store);
            stack.pop_back();
            if (!stack.empty())
                m_path.truncate(stack.back().pathLength);
            continue;
        }
        const quint32 childIndex = folder.firstChild + frame.nextChild++;
        m_path.truncate(frame.pathLength);
        if (!m_path.endsWith('/'))
            m_path += '/';
        m_path += frame.folder.store->folderName(childIndex);
        const auto [store, index] = m_snapshot.resolve(frame.folder.store, childIndex);
        const FolderRef child { store, index };
        ++m_counters.FolderCount;
        ++m_counters.SearchedFolderCount;
        addFolderRow(child, subfolderRowText());
        if (scanOwnFiles(child))
            stack.push_back({ child, 0, m_path.size() });
        else if (child.store != &m_snapshot.top() && child.index == 0)
            m_snapshot.release(child.store);
    }
}

} // namespace

void ScanFolder(ProgramState &state, ResultList &list, ScanCounters &counters, int &currentItem,
                const QString &folderPath, const QString &pattern, const ScanHooks &hooks)
{
    if (state.bgCancel.load() || folderPath.isEmpty())
        return;
    const FileSystem &fileSystem = SharedFileSystem(state);
    const QByteArray rootPath = folderPathOf(folderPath);
    const ExcludeList excludes(state.sgExclude);
    Snapshot snapshot(fileSystem, excludes, state.bgCancel, hooks.yield);
    if (!snapshot.read(rootPath))
        return;
    RowMaker rows(state, list, counters, currentItem, pattern, hooks, fileSystem, snapshot);
    rows.run(rootPath);
}
