#pragma once

#include "core/exclude_list.h"
#include "core/name_pattern.h"

#include <QByteArrayView>

// What becomes of each name the walk reads: the one place where names are
// sorted out, called for every file and folder name. Safe to use from
// several threads at once.
class NameFilter
{
public:
    enum class Verdict : quint8 {
        Leave, // not listed, not walked, not counted anywhere
        Count, // a file that counts in its folder's size and file count only
        List, // a file that gets a row and counts; a folder that is walked
    };

    // pattern: the reduced file pattern; excludes: the exclude list's text,
    // whose names are left out whatever the pattern says.
    NameFilter(const QString &pattern, const QString &excludes)
        : m_pattern(pattern)
        , m_excludes(excludes)
    { }

    [[nodiscard]] Verdict verdict(QByteArrayView name, bool isFolder) const
    {
        if (!m_excludes.isEmpty() && m_excludes.excludes(name))
            return Verdict::Leave;
        return isFolder || m_pattern.matches(name) ? Verdict::List : Verdict::Count;
    }

private:
    NamePattern m_pattern;
    ExcludeList m_excludes;
};
