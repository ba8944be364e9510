#include "core/regular_file.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The descriptor of one open file, closed when it goes out of scope unless
// close() was asked for its result.
class OpenFile
{
public:
    explicit OpenFile(int descriptor)
        : m_descriptor(descriptor)
    { }
    ~OpenFile()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Q_DISABLE_COPY_MOVE(OpenFile)

    [[nodiscard]] int get() const { return m_descriptor; }
    // 0, or the errno of a failed close (a write that failed late).
    [[nodiscard]] int close()
    {
        const int result = ::close(m_descriptor);
        m_descriptor = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_descriptor;
};

bool usablePath(const QByteArray &nativePath)
{
    return !nativePath.isEmpty() && !nativePath.contains('\0');
}

RegularFile::WriteResult failed(const QString &reason)
{
    return { false, reason };
}

// Reads from offset 0 to the end, at most limit bytes (more means the file
// grew past it). 0 or the errno.
int readFromStart(int descriptor, qint64 limit, QByteArray &out)
{
    out.clear();
    qint64 offset = 0;
    constexpr qint64 kChunk = 64 * 1024;
    while (offset <= limit) {
        const qint64 want = qMin(kChunk, limit + 1 - offset);
        out.resize(qsizetype(offset + want));
        const ssize_t got = ::pread(descriptor, out.data() + offset, size_t(want), off_t(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        offset += got;
    }
    out.resize(qsizetype(qMin(offset, limit + 1)));
    return 0;
}

// Writes data from offset 0 and cuts the file after it, then waits until
// it is on disk. 0 or the errno.
int replaceContent(int descriptor, QByteArrayView data)
{
    qint64 offset = 0;
    while (offset < data.size()) {
        const ssize_t written = ::pwrite(descriptor, data.data() + offset,
                                         size_t(data.size() - offset), off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        offset += written;
    }
    if (::ftruncate(descriptor, off_t(data.size())) != 0 || ::fsync(descriptor) != 0)
        return errno;
    return 0;
}

} // namespace

namespace RegularFile {

Kind kindOf(const QByteArray &nativePath)
{
    if (!usablePath(nativePath))
        return Kind::Missing;
    struct stat status
    {
    };
    if (::stat(nativePath.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unknown;
    if (S_ISREG(status.st_mode))
        return Kind::Regular;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Special;
}

Kind kindOf(const QString &path)
{
    return kindOf(QFile::encodeName(path));
}

QString notRegularText()
{
    return QStringLiteral("not a regular file");
}

ReadResult read(const QByteArray &nativePath, qint64 maxBytes)
{
    ReadResult result;
    if (!usablePath(nativePath)) {
        result.reason = qt_error_string(ENOENT);
        return result;
    }
    const Kind kind = kindOf(nativePath);
    if (kind == Kind::Folder || kind == Kind::Special) {
        result.reason = notRegularText();
        return result;
    }
    // Looked at again on the descriptor: the path may have changed since.
    OpenFile file(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        result.reason = qt_error_string(errno);
        return result;
    }
    struct stat status
    {
    };
    if (::fstat(file.get(), &status) != 0) {
        result.reason = qt_error_string(errno);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.reason = notRegularText();
        return result;
    }
    QByteArray bytes;
    if (status.st_size <= maxBytes) {
        if (const int error = readFromStart(file.get(), maxBytes, bytes)) {
            result.reason = qt_error_string(error);
            return result;
        }
    }
    if (status.st_size > maxBytes || bytes.size() > maxBytes) {
        result.tooLarge = true;
        result.reason = QStringLiteral("file too large");
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

WriteResult write(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return failed(qt_error_string(ENOENT));
    const Kind kind = kindOf(path);
    if (kind == Kind::Folder || kind == Kind::Special)
        return failed(notRegularText());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // No temporary file beside it: the folder takes no new files.
        if (kind == Kind::Regular)
            return writeInPlace(QFile::encodeName(path), bytes);
        return failed(file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit())
        return failed(file.errorString());
    return { true, {} };
}

WriteResult writeInPlace(const QByteArray &nativePath, const QByteArray &bytes)
{
    if (!usablePath(nativePath))
        return failed(qt_error_string(ENOENT));
    OpenFile file(::open(nativePath.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return failed(qt_error_string(errno));
    struct stat status
    {
    };
    if (::fstat(file.get(), &status) != 0)
        return failed(qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        return failed(notRegularText());

    QByteArray old;
    if (const int error = readFromStart(file.get(), qint64(status.st_size), old))
        return failed(qt_error_string(error));
    if (old.size() > status.st_size)
        return failed(QStringLiteral("the file changed while it was read"));

    int error = replaceContent(file.get(), bytes);
    QByteArray readBack;
    if (!error)
        error = readFromStart(file.get(), bytes.size(), readBack);
    if (!error && readBack != bytes)
        error = EIO;
    if (error) {
        // The old content goes back; nothing better can be done if that fails too.
        (void)replaceContent(file.get(), old);
        return failed(qt_error_string(error));
    }
    if (const int closeError = file.close())
        return failed(qt_error_string(closeError));
    return { true, {} };
}

} // namespace RegularFile

namespace Descriptor {

int writeAll(int descriptor, QByteArrayView data)
{
    qsizetype offset = 0;
    while (offset < data.size()) {
        const ssize_t written
            = ::write(descriptor, data.data() + offset, size_t(data.size() - offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        offset += qsizetype(written);
    }
    return 0;
}

} // namespace Descriptor
