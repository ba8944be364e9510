#pragma once

#include "core/name_pattern.h"

#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

// The names a search leaves out: folders and files whose name matches one
// of a list of patterns are not listed, not walked and not counted. Each
// pattern has the wildcards of the file pattern ("?", "*", "#", "[A-F]",
// "[!A-F]") and is compared with the whole name, ignoring letter case as
// the file pattern does: ".git" leaves out .git and .GIT but not x.git,
// "*.o" every name ending in .o.
//
// The list is kept as one text, the patterns separated by ";" (a pattern
// that must match a ";" uses "?" for it). Blanks around a pattern do not
// count, and empty patterns are dropped. A pattern the wildcard rules cannot
// read (an unclosed bracket) leaves out nothing: a file pattern that cannot
// be read lists everything, and an exclude pattern must not hide everything
// in its place.
class ExcludeList
{
public:
    ExcludeList() = default;
    explicit ExcludeList(const QString &text, const QLocale &locale = QLocale());

    [[nodiscard]] bool isEmpty() const { return m_rules.empty(); }
    // A file-system name (UTF-8 bytes).
    [[nodiscard]] bool excludes(QByteArrayView name) const;
    [[nodiscard]] bool excludes(const QString &name) const;

    // The patterns in use, and those that cannot be read, in list order.
    [[nodiscard]] const QStringList &patterns() const { return m_patterns; }
    [[nodiscard]] const QStringList &unreadable() const { return m_unreadable; }

    // The patterns of a list text, trimmed, without empty ones.
    [[nodiscard]] static QStringList split(const QString &text);
    // The list text of patterns, as split() reads it back: joined by ";".
    [[nodiscard]] static QString join(const QStringList &patterns);

private:
    std::vector<NamePattern> m_rules;
    QStringList m_patterns;
    QStringList m_unreadable;
};
