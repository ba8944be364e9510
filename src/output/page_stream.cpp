#include "output/page_stream.h"

#include <QSaveFile>

#include <system_error>

PageStream::PageStream(const QString &filePath)
    : m_file(std::make_unique<QSaveFile>(filePath))
    , m_device(m_file.get())
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
    if (m_file)
        m_file->cancelWriting();
}

bool PageStream::open()
{
    if (!m_file)
        return m_device != nullptr && m_device->isWritable();
    if (!m_file->open(QIODevice::WriteOnly)) {
        fail(m_file->errorString());
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
    if (m_file)
        m_file->cancelWriting();
}

std::optional<QString> PageStream::writeBlock()
{
    const char *data = m_block.constData();
    qsizetype left = m_block.size();
    while (left > 0) {
        const qint64 written = m_device->write(data, left);
        if (written <= 0)
            return m_device->errorString();
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
    if (m_file) {
        if (!m_file->commit()) {
            fail(m_file->errorString());
            return false;
        }
        return true;
    }
    // A sequential device (standard output) may buffer on its own.
    if (auto *file = qobject_cast<QFileDevice *>(m_device); file && !file->flush()) {
        fail(file->errorString());
        return false;
    }
    return true;
}
