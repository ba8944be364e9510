#pragma once

#include "scan/file_system.h"

#include <memory>
#include <mutex>

class TypeTable;

// The real file system on POSIX: statx relative to folder descriptors,
// enumeration in EnumerationLess order, type texts by name only, as
// QMimeDatabase gives them (from a TypeTable built on first use), birth time
// where the file system has one (else the status-change time), attributes R
// (owner may not write), H (name starts with "."), S (not a regular file,
// folder or link), never A; folders also have bit 16. A link to a file has
// the data of its target; a link to a folder and a dangling link are files
// with their own data, never walked. Failures are values.
class PosixFileSystem final : public FileSystem
{
public:
    PosixFileSystem();
    ~PosixFileSystem() override;
    Q_DISABLE_COPY_MOVE(PosixFileSystem)

    [[nodiscard]] bool fileExists(const QString &path) const override;
    [[nodiscard]] bool folderExists(const QString &path) const override;
    bool createFolder(const QString &path) override;
    [[nodiscard]] std::optional<Listing> listFolder(const QByteArray &path) const override;
    [[nodiscard]] std::optional<Drive> drive(const QString &path) const override;
    [[nodiscard]] QString typeDescription(const QByteArray &name, bool isFolder) const override;

    [[nodiscard]] std::optional<FolderHandle> openFolder(const QByteArray &path,
                                                         ItemProperties *own) const override;
    [[nodiscard]] std::optional<FolderHandle> openSubfolder(FolderHandle parent,
                                                            QByteArrayView name) const override;
    bool readFolder(FolderHandle folder,
                    const std::function<void(const EntryView &)> &entry) const override;
    void closeFolder(FolderHandle folder) const override;

private:
    mutable std::once_flag m_typeTableOnce;
    mutable std::unique_ptr<TypeTable> m_typeTable;
};
