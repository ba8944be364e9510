#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

class QIODevice;
class QSaveFile;

// The output stream of one generation. Pieces are gathered in memory and
// written in large blocks, so a million rows do not mean a million small
// writes; a thread of the stream's own writes each block while the next one
// is made. A file is written through QSaveFile: until commit() succeeds the
// final name keeps its old content (or does not exist), so a failed write
// or a full disk never leaves a half-written page under that name.
class PageStream
{
public:
    static constexpr qsizetype kBlockSize = 1 << 20;

    // A file (its folder must exist).
    explicit PageStream(const QString &filePath);
    // An open device (standard output, a buffer); commit() flushes it.
    explicit PageStream(QIODevice *device);
    ~PageStream();
    Q_DISABLE_COPY_MOVE(PageStream)

    [[nodiscard]] bool open();
    // The buffer the next pieces are appended to; call flushIfFull() after.
    [[nodiscard]] QByteArray &buffer() { return m_buffer; }
    void write(std::string_view piece) { m_buffer.append(piece.data(), qsizetype(piece.size())); }
    void flushIfFull()
    {
        if (m_buffer.size() >= kBlockSize)
            flush();
    }
    // Writes what is left and puts the file in place. False when anything
    // failed since open(); the final name is then untouched.
    [[nodiscard]] bool commit();

    // After commit(), or before the first block was handed over.
    [[nodiscard]] bool failed() const { return m_failed; }
    [[nodiscard]] const QString &errorString() const { return m_error; }

private:
    // Hands the buffer to the writer once it has written the block before.
    void flush();
    void writeBlocks();
    // Writes m_block to the device; the error text when that fails.
    [[nodiscard]] std::optional<QString> writeBlock();
    void stopWriter();
    void fail(const QString &reason);

    std::unique_ptr<QSaveFile> m_file;
    QIODevice *m_device = nullptr;
    QByteArray m_buffer; // being filled
    QByteArray m_block; // being written, while m_blockReady
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_blockReady = false;
    bool m_stopping = false;
    std::thread m_writer;
    bool m_failed = false;
    QString m_error;
};
