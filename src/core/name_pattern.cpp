#include "core/name_pattern.h"

namespace {

[[nodiscard]] bool isTurkic(const QLocale &locale)
{
    return locale.language() == QLocale::Turkish || locale.language() == QLocale::Azerbaijani;
}

[[nodiscard]] std::vector<char32_t> codePoints(const QString &text)
{
    std::vector<char32_t> points;
    points.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            points.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            points.push_back(c.unicode());
        }
    }
    return points;
}

[[nodiscard]] qsizetype codePointCount(const QString &text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

// The last `count` code points of text (all of it when shorter).
[[nodiscard]] QString lastCodePoints(const QString &text, qsizetype count)
{
    qsizetype at = text.size();
    for (qsizetype taken = 0; at > 0 && taken < count; ++taken) {
        --at;
        if (text[at].isLowSurrogate() && at > 0 && text[at - 1].isHighSurrogate())
            --at;
    }
    return text.sliced(at);
}

} // namespace

NamePattern::NamePattern(const QString &pattern, const QLocale &locale, Extent extent)
    : m_pattern(pattern)
    , m_locale(locale)
    , m_turkic(isTurkic(locale))
    , m_wholeName(extent == Extent::WholeName)
{
    if (pattern == u"*") {
        m_matchesEverything = true;
        return;
    }
    m_length = codePointCount(pattern);
    const std::vector<char32_t> points = codePoints(m_locale.toUpper(pattern));
    for (size_t i = 0; i < points.size(); ++i) {
        const char32_t c = points[i];
        switch (c) {
        case U'?':
            m_tokens.push_back({ Kind::AnyOne });
            break;
        case U'#':
            m_tokens.push_back({ Kind::Digit });
            break;
        case U'*':
            // A run of stars is one star.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun)
                m_tokens.push_back({ Kind::AnyRun });
            break;
        case U'[': {
            Token token { Kind::List };
            size_t at = i + 1;
            if (at < points.size() && points[at] == U'!') {
                token.negated = true;
                ++at;
            }
            token.firstRange = quint32(m_ranges.size());
            bool closed = false;
            for (; at < points.size(); ++at) {
                if (points[at] == U']') {
                    closed = true;
                    break;
                }
                char32_t low = points[at];
                char32_t high = low;
                // "-" first or last in the list stands for itself.
                if (at + 2 < points.size() && points[at + 1] == U'-' && points[at + 2] != U']') {
                    high = points[at + 2];
                    at += 2;
                    if (high < low) {
                        m_valid = false;
                    }
                }
                m_ranges.push_back({ low, high });
            }
            if (!closed)
                m_valid = false;
            token.rangeCount = quint32(m_ranges.size()) - token.firstRange;
            // "[]" stands for no character at all.
            if (token.rangeCount > 0 || token.negated)
                m_tokens.push_back(token);
            i = at;
            break;
        }
        default:
            m_tokens.push_back({ Kind::Literal, false, c });
            break;
        }
        if (!m_valid)
            break;
    }
    if (!m_valid) {
        // The comparison itself fails, and the program goes on as if the
        // name matched.
        m_matchesEverything = true;
        m_tokens.clear();
        m_ranges.clear();
    }
}

bool NamePattern::tokenMatches(const Token &token, char32_t c) const
{
    switch (token.kind) {
    case Kind::Literal:
        return c == token.ch;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::List: {
        bool inList = false;
        for (quint32 r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
            if (c >= m_ranges[r].low && c <= m_ranges[r].high) {
                inList = true;
                break;
            }
        }
        return inList != token.negated;
    }
    case Kind::AnyRun:
        return true;
    }
    return false;
}

bool NamePattern::matchTail(const char32_t *tail, qsizetype length) const
{
    // Greedy matching that remembers only the last star: when a later
    // segment fails, the last star takes one more character. Each star
    // restart moves the text position forward, so the work is at most
    // tail x pattern steps.
    const size_t tokenCount = m_tokens.size();
    size_t p = 0;
    qsizetype t = 0;
    size_t starToken = size_t(-1);
    qsizetype starText = 0;
    while (t < length) {
        if (p < tokenCount && m_tokens[p].kind == Kind::AnyRun) {
            starToken = p++;
            starText = t;
        } else if (p < tokenCount && tokenMatches(m_tokens[p], tail[t])) {
            ++p;
            ++t;
        } else if (starToken != size_t(-1)) {
            p = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < tokenCount && m_tokens[p].kind == Kind::AnyRun)
        ++p;
    return p == tokenCount;
}

bool NamePattern::matchesUpperCased(const QString &tail) const
{
    const std::vector<char32_t> points = codePoints(tail);
    return matchTail(points.data(), qsizetype(points.size()));
}

bool NamePattern::matches(const QString &name) const
{
    if (m_matchesEverything)
        return true;
    return matchesUpperCased(m_locale.toUpper(m_wholeName ? name : lastCodePoints(name, m_length)));
}

bool NamePattern::matches(QByteArrayView name) const
{
    if (m_matchesEverything)
        return true;
    // Fast path: an ASCII tail is upper-cased byte by byte (the same as the
    // locale does, except in Turkic locales, which map i to a dotted I).
    const qsizetype tailLength = m_wholeName ? name.size() : std::min(name.size(), m_length);
    const char *tail = name.data() + (name.size() - tailLength);
    constexpr qsizetype kFastTail = 255; // the longest name most file systems take
    if (!m_turkic && tailLength <= kFastTail) {
        char32_t points[kFastTail];
        bool ascii = true;
        for (qsizetype i = 0; i < tailLength; ++i) {
            const auto byte = quint8(tail[i]);
            if (byte & 0x80) {
                ascii = false;
                break;
            }
            points[i] = byte >= 'a' && byte <= 'z' ? char32_t(byte - ('a' - 'A')) : char32_t(byte);
        }
        // A tail that starts with a UTF-8 continuation byte was caught above;
        // an ASCII tail shorter than the name is also the last code points.
        if (ascii)
            return matchTail(points, tailLength);
    }
    return matches(QString::fromUtf8(name));
}
