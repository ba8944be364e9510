#include "scan/posix_file_system.h"

#include "scan/type_table.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr qint64 kReadOnly = 1;
constexpr qint64 kHidden = 2;
constexpr qint64 kSystem = 4;
constexpr qint64 kDirectory = 16;

constexpr unsigned kStatxMask
    = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME;

// A name as a NUL-terminated C string without an allocation for the usual
// lengths.
class CName
{
public:
    explicit CName(QByteArrayView name)
    {
        if (name.size() < qsizetype(m_small.size())) {
            std::memcpy(m_small.data(), name.data(), size_t(name.size()));
            m_small[size_t(name.size())] = '\0';
            m_text = m_small.data();
        } else {
            m_large = name.toByteArray();
            m_text = m_large.constData();
        }
    }
    [[nodiscard]] const char *get() const { return m_text; }

private:
    std::array<char, NAME_MAX + 2> m_small {};
    QByteArray m_large;
    const char *m_text = nullptr;
};

[[nodiscard]] qint64 attributesOf(mode_t mode, QByteArrayView name)
{
    qint64 attributes = 0;
    if (!(mode & S_IWUSR))
        attributes |= kReadOnly;
    if (name.startsWith('.'))
        attributes |= kHidden;
    if (!S_ISREG(mode) && !S_ISDIR(mode) && !S_ISLNK(mode))
        attributes |= kSystem;
    if (S_ISDIR(mode))
        attributes |= kDirectory;
    return attributes;
}

void fillProperties(const struct statx &status, QByteArrayView name, ItemProperties &out)
{
    out.sizeBytes = qint64(status.stx_size);
    if (status.stx_mask & STATX_BTIME)
        out.createdSecs = qint64(status.stx_btime.tv_sec);
    else if (status.stx_mask & STATX_CTIME)
        out.createdSecs = qint64(status.stx_ctime.tv_sec);
    else
        out.createdSecs.reset();
    if (status.stx_mask & STATX_MTIME)
        out.modifiedSecs = qint64(status.stx_mtime.tv_sec);
    else
        out.modifiedSecs.reset();
    out.attributes = attributesOf(status.stx_mode, name);
}

[[nodiscard]] QByteArrayView lastComponent(QByteArrayView path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 || path.size() == 1 ? path : path.sliced(slash + 1);
}

// Opens a folder by a path of any length: the whole path at once, or, when
// it is too long for the kernel, one component after the other.
[[nodiscard]] int openFolderPath(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    int current = path.startsWith('/') ? ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                       : ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray &component : path.split('/')) {
        if (current < 0)
            break;
        if (component.isEmpty())
            continue;
        const CName name(component);
        const int next = ::openat(current, name.get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(current);
        current = next;
    }
    return current;
}

} // namespace

PosixFileSystem::PosixFileSystem() = default;
PosixFileSystem::~PosixFileSystem() = default;

bool PosixFileSystem::fileExists(const QString &path) const
{
    struct stat status
    {
    };
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &status) == 0
        && !S_ISDIR(status.st_mode);
}

bool PosixFileSystem::folderExists(const QString &path) const
{
    struct stat status
    {
    };
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &status) == 0
        && S_ISDIR(status.st_mode);
}

bool PosixFileSystem::createFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(path);
    return folderExists(path);
}

std::optional<FileSystem::Listing> PosixFileSystem::listFolder(const QByteArray &path) const
{
    const std::optional<FolderHandle> folder = openFolder(path, nullptr);
    if (!folder)
        return std::nullopt;
    Listing listing;
    const bool read = readFolder(*folder, [&](const EntryView &view) {
        Entry entry;
        entry.name = view.name.toByteArray();
        entry.isFolder = view.isFolder;
        entry.properties = *view.properties;
        if (entry.isFolder)
            entry.properties.sizeBytes.reset(); // the size of its tree is not read here
        entry.properties.type = typeDescription(entry.name, entry.isFolder);
        (entry.isFolder ? listing.subfolders : listing.files).push_back(std::move(entry));
    });
    closeFolder(*folder);
    if (!read)
        return std::nullopt;
    const auto byName
        = [](const Entry &a, const Entry &b) { return EnumerationLess(a.name, b.name); };
    std::sort(listing.files.begin(), listing.files.end(), byName);
    std::sort(listing.subfolders.begin(), listing.subfolders.end(), byName);
    return listing;
}

std::optional<FileSystem::Drive> PosixFileSystem::drive(const QString &path) const
{
    if (path.isEmpty())
        return std::nullopt;
    const QStorageInfo storage(path);
    if (!storage.isValid())
        return std::nullopt;
    Drive drive;
    drive.volumeName = storage.name();
    drive.fileSystem = QString::fromLatin1(storage.fileSystemType());
    if (storage.bytesTotal() >= 0)
        drive.totalBytes = storage.bytesTotal();
    if (storage.bytesAvailable() >= 0)
        drive.freeBytes = storage.bytesAvailable();
    struct statvfs volume
    {
    };
    if (::statvfs(QFile::encodeName(path).constData(), &volume) == 0)
        drive.serialNumber = qint32(quint32(volume.f_fsid & 0xffffffffu));
    return drive;
}

QString PosixFileSystem::typeDescription(const QByteArray &name, bool isFolder) const
{
    std::call_once(m_typeTableOnce, [this] { m_typeTable = std::make_unique<TypeTable>(); });
    return isFolder ? m_typeTable->folderDescription() : m_typeTable->description(name);
}

std::optional<FileSystem::FolderHandle> PosixFileSystem::openFolder(const QByteArray &path,
                                                                    ItemProperties *own) const
{
    if (path.isEmpty())
        return std::nullopt;
    const int fd = openFolderPath(path);
    if (fd < 0)
        return std::nullopt;
    if (own) {
        *own = {};
        struct statx status
        {
        };
        if (::statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, kStatxMask, &status) == 0) {
            fillProperties(status, lastComponent(path), *own);
            own->sizeBytes.reset();
        }
    }
    return FolderHandle(fd);
}

std::optional<FileSystem::FolderHandle> PosixFileSystem::openSubfolder(FolderHandle parent,
                                                                       QByteArrayView name) const
{
    const CName cname(name);
    const int fd
        = ::openat(int(parent), cname.get(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    return FolderHandle(fd);
}

bool PosixFileSystem::readFolder(FolderHandle folder,
                                 const std::function<void(const EntryView &)> &entry) const
{
    const int fd = int(folder);
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return false;
    // getdents64 straight into a buffer large enough for most folders in one call.
    constexpr size_t kBufferSize = 64 * 1024;
    thread_local const std::unique_ptr<char[]> buffer
        = std::make_unique_for_overwrite<char[]>(kBufferSize);
    ItemProperties properties;
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.get(), kBufferSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        for (ssize_t at = 0; at < got;) {
            const auto *dirent = reinterpret_cast<const struct dirent64 *>(buffer.get() + at);
            at += dirent->d_reclen;
            const char *name = dirent->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            const QByteArrayView nameView(name, qsizetype(std::strlen(name)));
            struct statx status
            {
            };
            if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &status)
                != 0) {
                // Gone, or the folder may be listed but not searched: an
                // entry without properties, a folder if the listing says so.
                properties = {};
                entry(EntryView { nameView, dirent->d_type == DT_DIR, &properties });
                continue;
            }
            bool isFolder = S_ISDIR(status.stx_mode);
            if (S_ISLNK(status.stx_mode)) {
                // A link to a file is the file it points to; a link to a
                // folder and a dangling link keep their own data.
                struct statx target
                {
                };
                if (::statx(fd, name, AT_NO_AUTOMOUNT, kStatxMask, &target) == 0
                    && !S_ISDIR(target.stx_mode))
                    status = target;
            }
            fillProperties(status, nameView, properties);
            entry(EntryView { nameView, isFolder, &properties });
        }
    }
}

void PosixFileSystem::closeFolder(FolderHandle folder) const
{
    ::close(int(folder));
}
