#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

class QIODevice;
class QSaveFile;

// The output stream of one generation (or one text export). Pieces are
// gathered in memory and written in large blocks, so a million rows do not
// mean a million small writes; a thread of the stream's own writes each
// block while the next one is made. How a path is written depends on what is
// there (stat(), never the name):
// - a regular file, or nothing yet: through QSaveFile. Until commit()
//   succeeds the final name keeps its old content (or does not exist), so
//   a failed write or a full disk never leaves a half-written page there;
// - a pipe or a device: opened and written directly, block by block, as a
//   shell redirection would; the node stays what it is. A regular file
//   that the program already has open (standard output named as
//   /dev/stdout) is written through that descriptor. A stream that must
//   not do this refuses such a path instead;
// - a folder: refused.
// Every write, flush and close is checked; the first failure is kept.
class PageStream
{
public:
    static constexpr qsizetype kBlockSize = 1 << 20;

    enum class SpecialFiles {
        Refuse, // only a regular file or a new one (the window's page)
        WriteDirectly,
    };
    // An open descriptor (standard output): written to, never closed.
    struct OpenDescriptor
    {
        int fd = -1;
    };

    PageStream(const QString &filePath, SpecialFiles specialFiles);
    explicit PageStream(OpenDescriptor descriptor);
    // An open device (a buffer); commit() flushes it.
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
    // Writes what is left and puts the file in place (or closes what was
    // opened directly). False when anything failed since open(); a file
    // written through QSaveFile is then untouched.
    [[nodiscard]] bool commit();

    // After commit(), or before the first block was handed over.
    [[nodiscard]] bool failed() const { return m_failed; }
    [[nodiscard]] const QString &errorString() const { return m_error; }

private:
    // Hands the buffer to the writer once it has written the block before.
    void flush();
    void writeBlocks();
    // Writes m_block; the error text when that fails.
    [[nodiscard]] std::optional<QString> writeBlock();
    void stopWriter();
    void fail(const QString &reason);
    [[nodiscard]] bool openPath();

    QString m_path;
    SpecialFiles m_specialFiles = SpecialFiles::Refuse;
    std::unique_ptr<QSaveFile> m_saveFile;
    int m_descriptor = -1;
    bool m_ownsDescriptor = false;
    QIODevice *m_device = nullptr; // given from outside
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
