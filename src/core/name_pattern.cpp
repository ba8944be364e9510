#include "core/name_pattern.h"

NamePattern::NamePattern(const QString &pattern, const QLocale &locale)
    : m_pattern(pattern)
    , m_locale(locale)
{
    m_matchesEverything = true;
}

bool NamePattern::matches(const QString &) const { return m_matchesEverything; }
bool NamePattern::matches(QByteArrayView) const { return m_matchesEverything; }
bool NamePattern::matchTail(const char32_t *, qsizetype) const { return true; }
bool NamePattern::tokenMatches(const Token &, char32_t) const { return true; }
bool NamePattern::matchesUpperCased(const QString &) const { return true; }
