#pragma once

// TreeFixture: a temporary folder tree for tests, removed again afterwards,
// also when it is deeper than PATH_MAX or holds folders without permissions.
// Relative paths are taken below root(); missing parent folders are made.
// Paths are file-system bytes in the QByteArray overloads (names that are not
// valid UTF-8) and UTF-8 otherwise.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TreeFixture
{
public:
    TreeFixture() = default;
    ~TreeFixture()
    {
        if (m_dir.isValid())
            removeContents(QFile::encodeName(m_dir.path()));
    }
    TreeFixture(const TreeFixture &) = delete;
    TreeFixture &operator=(const TreeFixture &) = delete;

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    // The tree's folder, without a trailing separator.
    [[nodiscard]] QString root() const { return m_dir.path(); }
    [[nodiscard]] QString path(const QString &relative) const
    {
        return relative.isEmpty() ? root() : root() + u'/' + relative;
    }
    [[nodiscard]] QString path(const char *relative) const
    {
        return path(QString::fromUtf8(relative));
    }
    [[nodiscard]] QByteArray pathBytes(const QByteArray &relative) const
    {
        const QByteArray base = QFile::encodeName(root());
        return relative.isEmpty() ? base : base + '/' + relative;
    }

    // True when the tests run as root (permissions do not keep root out).
    [[nodiscard]] static bool isRoot() { return ::geteuid() == 0; }

    bool createFolder(const QString &relative) { return QDir().mkpath(path(relative)); }
    bool createFolder(const char *relative) { return createFolder(QString::fromUtf8(relative)); }

    bool createFile(const QString &relative, const QByteArray &data = {},
                    const QDateTime &modified = {})
    {
        return createFile(relative.toUtf8(), data, modified);
    }
    bool createFile(const char *relative, const QByteArray &data = {},
                    const QDateTime &modified = {})
    {
        return createFile(QByteArray(relative), data, modified);
    }
    bool createFile(const QByteArray &relative, const QByteArray &data,
                    const QDateTime &modified = {})
    {
        if (!makeParent(relative))
            return false;
        const QByteArray full = pathBytes(relative);
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        // One write: a regular file takes all of a test's data at once.
        const bool ok
            = data.isEmpty() || ::write(fd, data.constData(), size_t(data.size())) == data.size();
        ::close(fd);
        return ok && (!modified.isValid() || setModified(relative, modified));
    }
    // A file of the given size without writing its data (a sparse file).
    bool createFileOfSize(const QString &relative, qint64 size)
    {
        return createFile(relative)
            && ::truncate(QFile::encodeName(path(relative)).constData(), off_t(size)) == 0;
    }

    // A symbolic link at `relative` whose content is `target` (relative to
    // the link's folder, or absolute).
    bool createLink(const QString &relative, const QString &target)
    {
        if (!makeParent(relative.toUtf8()))
            return false;
        return ::symlink(QFile::encodeName(target).constData(),
                         QFile::encodeName(path(relative)).constData())
            == 0;
    }

    bool setModified(const QByteArray &relative, const QDateTime &modified)
    {
        const time_t secs = time_t(modified.toSecsSinceEpoch());
        const struct timespec times[2] = { { secs, 0 }, { secs, 0 } };
        return ::utimensat(AT_FDCWD, pathBytes(relative).constData(), times, AT_SYMLINK_NOFOLLOW)
            == 0;
    }
    bool setPermissions(const QString &relative, mode_t mode)
    {
        return ::chmod(QFile::encodeName(path(relative)).constData(), mode) == 0;
    }

    // `depth` folders named "d", each inside the one before, made relative to
    // folder descriptors so any depth works, with an empty file `fileName` in
    // the deepest. Returns the deepest folder's relative path.
    QString createChain(int depth, const QString &fileName)
    {
        int fd = ::open(QFile::encodeName(root()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QString deepest = QStringLiteral("d");
        for (int level = 0; fd >= 0 && level < depth; ++level) {
            ::mkdirat(fd, "d", 0755);
            const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
            if (level > 0)
                deepest += QStringLiteral("/d");
        }
        if (fd < 0)
            return {};
        const int file = ::openat(fd, QFile::encodeName(fileName).constData(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (file >= 0)
            ::close(file);
        ::close(fd);
        return deepest;
    }

private:
    bool makeParent(const QByteArray &relative)
    {
        const qsizetype slash = relative.lastIndexOf('/');
        return slash < 0 || QDir().mkpath(root() + u'/' + QString::fromUtf8(relative.left(slash)));
    }

    // Removes everything below `folder` with descriptors only: any depth,
    // and folders without permissions are opened up first.
    static void removeContents(const QByteArray &folder)
    {
        int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        std::vector<QByteArray> names; // the way down from `folder`
        while (fd >= 0) {
            QByteArray subfolder;
            const int listFd = ::dup(fd);
            if (DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr) {
                while (const struct dirent *entry = ::readdir(dir)) {
                    const QByteArray name(entry->d_name);
                    if (name == "." || name == "..")
                        continue;
                    struct stat status;
                    if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0
                        && S_ISDIR(status.st_mode)) {
                        if (subfolder.isEmpty())
                            subfolder = name;
                    } else {
                        ::unlinkat(fd, entry->d_name, 0);
                    }
                }
                ::closedir(dir);
            } else if (listFd >= 0) {
                ::close(listFd);
            }
            if (!subfolder.isEmpty()) {
                ::fchmodat(fd, subfolder.constData(), 0700, 0);
                const int next
                    = ::openat(fd, subfolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (next < 0) {
                    ::unlinkat(fd, subfolder.constData(), AT_REMOVEDIR); // best effort
                    ::close(fd);
                    return;
                }
                ::close(fd);
                fd = next;
                names.push_back(subfolder);
                continue;
            }
            if (names.empty()) {
                ::close(fd);
                return;
            }
            const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            if (parent >= 0 && ::unlinkat(parent, names.back().constData(), AT_REMOVEDIR) != 0) {
                ::close(parent); // cannot be removed (a mount point?): give up
                return;
            }
            names.pop_back();
            fd = parent;
        }
    }

    QTemporaryDir m_dir;
};
