#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

// Folder totals, summed as the walk leaves each folder: a folder's size is
// the size of all files in it and below it, and is known only when every
// part of it could be read.
class FolderSizes
{
public:
    // Enters a folder below the one entered last, with the size of its own
    // files (known = all of them were read).
    void enter(qint64 ownBytes, bool known) { m_open.push_back({ ownBytes, known }); }
    // Leaves the folder entered last, whose subfolders were all left: its
    // total, which also counts in the folder above it.
    std::optional<qint64> leave()
    {
        const Open folder = m_open.back();
        m_open.pop_back();
        if (!m_open.empty()) {
            m_open.back().bytes += folder.bytes;
            m_open.back().known = m_open.back().known && folder.known;
        }
        return folder.known ? std::optional<qint64>(folder.bytes) : std::nullopt;
    }

private:
    struct Open
    {
        qint64 bytes;
        bool known;
    };
    std::vector<Open> m_open;
};
