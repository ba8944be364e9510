#pragma once

#include "scan/result_list.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct ProgramState;

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
        ResultList::Properties properties;
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
};

// The program's one file-system object, made on first use.
[[nodiscard]] FileSystem &SharedFileSystem(ProgramState &state);
