#pragma once

#include "scan/file_system.h"

#include <QHash>

#include <mutex>

// The real file system on POSIX (DESIGN.md, platform table): statx relative
// to folder descriptors, enumeration in EnumerationLess order, type texts
// from QMimeDatabase by name only (cached by suffix, except for the few names
// the database knows as a whole), birth time where the
// file system has one (else the status-change time), attributes R (owner may
// not write), H (name starts with "."), S (not a regular file, folder or
// link), never A; folders also have bit 16. A link to a file has the data of
// its target; a link to a folder and a dangling link are files with their own
// data, never walked. Failures are values.
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

    // The key of the type cache: up to the last three dot-separated suffix
    // segments, letter case kept since some types differ by it ("a.b.tar.gz"
    // -> ".b.tar.gz", "x.C" -> ".C"); a dotless name is its own key.
    [[nodiscard]] static QByteArray typeCacheKey(QByteArrayView name);

private:
    // Names whose type does not follow from their suffix: the MIME
    // database's globs that are literal names (cmakelists.txt) or begin with
    // a literal part (readme*, makefile.*), lower-cased; others are matched
    // as they are: those that begin with a wildcard other than "*", and
    // suffix globs that reach over more than the last suffixes
    // (*.so.[0-9]* for libx.so.1.2.3).
    struct NamePattern
    {
        QByteArray glob;
        QByteArray mustContain; // a name without it cannot match; may be empty
    };
    struct NameGlobs
    {
        QHash<QByteArray, bool> literals;
        std::vector<QByteArray> prefixes;
        std::vector<NamePattern> patterns;
        qsizetype longestLiteral = 0;
    };
    void loadNameGlobs() const;
    [[nodiscard]] bool typeNeedsWholeName(const QByteArray &name) const;

    mutable std::mutex m_typeMutex;
    mutable QHash<QByteArray, QString> m_typeCache; // by typeCacheKey
    mutable QHash<QByteArray, QString> m_nameTypeCache; // by whole name, bounded
    mutable std::optional<NameGlobs> m_nameGlobs;
    mutable QString m_folderType;
};
