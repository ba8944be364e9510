#pragma once

#include "scan/item_properties.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Everything the program reads from the file system. Failures are values
// (nullopt, false, an empty text), never exceptions. Paths of folders and
// files are file-system bytes (QByteArray) where they come from the disk,
// and QString where a person typed or picked them.
class FileSystem
{
public:
    // One file or subfolder of a folder. Properties follow the program's
    // rules: a link to a file has the data of the file it points to; a link
    // to a folder, and a dangling link, are files with their own data.
    struct Entry
    {
        QByteArray name;
        bool isFolder = false; // a real folder, walked by the scanner
        ItemProperties properties;
    };

    // The files and the subfolders of one folder, each in enumeration
    // order: by the name upper-cased and compared by code point, ties by
    // the exact name.
    struct Listing
    {
        std::vector<Entry> files;
        std::vector<Entry> subfolders;
    };

    struct Drive
    {
        QString volumeName;
        QString fileSystem;
        std::optional<qint32> serialNumber;
        std::optional<qint64> totalBytes;
        std::optional<qint64> freeBytes;
    };

    virtual ~FileSystem() = default;

    [[nodiscard]] virtual bool fileExists(const QString &path) const = 0;
    [[nodiscard]] virtual bool folderExists(const QString &path) const = 0;
    // True when the folder exists afterwards.
    virtual bool createFolder(const QString &path) = 0;
    // One folder, without the sizes of its subfolders' trees.
    [[nodiscard]] virtual std::optional<Listing> listFolder(const QByteArray &path) const = 0;
    [[nodiscard]] virtual std::optional<Drive> drive(const QString &path) const = 0;
    // The type description of a file by its name alone (never its
    // content), or of a folder.
    [[nodiscard]] virtual QString typeDescription(const QByteArray &name, bool isFolder) const = 0;

    // Descriptor-style reading for the scanner: a folder is opened relative
    // to its opened parent, so a tree of any depth never needs a path longer
    // than one name, and entries are handed out one by one without an
    // allocation each. A handle is closed by closeFolder. The defaults below
    // are built on listFolder() (by path), so a test file system only needs
    // the operations above; the POSIX one overrides them with descriptors.
    // All four may be called from a worker thread, one handle per thread.
    using FolderHandle = qintptr;

    // One entry as readFolder() hands it out; the name is valid during the
    // call only. Properties follow the rules of Entry; type is not filled
    // (typeDescription() gives it when a row needs it).
    struct EntryView
    {
        QByteArrayView name;
        bool isFolder = false;
        const ItemProperties *properties = nullptr;
    };

    // Opens a folder by path (links followed) and reads its own properties
    // (without size and type); nullopt when it cannot be opened.
    [[nodiscard]] virtual std::optional<FolderHandle> openFolder(const QByteArray &path,
                                                                 ItemProperties *own) const;
    // Opens the subfolder `name` of an opened folder; links are not followed.
    [[nodiscard]] virtual std::optional<FolderHandle> openSubfolder(FolderHandle parent,
                                                                    QByteArrayView name) const;
    // Calls `entry` for every file and subfolder, in no particular order.
    // False when the folder could not be listed (nothing or part was handed
    // out then).
    virtual bool readFolder(FolderHandle folder,
                            const std::function<void(const EntryView &)> &entry) const;
    virtual void closeFolder(FolderHandle folder) const;

private:
    struct PathHandles;
    mutable std::shared_ptr<PathHandles> m_pathHandles; // the defaults' open folders
};

// The enumeration order of files and of subfolders: the names (file-system
// bytes, UTF-8) upper-cased and compared by code point, ties by the exact
// bytes.
[[nodiscard]] bool EnumerationLess(QByteArrayView a, QByteArrayView b);
// Appends the name upper-cased (UTF-8) to `key`: EnumerationLess(a, b) is
// the byte order of (key of a, a) before (key of b, b). Sorting many names
// by keys made once is faster than upper-casing them in every comparison.
void AppendEnumerationKey(QByteArrayView name, std::vector<char> &key);
