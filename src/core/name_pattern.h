#pragma once

#include <QByteArrayView>
#include <QLocale>
#include <QString>

#include <vector>

// The scanner's file-name matching rule. A name matches when the
// pattern is exactly "*", or when the tail of the name (its last N
// characters, N the pattern's length; the whole name if shorter) matches the
// pattern under the wildcard rules after both were upper-cased by the
// locale's rules. Wildcards: "?" any one character, "*" any run (also none),
// "#" one digit 0-9, "[A-F]" / "[AB-F]" one character of the list, "[!A-F]"
// one character not in it; every other character matches itself. The match
// is anchored at both ends of the tail. So "txt" matches a.txt, A.TXT and
// notatxt; "html" does not match a.htm; the empty pattern matches every name.
//
// Characters are Unicode code points (a name that is not valid UTF-8 counts
// each bad byte as U+FFFD). A pattern the rules cannot read (an unclosed
// bracket, a descending range such as [Z-A]) makes every name match, as the
// program goes on as if the failed comparison had matched.
//
// With Extent::WholeName the same rules compare the whole name instead of
// its tail, as exclude patterns do: "*.log" matches a.log, "log" only log.
//
// Matching takes time linear in the tail for patterns without "*" and at
// most tail x pattern steps with stars; there is no backtracking blow-up.
class NamePattern
{
public:
    enum class Extent : quint8 { Tail, WholeName };

    explicit NamePattern(const QString &pattern = {}, const QLocale &locale = QLocale(),
                         Extent extent = Extent::Tail);

    [[nodiscard]] bool matches(const QString &name) const;
    // A file-system name (UTF-8 bytes); ASCII tails take a fast path.
    [[nodiscard]] bool matches(QByteArrayView name) const;

    // True when every name matches ("*", or a pattern that cannot be read).
    [[nodiscard]] bool matchesEverything() const { return m_matchesEverything; }
    // False for a pattern the wildcard rules cannot read.
    [[nodiscard]] bool isValid() const { return m_valid; }
    [[nodiscard]] const QString &pattern() const { return m_pattern; }

private:
    enum class Kind : quint8 { Literal, AnyOne, Digit, List, AnyRun };
    struct Token
    {
        Kind kind;
        bool negated = false;
        char32_t ch = 0; // Literal
        quint32 firstRange = 0; // List: ranges [firstRange, firstRange + rangeCount)
        quint32 rangeCount = 0;
    };
    struct Range
    {
        char32_t low;
        char32_t high;
    };

    [[nodiscard]] bool matchTail(const char32_t *tail, qsizetype length) const;
    [[nodiscard]] bool tokenMatches(const Token &token, char32_t c) const;
    [[nodiscard]] bool matchesUpperCased(const QString &tail) const;

    QString m_pattern;
    QLocale m_locale;
    bool m_turkic = false; // ASCII i does not upper-case to I
    bool m_wholeName = false;
    bool m_valid = true;
    bool m_matchesEverything = false;
    qsizetype m_length = 0; // N: the pattern's length in code points
    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
};
