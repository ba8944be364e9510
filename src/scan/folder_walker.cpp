#include "scan/folder_walker.h"

#include "scan/name_filter.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <system_error>

namespace {

enum Known : quint8 { KnownSize = 1, KnownCreated = 2, KnownModified = 4, KnownAttributes = 8 };

// Entries read ahead and not yet handed out, beyond which the walker
// threads wait (the folder the reader waits for is read all the same).
constexpr size_t kMaxBufferedEntries = size_t(1) << 16;
// Handles kept open for folders whose subfolders are still to be opened.
constexpr size_t kMaxKeptHandles = 64;
// How often a reader waiting for a folder looks at the cancel flag.
constexpr auto kCancelPoll = std::chrono::milliseconds(5);

} // namespace

void WalkedItem::setProperties(const ItemProperties &properties)
{
    known = 0;
    if (properties.sizeBytes) {
        size = *properties.sizeBytes;
        known |= KnownSize;
    }
    if (properties.createdSecs) {
        created = *properties.createdSecs;
        known |= KnownCreated;
    }
    if (properties.modifiedSecs) {
        modified = *properties.modifiedSecs;
        known |= KnownModified;
    }
    // A value that does not fit eight bits shows no letters: not kept.
    if (properties.attributes && *properties.attributes >= 0 && *properties.attributes <= 255) {
        attributes = quint8(*properties.attributes);
        known |= KnownAttributes;
    }
}

ItemProperties WalkedItem::properties() const
{
    ItemProperties properties;
    properties.sizeBytes = sizeBytes();
    if (known & KnownCreated)
        properties.createdSecs = created;
    if (known & KnownModified)
        properties.modifiedSecs = modified;
    if (known & KnownAttributes)
        properties.attributes = attributes;
    return properties;
}

std::optional<qint64> WalkedItem::sizeBytes() const
{
    if (known & KnownSize)
        return size;
    return std::nullopt;
}

FolderWalker::FolderWalker(const FileSystem &fileSystem, const NameFilter &filter,
                           const std::atomic<bool> &cancel, bool recursive)
    : m_fileSystem(fileSystem)
    , m_filter(filter)
    , m_cancel(cancel)
    , m_recursive(recursive)
    , m_queue(LaterInRowOrder { this })
{ }

FolderWalker::~FolderWalker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_walkersWake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
    for (const auto &[depth, folder] : m_keptHandles)
        m_fileSystem.closeFolder(*m_nodes[folder].handle);
}

int FolderWalker::defaultThreads()
{
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

void FolderWalker::start(const QByteArray &rootPath, int threads)
{
    m_rootPath = rootPath;
    m_nodes.emplace_back();
    m_queue.push(0);
    m_cursor = 0;
    for (int i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this] { walk(); });
        } catch (const std::system_error &) {
            break; // fewer threads; next() reads what they leave
        }
    }
}

bool FolderWalker::comesBefore(quint32 a, quint32 b) const
{
    // Row order is depth-first pre-order: an ancestor comes before its
    // descendants, and below their deepest common ancestor, the branch of
    // the earlier sibling (siblings are numbered in enumeration order).
    if (a == b)
        return false;
    quint32 x = a;
    quint32 y = b;
    while (m_nodes[x].depth > m_nodes[y].depth)
        x = m_nodes[x].parent;
    while (m_nodes[y].depth > m_nodes[x].depth)
        y = m_nodes[y].parent;
    if (x == y)
        return m_nodes[a].depth < m_nodes[b].depth;
    while (m_nodes[x].parent != m_nodes[y].parent) {
        x = m_nodes[x].parent;
        y = m_nodes[y].parent;
    }
    return x < y;
}

bool FolderWalker::mayRead() const
{
    return !m_queue.empty() && (m_buffered < kMaxBufferedEntries || m_queue.top() == m_cursor);
}

void FolderWalker::walk()
{
    Scratch scratch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_walkersWake.wait(lock, [this] { return m_stopping || mayRead() || walkOver(); });
        if (m_stopping || walkOver())
            break;
        if (cancelled()) {
            m_stopping = true;
            break;
        }
        readQueued(lock, scratch);
    }
    m_walkersWake.notify_all();
    m_readerWake.notify_all();
}

std::unique_ptr<FolderListing> FolderWalker::next()
{
    std::unique_lock lock(m_mutex);
    Scratch *scratch = nullptr;
    std::unique_ptr<Scratch> ownScratch;
    while (m_cursor != kNone && !m_nodes[m_cursor].read) {
        if (m_stopping || cancelled())
            return nullptr;
        if (!m_queue.empty() && m_queue.top() == m_cursor) {
            // Nobody has taken it: read it here rather than wait.
            if (!scratch) {
                ownScratch = std::make_unique<Scratch>();
                scratch = ownScratch.get();
            }
            readQueued(lock, *scratch);
            continue;
        }
        m_readerWake.wait_for(lock, kCancelPoll);
    }
    if (m_cursor == kNone)
        return nullptr;
    Node &node = m_nodes[m_cursor];
    std::unique_ptr<FolderListing> listing = std::move(node.listing);
    m_buffered -= node.bufferedEntries;
    // The next folder in row order: the first subfolder, else the next
    // sibling of this folder or of its nearest ancestor that has one.
    if (node.childCount > 0) {
        m_cursor = node.firstChild;
    } else {
        quint32 at = m_cursor;
        m_cursor = kNone;
        while (at != 0) {
            const Node &parent = m_nodes[m_nodes[at].parent];
            if (at + 1 < parent.firstChild + parent.childCount) {
                m_cursor = at + 1;
                break;
            }
            at = m_nodes[at].parent;
        }
    }
    lock.unlock();
    m_walkersWake.notify_all();
    return listing;
}

void FolderWalker::readQueued(std::unique_lock<std::mutex> &lock, Scratch &scratch)
{
    const quint32 folder = m_queue.top();
    m_queue.pop();
    ++m_reading;
    planOpen(folder, scratch.plan);
    Node &node = m_nodes[folder];
    node.listing = std::make_unique<FolderListing>();
    FolderListing &listing = *node.listing;
    listing.name = m_nodeNames.view(node.self.name, node.self.nameLength).toByteArray();
    listing.self = node.self;
    const bool sizesOnly = node.sizesOnly;
    lock.unlock();

    ItemProperties own;
    const std::optional<Handle> handle = open(scratch.plan, folder == 0 ? &own : nullptr);
    if (folder == 0)
        listing.self.setProperties(own);
    scratch.files.clear();
    scratch.folders.clear();
    scratch.names.clear();
    if (handle)
        readFolder(*handle, !sizesOnly, scratch, listing);
    // Below a search folder that is not searched recursively, sizes are
    // wanted only when one of its files got a row.
    const bool walkSubfolders = sizesOnly || m_recursive || !listing.files.empty();
    if (!walkSubfolders)
        scratch.folders.clear();

    lock.lock();
    if (scratch.plan.base != kNone) {
        --m_nodes[scratch.plan.base].handleUsers;
        releaseHandleIfUnused(scratch.plan.base);
    }
    if (folder != 0) {
        const quint32 parent = m_nodes[folder].parent;
        --m_nodes[parent].childrenToOpen;
        releaseHandleIfUnused(parent);
    }
    addChildren(folder, scratch);
    Node &done = m_nodes[folder];
    if (handle) {
        if (done.childCount > 0) {
            done.handle = handle;
            m_keptHandles.emplace(done.depth, folder);
            limitKeptHandles();
        } else {
            m_fileSystem.closeFolder(*handle);
        }
    }
    done.read = true;
    done.bufferedEntries = 1 + done.listing->files.size();
    m_buffered += done.bufferedEntries;
    --m_reading;
    if (done.childCount > 0 || walkOver())
        m_walkersWake.notify_all();
    if (folder == m_cursor)
        m_readerWake.notify_all();
}

void FolderWalker::planOpen(quint32 folder, OpenPlan &plan)
{
    plan.folder = folder;
    plan.base = kNone;
    plan.baseHandle.reset();
    plan.names.clear();
    if (folder == 0)
        return;
    // Up to the nearest folder with an open handle; the search folder is
    // opened by its path when none has one.
    quint32 at = folder;
    while (at != 0 && !m_nodes[m_nodes[at].parent].handle) {
        plan.names.push_back(m_nodeNames.view(m_nodes[at].self.name, m_nodes[at].self.nameLength));
        at = m_nodes[at].parent;
    }
    if (at != 0) {
        plan.names.push_back(m_nodeNames.view(m_nodes[at].self.name, m_nodes[at].self.nameLength));
        plan.base = m_nodes[at].parent;
        plan.baseHandle = m_nodes[plan.base].handle;
        ++m_nodes[plan.base].handleUsers;
    }
    std::reverse(plan.names.begin(), plan.names.end());
}

std::optional<FileSystem::FolderHandle> FolderWalker::open(const OpenPlan &plan,
                                                           ItemProperties *own) const
{
    std::optional<Handle> current = plan.baseHandle;
    bool ownsCurrent = false;
    if (!current) {
        current = m_fileSystem.openFolder(m_rootPath, own);
        ownsCurrent = true;
    }
    for (const QByteArrayView name : plan.names) {
        if (!current)
            break;
        const std::optional<Handle> next = m_fileSystem.openSubfolder(*current, name);
        if (ownsCurrent)
            m_fileSystem.closeFolder(*current);
        current = next;
        ownsCurrent = true;
    }
    return current;
}

void FolderWalker::readFolder(Handle handle, bool listFiles, Scratch &scratch,
                              FolderListing &listing) const
{
    const auto keepName = [&scratch](QByteArrayView name, WalkedItem &item) {
        item.name = scratch.names.size();
        item.nameLength = quint32(name.size());
        scratch.names.insert(scratch.names.end(), name.begin(), name.end());
    };
    listing.listed = m_fileSystem.readFolder(handle, [&](const FileSystem::EntryView &entry) {
        const NameFilter::Verdict verdict = m_filter.verdict(entry.name, entry.isFolder);
        if (verdict == NameFilter::Verdict::Leave)
            return;
        WalkedItem item;
        if (entry.isFolder) {
            item.setProperties(*entry.properties);
            keepName(entry.name, item);
            scratch.folders.push_back(item);
            return;
        }
        ++listing.fileCount;
        if (entry.properties->sizeBytes)
            listing.ownBytes += *entry.properties->sizeBytes;
        else
            listing.ownSizesKnown = false;
        if (verdict == NameFilter::Verdict::List && listFiles) {
            item.setProperties(*entry.properties);
            keepName(entry.name, item);
            scratch.files.push_back(item);
        }
    });
    if (!listing.listed) {
        // Nothing of a folder that could not be read (in full) is used.
        listing.fileCount = 0;
        listing.ownBytes = 0;
        scratch.files.clear();
        scratch.folders.clear();
        return;
    }
    if (!listFiles)
        return;
    sortByName(scratch.files, scratch);
    sortByName(scratch.folders, scratch);
    const char *names = scratch.names.data();
    listing.files.reserve(scratch.files.size());
    for (WalkedItem file : scratch.files) {
        file.name
            = listing.names.add(QByteArrayView(names + file.name, qsizetype(file.nameLength)));
        listing.files.push_back(file);
    }
}

void FolderWalker::sortByName(std::vector<WalkedItem> &items, Scratch &scratch)
{
    const auto bytes = [](const char *data, quint64 at, quint32 length) {
        return std::string_view(data + at, length);
    };
    scratch.keys.clear();
    scratch.order.clear();
    for (quint32 i = 0; i < items.size(); ++i) {
        const quint64 at = scratch.keys.size();
        AppendEnumerationKey(bytes(scratch.names.data(), items[i].name, items[i].nameLength),
                             scratch.keys);
        scratch.order.push_back({ at, quint32(scratch.keys.size() - at), i });
    }
    const char *keys = scratch.keys.data();
    const char *names = scratch.names.data();
    // string_view compares bytes as unsigned, shorter first on a common prefix.
    std::sort(scratch.order.begin(), scratch.order.end(), [&](const SortKey &a, const SortKey &b) {
        const int byKey = bytes(keys, a.key, a.keyLength).compare(bytes(keys, b.key, b.keyLength));
        if (byKey != 0)
            return byKey < 0;
        const WalkedItem &x = items[a.item];
        const WalkedItem &y = items[b.item];
        return bytes(names, x.name, x.nameLength) < bytes(names, y.name, y.nameLength);
    });
    scratch.sorted.clear();
    for (const SortKey &place : scratch.order)
        scratch.sorted.push_back(items[place.item]);
    items.swap(scratch.sorted);
}

void FolderWalker::addChildren(quint32 folder, Scratch &scratch)
{
    const quint32 first = quint32(m_nodes.size());
    const bool sizesOnly = m_nodes[folder].sizesOnly || !m_recursive;
    const quint32 depth = m_nodes[folder].depth + 1;
    for (const WalkedItem &found : scratch.folders) {
        Node &child = m_nodes.emplace_back();
        child.parent = folder;
        child.depth = depth;
        child.self = found;
        child.self.name = m_nodeNames.add(
            QByteArrayView(scratch.names.data() + found.name, qsizetype(found.nameLength)));
        child.sizesOnly = sizesOnly;
        m_queue.push(quint32(m_nodes.size() - 1));
    }
    Node &node = m_nodes[folder];
    node.firstChild = first;
    node.childCount = quint32(scratch.folders.size());
    node.childrenToOpen = node.childCount;
    node.listing->subfolderCount = node.childCount;
}

void FolderWalker::releaseHandleIfUnused(quint32 folder)
{
    Node &node = m_nodes[folder];
    if (!node.handle || node.childrenToOpen > 0 || node.handleUsers > 0)
        return;
    m_fileSystem.closeFolder(*node.handle);
    node.handle.reset();
    m_keptHandles.erase({ node.depth, folder });
}

void FolderWalker::limitKeptHandles()
{
    // The shallowest go first: their subfolders come last in row order.
    for (auto it = m_keptHandles.begin();
         m_keptHandles.size() > kMaxKeptHandles && it != m_keptHandles.end();) {
        Node &node = m_nodes[it->second];
        if (node.handleUsers > 0) {
            ++it;
            continue;
        }
        m_fileSystem.closeFolder(*node.handle);
        node.handle.reset();
        it = m_keptHandles.erase(it);
    }
}
