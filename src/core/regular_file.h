#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Files the program reads whole or replaces (settings files, clips, the
// page of the window) must be regular files. A pipe, a device or a socket
// in their place is refused at once: a read from a pipe without a writer
// waits for ever, and replacing a device node destroys it. Paths are
// file-system bytes where a name need not be valid UTF-8.
namespace RegularFile {

enum class Kind {
    Missing, // nothing there, or a link that leads nowhere
    Regular,
    Folder,
    Special, // a pipe, a device, a socket
    Unknown, // cannot be told (a folder on the way may not be searched)
};

// What is at the path, links followed. Never opens it.
[[nodiscard]] Kind kindOf(const QByteArray &nativePath);
[[nodiscard]] Kind kindOf(const QString &path);

// Why a path that had to be a regular file was refused.
[[nodiscard]] QString notRegularText();

struct ReadResult
{
    std::optional<QByteArray> bytes; // the whole file
    bool tooLarge = false; // larger than the limit; bytes is empty then
    QString reason; // why bytes is empty
};

// Reads a whole regular file of at most maxBytes. Never blocks: the path is
// looked at before it is opened, opened without blocking and looked at
// again on the open descriptor, so a pipe put in its place is never read.
[[nodiscard]] ReadResult read(const QByteArray &nativePath, qint64 maxBytes);

struct WriteResult
{
    bool ok = false;
    QString reason; // why nothing was written
};

// Puts bytes under path. A new file, or one whose folder takes new files,
// is written atomically (QSaveFile): until the end the old file stays as it
// was. When no temporary file can be made beside it but the file itself is
// writable, it is written in place (see writeInPlace). Anything but a
// regular file or a missing one is refused and left as it is.
[[nodiscard]] WriteResult write(const QString &path, const QByteArray &bytes);

// Rewrites an existing regular file in place with bytes, holding its old
// content until the new one is on disk and reads back unchanged; on any
// failure the old content is put back. Never blocks on a pipe.
[[nodiscard]] WriteResult writeInPlace(const QByteArray &nativePath, const QByteArray &bytes);

} // namespace RegularFile

// Raw writes to an open descriptor (a file, a pipe, a device).
namespace Descriptor {

// Writes all of data, going on after partial and interrupted writes.
// 0, or the errno of the write that failed (ENOSPC, EIO, EPIPE ...).
[[nodiscard]] int writeAll(int descriptor, QByteArrayView data);

} // namespace Descriptor
