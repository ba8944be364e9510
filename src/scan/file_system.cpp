#include "scan/file_system.h"

struct FileSystem::PathHandles
{
};

std::optional<FileSystem::FolderHandle> FileSystem::openFolder(const QByteArray &,
                                                               ResultList::Properties *) const
{
    return std::nullopt;
}

std::optional<FileSystem::FolderHandle> FileSystem::openSubfolder(FolderHandle, QByteArrayView) const
{
    return std::nullopt;
}

bool FileSystem::readFolder(FolderHandle, const std::function<void(const EntryView &)> &) const
{
    return false;
}

void FileSystem::closeFolder(FolderHandle) const { }

bool EnumerationLess(QByteArrayView a, QByteArrayView b)
{
    return a < b;
}
