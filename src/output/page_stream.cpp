#include "output/page_stream.h"

#include "core/regular_file.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// The descriptor of this process that has the file open for writing, if
// any: a shell redirection (standard output named as /dev/stdout,
// /dev/fd/N) is written through it, at its offset and in its mode, instead
// of being replaced.
std::optional<int> descriptorOpenOn(const struct stat &file)
{
    DIR *folder = ::opendir("/proc/self/fd");
    if (!folder)
        return std::nullopt;
    const int own = ::dirfd(folder);
    std::optional<int> found;
    while (const struct dirent *entry = ::readdir(folder)) {
        bool isNumber = false;
        const int fd = QByteArray(entry->d_name).toInt(&isNumber);
        struct stat status
        {
        };
        if (!isNumber || fd == own || ::fstat(fd, &status) != 0)
            continue;
        const int access = ::fcntl(fd, F_GETFL) & O_ACCMODE;
        if (access != O_WRONLY && access != O_RDWR)
            continue;
        if (S_ISREG(status.st_mode) && status.st_dev == file.st_dev
            && status.st_ino == file.st_ino) {
            found = fd;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

} // namespace

PageStream::PageStream(const QString &filePath, SpecialFiles specialFiles)
    : m_path(filePath)
    , m_specialFiles(specialFiles)
{
    m_buffer.reserve(kBlockSize + kBlockSize / 4);
    m_block.reserve(kBlockSize + kBlockSize / 4);
}

PageStream::PageStream(OpenDescriptor descriptor)
    : m_descriptor(descriptor.fd)
{
    m_buffer.reserve(kBlockSize + kBlockSize / 4);
    m_block.reserve(kBlockSize + kBlockSize / 4);
}

PageStream::PageStream(QIODevice *device)
    : m_device(device)
{
    m_buffer.reserve(kBlockSize + kBlockSize / 4);
    m_block.reserve(kBlockSize + kBlockSize / 4);
}

PageStream::~PageStream()
{
    stopWriter();
    if (m_saveFile)
        m_saveFile->cancelWriting();
    if (m_ownsDescriptor && m_descriptor >= 0)
        ::close(m_descriptor);
}

bool PageStream::open()
{
    if (!m_path.isEmpty())
        return openPath();
    if (m_device)
        return m_device->isWritable();
    return m_descriptor >= 0;
}

bool PageStream::openPath()
{
    const QByteArray nativePath = QFile::encodeName(m_path);
    struct stat status
    {
    };
    const bool exists = ::stat(nativePath.constData(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode)) {
        fail(qt_error_string(EISDIR));
        return false;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        if (m_specialFiles == SpecialFiles::Refuse) {
            fail(RegularFile::notRegularText());
            return false;
        }
        // A pipe waits here for its reader, as a shell redirection does.
        m_descriptor = ::open(nativePath.constData(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
        if (m_descriptor < 0) {
            fail(qt_error_string(errno));
            return false;
        }
        m_ownsDescriptor = true;
        return true;
    }
    if (exists && m_specialFiles == SpecialFiles::WriteDirectly) {
        if (const auto descriptor = descriptorOpenOn(status)) {
            m_descriptor = *descriptor;
            return true;
        }
    }
    m_saveFile = std::make_unique<QSaveFile>(m_path);
    if (!m_saveFile->open(QIODevice::WriteOnly)) {
        fail(m_saveFile->errorString());
        return false;
    }
    return true;
}

void PageStream::fail(const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = reason;
    if (m_saveFile)
        m_saveFile->cancelWriting();
}

std::optional<QString> PageStream::writeBlock()
{
    if (m_descriptor >= 0) {
        if (const int error = Descriptor::writeAll(m_descriptor, m_block))
            return qt_error_string(error);
        return std::nullopt;
    }
    QIODevice *device = m_saveFile ? m_saveFile.get() : m_device;
    const char *data = m_block.constData();
    qsizetype left = m_block.size();
    while (left > 0) {
        const qint64 written = device->write(data, left);
        if (written <= 0)
            return device->errorString();
        data += written;
        left -= qsizetype(written);
    }
    return std::nullopt;
}

void PageStream::writeBlocks()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_blockReady || m_stopping; });
        if (!m_blockReady)
            return;
        lock.unlock();
        const std::optional<QString> error = writeBlock();
        lock.lock();
        if (error)
            fail(*error);
        m_block.resize(0); // keeps the capacity
        m_blockReady = false;
        m_wake.notify_all();
    }
}

void PageStream::flush()
{
    if (m_buffer.isEmpty())
        return;
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return !m_blockReady; });
    if (m_failed) {
        m_buffer.resize(0);
        return;
    }
    m_block.swap(m_buffer);
    if (!m_writer.joinable()) {
        try {
            m_writer = std::thread([this] { writeBlocks(); });
        } catch (const std::system_error &) {
            // No thread to be had: the block is written here.
            if (const std::optional<QString> error = writeBlock())
                fail(*error);
            m_block.resize(0);
            return;
        }
    }
    m_blockReady = true;
    lock.unlock();
    m_wake.notify_all();
}

void PageStream::stopWriter()
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

bool PageStream::commit()
{
    flush();
    stopWriter(); // after the last block
    if (m_failed)
        return false;
    if (m_saveFile) {
        if (!m_saveFile->commit()) {
            fail(m_saveFile->errorString());
            return false;
        }
        return true;
    }
    if (m_ownsDescriptor) {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        if (::close(descriptor) != 0) {
            fail(qt_error_string(errno));
            return false;
        }
        return true;
    }
    // A device may buffer on its own.
    if (auto *file = qobject_cast<QFileDevice *>(m_device); file && !file->flush()) {
        fail(file->errorString());
        return false;
    }
    return true;
}
