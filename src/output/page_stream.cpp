#include "output/page_stream.h"

#include <QSaveFile>

PageStream::PageStream(const QString &filePath)
    : m_file(std::make_unique<QSaveFile>(filePath))
    , m_device(m_file.get())
{
    m_buffer.reserve(kBlockSize + kBlockSize / 4);
}

PageStream::PageStream(QIODevice *device)
    : m_device(device)
{
    m_buffer.reserve(kBlockSize + kBlockSize / 4);
}

PageStream::~PageStream()
{
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

void PageStream::flush()
{
    if (m_buffer.isEmpty())
        return;
    if (!m_failed) {
        const char *data = m_buffer.constData();
        qsizetype left = m_buffer.size();
        while (left > 0) {
            const qint64 written = m_device->write(data, left);
            if (written <= 0) {
                fail(m_device->errorString());
                break;
            }
            data += written;
            left -= qsizetype(written);
        }
    }
    m_buffer.resize(0); // keeps the capacity
}

bool PageStream::commit()
{
    flush();
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
