#include "core/exclude_list.h"

#include <algorithm>

namespace {

constexpr QChar kSeparator = u';';

} // namespace

ExcludeList::ExcludeList(const QString &text, const QLocale &locale)
{
    for (const QString &pattern : split(text)) {
        NamePattern rule(pattern, locale, NamePattern::Extent::WholeName);
        if (!rule.isValid()) {
            m_unreadable.append(pattern);
            continue;
        }
        m_rules.push_back(std::move(rule));
        m_patterns.append(pattern);
    }
}

bool ExcludeList::excludes(QByteArrayView name) const
{
    return std::ranges::any_of(m_rules,
                               [name](const NamePattern &rule) { return rule.matches(name); });
}

bool ExcludeList::excludes(const QString &name) const
{
    return std::ranges::any_of(m_rules,
                               [&name](const NamePattern &rule) { return rule.matches(name); });
}

QStringList ExcludeList::split(const QString &text)
{
    QStringList patterns;
    for (const QStringView part : QStringView(text).split(kSeparator)) {
        const QStringView pattern = part.trimmed();
        if (!pattern.isEmpty())
            patterns.append(pattern.toString());
    }
    return patterns;
}

QString ExcludeList::join(const QStringList &patterns)
{
    return patterns.join(kSeparator);
}
