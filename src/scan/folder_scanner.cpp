#include "scan/folder_scanner.h"

#include "app/program_state.h"
#include "core/name_pattern.h"
#include "scan/file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// The walk in two phases. First the tree below the search folder is read
// into a compact snapshot, depth first, each folder opened relative to its
// parent's handle; files and subfolders of a folder are sorted into
// enumeration order as they are read, so the snapshot lies in exactly the
// order the rows are made. Folder totals are then summed once, bottom up.
// Second, the rows are made from the snapshot by an explicit-stack version
// of Part 2.3's recursive ScanFolder, step by step, releasing the snapshot's
// files as their rows are made.

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
template<typename T, size_t kBlock>
class BlockStore
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
// name never spans two blocks.
class NameStore
{
public:
    static constexpr quint64 kBlockSize = 1 << 20;

    quint64 add(QByteArrayView name)
    {
        const quint64 length = quint64(name.size());
        if (m_blocks.empty() || m_used + length > m_capacity) {
            m_capacity = std::max(kBlockSize, length);
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
            m_used = 0;
        }
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

class Snapshot
{
public:
    Snapshot(const FileSystem &fileSystem, const std::atomic<bool> &cancel,
             const std::function<void()> &yield)
        : m_fs(fileSystem)
        , m_cancel(cancel)
        , m_yield(yield)
    {
    }

    // Reads the whole tree below rootPath; false when cancelled.
    bool read(const QByteArray &rootPath);

    [[nodiscard]] const SnapFolder &folder(quint32 index) const { return m_folders[index]; }
    [[nodiscard]] QByteArrayView folderName(quint32 index) const
    {
        return m_folderNames.get(m_folders[index].name, m_folders[index].nameLength);
    }
    [[nodiscard]] const SnapFile &file(quint32 index) const { return m_files[index]; }
    [[nodiscard]] QByteArrayView fileName(const SnapFile &file) const
    {
        return m_fileNames.get(file.name, file.nameLength);
    }
    // The files before `index` are no longer needed.
    void releaseFilesBefore(quint32 index)
    {
        if (index >= m_files.size())
            return;
        m_fileNames.releaseBefore(m_files[index].name);
        m_files.releaseBefore(index);
    }

private:
    struct Frame
    {
        quint32 folder;
        quint32 nextChild = 0;
        std::optional<FileSystem::FolderHandle> handle;
    };

    void readFolder(quint32 index, FileSystem::FolderHandle handle);
    std::optional<FileSystem::FolderHandle> handleOf(size_t frame);
    void closeHandle(Frame &frame);
    void closeAll();
    void limitOpenHandles();
    [[nodiscard]] bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    void yield() const
    {
        if (m_yield)
            m_yield();
    }

    const FileSystem &m_fs;
    const std::atomic<bool> &m_cancel;
    const std::function<void()> &m_yield;
    QByteArray m_rootPath;
    std::vector<SnapFolder> m_folders;
    BlockStore<SnapFile, 4096> m_files;
    NameStore m_fileNames;
    NameStore m_folderNames;
    std::vector<Frame> m_stack;
    int m_openHandles = 0;

    // Reused per folder while it is read and sorted.
    std::vector<SnapFile> m_pendingFiles;
    std::vector<SnapFolder> m_pendingFolders;
    std::vector<char> m_pendingNames;
};

void Snapshot::readFolder(quint32 index, FileSystem::FolderHandle handle)
{
    // Names of this folder go into a scratch buffer first, so that sorting
    // can compare them; then both kinds are appended in enumeration order.
    m_pendingFiles.clear();
    m_pendingFolders.clear();
    m_pendingNames.clear();
    int sinceYield = 0;
    qint64 ownTotal = 0;
    bool ownTotalKnown = true;
    const bool listed = m_fs.readFolder(handle, [&](const FileSystem::EntryView &entry) {
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
        if (++sinceYield == kEntriesPerYield) {
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
    const auto byName = [&](const auto &a, const auto &b) { return EnumerationLess(nameIn(a), nameIn(b)); };
    std::sort(m_pendingFiles.begin(), m_pendingFiles.end(), byName);
    std::sort(m_pendingFolders.begin(), m_pendingFolders.end(), byName);

    self.firstFile = quint32(m_files.size());
    self.fileCount = quint32(m_pendingFiles.size());
    for (SnapFile file : m_pendingFiles) {
        file.name = m_fileNames.add(nameIn(file));
        m_files.push_back(file);
    }
    self.firstChild = quint32(m_folders.size());
    self.childCount = quint32(m_pendingFolders.size());
    for (SnapFolder folder : m_pendingFolders) {
        folder.name = m_folderNames.add(nameIn(folder));
        m_folders.push_back(folder); // `self` is not used after this
    }
}

void Snapshot::closeHandle(Frame &frame)
{
    if (frame.handle) {
        m_fs.closeFolder(*frame.handle);
        frame.handle.reset();
        --m_openHandles;
    }
}

void Snapshot::closeAll()
{
    for (Frame &frame : m_stack)
        closeHandle(frame);
    m_stack.clear();
}

void Snapshot::limitOpenHandles()
{
    // Close the shallowest open handle below the root's; it is opened again
    // from its ancestors when its next subfolder is due.
    for (size_t i = 1; m_openHandles > kMaxOpenFolders && i + 1 < m_stack.size(); ++i)
        closeHandle(m_stack[i]);
}

std::optional<FileSystem::FolderHandle> Snapshot::handleOf(size_t frame)
{
    if (m_stack[frame].handle)
        return m_stack[frame].handle;
    // Open it again: from the nearest ancestor with a handle, or from the
    // search folder's path, one name after the other.
    size_t from = frame;
    while (from > 0 && !m_stack[from].handle)
        --from;
    std::optional<FileSystem::FolderHandle> current;
    bool own = false;
    if (m_stack[from].handle) {
        current = m_stack[from].handle;
    } else {
        current = m_fs.openFolder(m_rootPath, nullptr);
        own = true;
    }
    for (size_t i = from + 1; current && i <= frame; ++i) {
        const std::optional<FileSystem::FolderHandle> next =
            m_fs.openSubfolder(*current, folderName(m_stack[i].folder));
        if (own)
            m_fs.closeFolder(*current);
        current = next;
        own = true;
    }
    if (current) {
        m_stack[frame].handle = current;
        ++m_openHandles;
        limitOpenHandles();
    }
    return m_stack[frame].handle;
}

bool Snapshot::read(const QByteArray &rootPath)
{
    m_rootPath = rootPath;
    ResultList::Properties own;
    const std::optional<FileSystem::FolderHandle> root = m_fs.openFolder(rootPath, &own);
    SnapFolder rootFolder;
    storeProperties(own, rootFolder);
    m_folders.push_back(rootFolder);
    if (!root)
        return true; // the search folder cannot be opened: no rows
    readFolder(0, *root);
    m_stack.push_back({ 0, 0, root });
    m_openHandles = 1;
    while (!m_stack.empty()) {
        if (cancelled()) {
            closeAll();
            return false;
        }
        const size_t top = m_stack.size() - 1;
        const quint32 parent = m_stack[top].folder;
        const SnapFolder &parentFolder = m_folders[parent];
        if (m_stack[top].nextChild == parentFolder.childCount) {
            closeHandle(m_stack[top]);
            m_stack.pop_back();
            continue;
        }
        const quint32 child = parentFolder.firstChild + m_stack[top].nextChild++;
        const bool lastChild = m_stack[top].nextChild == parentFolder.childCount;
        std::optional<FileSystem::FolderHandle> handle;
        if (const auto parentHandle = handleOf(top))
            handle = m_fs.openSubfolder(*parentHandle, folderName(child));
        // A chain of single subfolders keeps no handle open behind it.
        if (lastChild)
            closeHandle(m_stack[top]);
        if (!handle) {
            m_folders[child].listed = false;
            continue;
        }
        readFolder(child, *handle);
        yield();
        m_stack.push_back({ child, 0, handle });
        ++m_openHandles;
        limitOpenHandles();
    }
    // Totals once, bottom up: a subfolder always comes after its parent.
    for (size_t index = m_folders.size() - 1; index > 0; --index) {
        SnapFolder &parent = m_folders[m_folders[index].parent];
        parent.total += m_folders[index].total;
        parent.totalKnown = parent.totalKnown && m_folders[index].totalKnown;
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
    {
    }

    void run(const QByteArray &rootPath);

private:
    [[nodiscard]] bool cancelled() const { return m_state.bgCancel.load(std::memory_order_relaxed); }
    void yield() const
    {
        if (m_hooks.yield)
            m_hooks.yield();
    }
    // Steps 1 to 6 of ScanFolder for one folder; true when its subfolders
    // are to be walked (step 7).
    bool scanOwnFiles(quint32 folder);
    void addFolderRow(quint32 folder, const QString &rowText);
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

void RowMaker::addFolderRow(quint32 index, const QString &rowText)
{
    const SnapFolder &folder = m_snapshot.folder(index);
    ResultList::Properties properties = propertiesOf(folder);
    if (folder.totalKnown)
        properties.sizeBytes = folder.total;
    properties.type = m_folderType;
    std::optional<qint64> fileCount;
    if (folder.listed)
        fileCount = folder.fileCount;
    m_currentItem = m_list.addFolderRow(rowText, m_path, properties, fileCount);
}

bool RowMaker::scanOwnFiles(quint32 index)
{
    // 1. A cancelled walk makes no call.
    if (cancelled())
        return false;
    // 2.-4. The folder was opened and read ahead.
    yield();
    const SnapFolder &folder = m_snapshot.folder(index);
    bool found = false;
    yield();
    // 5.
    if (folder.listed) {
        m_snapshot.releaseFilesBefore(folder.firstFile);
        for (quint32 i = folder.firstFile; i < folder.firstFile + folder.fileCount; ++i) {
            if (cancelled())
                break;
            const SnapFile &file = m_snapshot.file(i);
            const QByteArrayView name = m_snapshot.fileName(file);
            if (!m_pattern.matches(name))
                continue;
            found = true;
            ++m_counters.FileCount;
            if (m_list.count() == 0) {
                ++m_counters.FolderCount;
                ++m_counters.SearchedFolderCount;
                addFolderRow(index, QString::fromUtf8(m_path));
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
    if (!scanOwnFiles(0))
        return;
    // 7., with the recursion as a stack: each entry is a folder whose
    // subfolders are being walked, and the length of its path.
    struct Frame
    {
        quint32 folder;
        quint32 nextChild;
        qsizetype pathLength;
    };
    std::vector<Frame> stack { { 0, 0, m_path.size() } };
    while (!stack.empty()) {
        Frame &frame = stack.back();
        const SnapFolder &folder = m_snapshot.folder(frame.folder);
        if (cancelled() || frame.nextChild == folder.childCount) {
            stack.pop_back();
            if (!stack.empty())
                m_path.truncate(stack.back().pathLength);
            continue;
        }
        const quint32 child = folder.firstChild + frame.nextChild++;
        m_path.truncate(frame.pathLength);
        if (!m_path.endsWith('/'))
            m_path += '/';
        m_path += m_snapshot.folderName(child);
        ++m_counters.FolderCount;
        ++m_counters.SearchedFolderCount;
        addFolderRow(child, subfolderRowText());
        if (scanOwnFiles(child))
            stack.push_back({ child, 0, m_path.size() });
    }
}

} // namespace

void ScanFolder(ProgramState &state, ResultList &list, ScanCounters &counters, int &currentItem,
                const QString &folderPath, const QString &pattern, const ScanHooks &hooks)
{
    if (state.bgCancel.load())
        return;
    const FileSystem &fileSystem = SharedFileSystem(state);
    const QByteArray rootPath = folderPathOf(folderPath);
    Snapshot snapshot(fileSystem, state.bgCancel, hooks.yield);
    if (!snapshot.read(rootPath))
        return;
    RowMaker rows(state, list, counters, currentItem, pattern, hooks, fileSystem, snapshot);
    rows.run(rootPath);
}
