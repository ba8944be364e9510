#include "scan/posix_file_system.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
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

QByteArray PosixFileSystem::typeCacheKey(QByteArrayView name)
{
    constexpr int kSegments = 3;
    qsizetype start = -1;
    int dots = 0;
    for (qsizetype i = name.size() - 1; i > 0 && dots < kSegments; --i) {
        if (name[i] == '.') {
            start = i;
            ++dots;
        }
    }
    if (start < 0)
        return name.toByteArray(); // dotless (or only a leading dot): the whole name
    return name.sliced(start).toByteArray();
}

void PosixFileSystem::loadNameGlobs() const
{
    m_nameGlobs = NameGlobs();
    // globs2 lines: weight:type:glob[:flags]. Globs that begin with "*" and
    // have no other "*" are suffix rules, which the suffix key covers.
    const QStringList files = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                        QStringLiteral("mime/globs2"));
    const auto firstWildcard = [](const QByteArray &glob, qsizetype from) {
        for (qsizetype i = from; i < glob.size(); ++i)
            if (glob[i] == '*' || glob[i] == '?' || glob[i] == '[')
                return i;
        return qsizetype(-1);
    };
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> fields = line.split(':');
            if (fields.size() < 3)
                continue;
            const QByteArray glob = fields[2].toLower();
            if (glob.isEmpty())
                continue;
            if (glob.startsWith('*')) {
                if (glob.indexOf('*', 1) < 0)
                    continue;
                const qsizetype literalEnd = firstWildcard(glob, 1);
                m_nameGlobs->patterns.push_back({ glob, glob.mid(1, literalEnd - 1) });
                continue;
            }
            const qsizetype wildcard = firstWildcard(glob, 0);
            if (wildcard < 0) {
                m_nameGlobs->literals.insert(glob, true);
                m_nameGlobs->longestLiteral = std::max(m_nameGlobs->longestLiteral, glob.size());
            } else if (wildcard > 0) {
                m_nameGlobs->prefixes.push_back(glob.left(wildcard));
            } else {
                m_nameGlobs->patterns.push_back({ glob, {} });
            }
        }
    }
}

bool PosixFileSystem::typeNeedsWholeName(const QByteArray &name) const
{
    if (!m_nameGlobs)
        loadNameGlobs();
    const NameGlobs &globs = *m_nameGlobs;
    // Lower-cased on the stack: this runs for every file row.
    constexpr qsizetype kMaxName = 256;
    if (name.size() > kMaxName)
        return false;
    char lower[kMaxName];
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        lower[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    const QByteArrayView view(lower, name.size());
    if (name.size() <= globs.longestLiteral
        && globs.literals.contains(QByteArray::fromRawData(lower, name.size())))
        return true;
    for (const QByteArray &prefix : globs.prefixes)
        if (view.startsWith(prefix))
            return true;
    if (!globs.patterns.empty()) {
        const QByteArray terminated(lower, name.size());
        for (const NamePattern &pattern : globs.patterns)
            if ((pattern.mustContain.isEmpty() || view.contains(pattern.mustContain))
                && ::fnmatch(pattern.glob.constData(), terminated.constData(), 0) == 0)
                return true;
    }
    return false;
}

QString PosixFileSystem::typeDescription(const QByteArray &name, bool isFolder) const
{
    std::lock_guard lock(m_typeMutex);
    if (isFolder) {
        if (m_folderType.isNull()) {
            m_folderType
                = QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment();
            if (m_folderType.isNull())
                m_folderType = QLatin1String("");
        }
        return m_folderType;
    }
    const auto lookUp = [](const QByteArray &fileName) {
        return QMimeDatabase()
            .mimeTypeForFile(QString::fromUtf8(fileName), QMimeDatabase::MatchExtension)
            .comment();
    };
    if (typeNeedsWholeName(name)) {
        constexpr qsizetype kMaxNamesCached = 4096;
        const auto found = m_nameTypeCache.constFind(name);
        if (found != m_nameTypeCache.constEnd())
            return *found;
        if (m_nameTypeCache.size() >= kMaxNamesCached)
            m_nameTypeCache.clear();
        return *m_nameTypeCache.insert(name, lookUp(name));
    }
    const QByteArray key = typeCacheKey(name);
    const auto found = m_typeCache.constFind(key);
    if (found != m_typeCache.constEnd())
        return *found;
    // The suffix alone, behind a neutral stem, so the cached text does not
    // depend on which name came first.
    const QString type = lookUp(key.startsWith('.') ? QByteArray("x") + key : key);
    m_typeCache.insert(key, type);
    return type;
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
