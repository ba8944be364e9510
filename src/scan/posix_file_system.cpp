#include "scan/posix_file_system.h"

#include "app/program_state.h"

PosixFileSystem::PosixFileSystem() = default;
PosixFileSystem::~PosixFileSystem() = default;

bool PosixFileSystem::fileExists(const QString &) const { return false; }
bool PosixFileSystem::folderExists(const QString &) const { return false; }
bool PosixFileSystem::createFolder(const QString &) { return false; }
std::optional<FileSystem::Listing> PosixFileSystem::listFolder(const QByteArray &) const { return std::nullopt; }
std::optional<FileSystem::Drive> PosixFileSystem::drive(const QString &) const { return std::nullopt; }
QString PosixFileSystem::typeDescription(const QByteArray &, bool) const { return {}; }
std::optional<FileSystem::FolderHandle> PosixFileSystem::openFolder(const QByteArray &, ResultList::Properties *) const { return std::nullopt; }
std::optional<FileSystem::FolderHandle> PosixFileSystem::openSubfolder(FolderHandle, QByteArrayView) const { return std::nullopt; }
bool PosixFileSystem::readFolder(FolderHandle, const std::function<void(const EntryView &)> &) const { return false; }
void PosixFileSystem::closeFolder(FolderHandle) const { }
QByteArray PosixFileSystem::typeCacheKey(QByteArrayView name) { return name.toByteArray(); }

FileSystem &SharedFileSystem(ProgramState &state)
{
    if (!state.fileSystem)
        state.fileSystem = std::make_shared<PosixFileSystem>();
    return *state.fileSystem;
}
