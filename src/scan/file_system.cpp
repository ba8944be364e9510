#include "scan/file_system.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cstring>
#include <iterator>

// The default descriptor-style reading: a handle names a path, and a folder
// is read with listFolder().
struct FileSystem::PathHandles
{
    QMutex mutex;
    QHash<FolderHandle, QByteArray> paths;
    FolderHandle next = 1;

    FolderHandle add(const QByteArray &path)
    {
        QMutexLocker lock(&mutex);
        const FolderHandle handle = next++;
        paths.insert(handle, path);
        return handle;
    }
    std::optional<QByteArray> path(FolderHandle handle)
    {
        QMutexLocker lock(&mutex);
        const auto found = paths.constFind(handle);
        if (found == paths.constEnd())
            return std::nullopt;
        return *found;
    }
};

std::optional<FileSystem::FolderHandle> FileSystem::openFolder(const QByteArray &path,
                                                               ItemProperties *own) const
{
    if (!listFolder(path))
        return std::nullopt;
    if (own)
        *own = {};
    if (!m_pathHandles)
        m_pathHandles = std::make_shared<PathHandles>();
    return m_pathHandles->add(path);
}

std::optional<FileSystem::FolderHandle> FileSystem::openSubfolder(FolderHandle parent,
                                                                  QByteArrayView name) const
{
    if (!m_pathHandles)
        return std::nullopt;
    const std::optional<QByteArray> parentPath = m_pathHandles->path(parent);
    if (!parentPath)
        return std::nullopt;
    QByteArray path = *parentPath;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return m_pathHandles->add(path);
}

bool FileSystem::readFolder(FolderHandle folder,
                            const std::function<void(const EntryView &)> &entry) const
{
    if (!m_pathHandles)
        return false;
    const std::optional<QByteArray> path = m_pathHandles->path(folder);
    if (!path)
        return false;
    const std::optional<Listing> listing = listFolder(*path);
    if (!listing)
        return false;
    for (const auto *entries : { &listing->files, &listing->subfolders }) {
        for (const Entry &each : *entries)
            entry(EntryView { each.name, each.isFolder, &each.properties });
    }
    return true;
}

void FileSystem::closeFolder(FolderHandle folder) const
{
    if (!m_pathHandles)
        return;
    QMutexLocker lock(&m_pathHandles->mutex);
    m_pathHandles->paths.remove(folder);
}

namespace {

[[nodiscard]] QByteArray upperKey(QByteArrayView name)
{
    return QString::fromUtf8(name).toUpper().toUtf8();
}

[[nodiscard]] char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c;
}

} // namespace

void AppendEnumerationKey(QByteArrayView name, std::vector<char> &key)
{
    const bool ascii
        = std::none_of(name.begin(), name.end(), [](char c) { return bool(c & 0x80); });
    if (ascii) {
        std::transform(name.begin(), name.end(), std::back_inserter(key), asciiUpper);
        return;
    }
    const QByteArray upper = upperKey(name);
    key.insert(key.end(), upper.begin(), upper.end());
}

bool EnumerationLess(QByteArrayView a, QByteArrayView b)
{
    // UTF-8 byte order is code point order, so upper-cased bytes are
    // compared as they are. ASCII runs are upper-cased on the fly; the first
    // non-ASCII byte before a difference falls back to full upper-casing.
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char x = a[i];
        const char y = b[i];
        if ((x & 0x80) || (y & 0x80)) {
            const QByteArray keyA = upperKey(a);
            const QByteArray keyB = upperKey(b);
            if (keyA != keyB)
                return keyA < keyB;
            return a < b;
        }
        const char ux = asciiUpper(x);
        const char uy = asciiUpper(y);
        if (ux != uy)
            return quint8(ux) < quint8(uy);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::memcmp(a.data(), b.data(), size_t(common)) < 0;
}
