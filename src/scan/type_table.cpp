#include "scan/type_table.h"

#include <QFile>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QVarLengthArray>

#include <algorithm>
#include <optional>

namespace {

constexpr QByteArrayView kDefaultType = "application/octet-stream";
constexpr QByteArrayView kFolderType = "inode/directory";
// A glob list entry that removes the globs of lower directories; how the
// database weighs it against the other directories is not mirrored.
constexpr QByteArrayView kNoGlobs = "__NOGLOBS__";
constexpr qsizetype kMaxNamesAsked = 4096;

[[nodiscard]] bool isWildcard(char c)
{
    return c == '*' || c == '?' || c == '[';
}

[[nodiscard]] bool hasWildcard(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(), isWildcard);
}

[[nodiscard]] char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

[[nodiscard]] bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

[[nodiscard]] QByteArray lowerCased(QByteArrayView text)
{
    if (isAscii(text)) {
        QByteArray lower(text.size(), Qt::Uninitialized);
        std::transform(text.begin(), text.end(), lower.begin(), asciiLower);
        return lower;
    }
    return QString::fromUtf8(text).toLower().toUtf8();
}

// Whether the name is well-formed UTF-8 whose letters outside ASCII all
// lower-case to one letter outside ASCII, as the database decodes and
// lower-cases them: below the noncharacters and the byte order mark, and
// neither the dotted capital I nor the Kelvin sign (which lower-case to
// ASCII letters).
[[nodiscard]] bool lowersOutsideAscii(QByteArrayView name)
{
    const auto isTrail
        = [&](qsizetype at) { return at < name.size() && (uchar(name[at]) & 0xc0) == 0x80; };
    for (qsizetype i = 0; i < name.size();) {
        const uchar lead = uchar(name[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        if (lead >= 0xc2 && lead <= 0xdf && isTrail(i + 1)) {
            codePoint = char32_t(lead & 0x1f) << 6 | (uchar(name[i + 1]) & 0x3f);
            i += 2;
        } else if (lead >= 0xe0 && lead <= 0xef && isTrail(i + 1) && isTrail(i + 2)) {
            codePoint = char32_t(lead & 0x0f) << 12 | char32_t(uchar(name[i + 1]) & 0x3f) << 6
                | (uchar(name[i + 2]) & 0x3f);
            i += 3;
            if (codePoint < 0x800 || (codePoint >= 0xd800 && codePoint <= 0xdfff))
                return false;
        } else {
            return false;
        }
        if (codePoint >= 0xfdd0 || codePoint == 0x130 || codePoint == 0x212a)
            return false;
    }
    return true;
}

// The byte length of the UTF-8 sequence that starts at `at` (the text is
// valid UTF-8).
[[nodiscard]] qsizetype codePointLength(QByteArrayView text, qsizetype at)
{
    const uchar lead = uchar(text[at]);
    const qsizetype length = lead < 0xc0 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    return std::min(length, text.size() - at);
}

// The last `count` code points of a UTF-8 text, if it has as many.
[[nodiscard]] std::optional<QByteArrayView> lastCodePoints(QByteArrayView text, qsizetype count)
{
    qsizetype at = text.size();
    for (; count > 0 && at > 0; --count) {
        --at;
        while (at > 0 && (uchar(text[at]) & 0xc0) == 0x80)
            --at;
    }
    if (count > 0)
        return std::nullopt;
    return text.sliced(at);
}

// Whether the character class that starts at pattern[at] ("[...]", "!"
// negates) holds the ASCII character c; `end` is set past the class. An
// unclosed "[" stands for itself.
[[nodiscard]] bool classHolds(QByteArrayView pattern, qsizetype at, char c, qsizetype &end)
{
    qsizetype i = at + 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negated)
        ++i;
    const qsizetype first = i;
    bool holds = false;
    for (; i < pattern.size() && (pattern[i] != ']' || i == first); ++i) {
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            holds = holds || (c >= pattern[i] && c <= pattern[i + 2]);
            i += 2;
        } else {
            holds = holds || c == pattern[i];
        }
    }
    if (i >= pattern.size()) {
        end = at + 1;
        return c == '[';
    }
    end = i + 1;
    return holds != negated;
}

// Whether a wildcard pattern ("*", "?", "[...]") matches the whole name, by
// code points. The database may match a letter outside ASCII against a
// class or a pattern letter (digits and case folding beyond ASCII), so a
// loose match lets such a letter stand for any one pattern character and a
// strict match only for "*"; names where the two differ are not settled.
[[nodiscard]] bool globMatches(QByteArrayView pattern, QByteArrayView name, bool loose)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starPattern = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starPattern = ++p;
                starName = n;
                continue;
            }
            qsizetype next = p + 1;
            bool matched
                = c == '?' || (c == '[' ? classHolds(pattern, p, name[n], next) : c == name[n]);
            if (uchar(name[n]) >= 0x80)
                matched = loose;
            if (matched) {
                p = next;
                n += codePointLength(name, n);
                continue;
            }
        }
        if (starPattern < 0)
            return false;
        p = starPattern;
        starName += codePointLength(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The longest run of plain characters in a wildcard pattern: a name the
// pattern matches holds it (when the name is plain ASCII).
[[nodiscard]] QByteArray longestLiteral(QByteArrayView pattern)
{
    QByteArrayView longest;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const qsizetype start = i;
        while (i < pattern.size() && !isWildcard(pattern[i]))
            ++i;
        if (i - start > longest.size())
            longest = pattern.sliced(start, i - start);
        if (i < pattern.size() && pattern[i] == '[') {
            qsizetype end = i + 1;
            (void)classHolds(pattern, i, '\0', end);
            i = end;
        } else {
            ++i;
        }
    }
    return longest.toByteArray();
}

// How many characters of a name a pattern without "*" matches.
[[nodiscard]] qsizetype fixedLength(QByteArrayView pattern)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < pattern.size(); ++length) {
        if (pattern[i] == '[') {
            qsizetype end = i + 1;
            (void)classHolds(pattern, i, '\0', end);
            i = end;
        } else {
            ++i;
        }
    }
    return length;
}

// Whether the database reads the directory through its cache file, whose
// matching the table mirrors (it reads a directory without one differently).
[[nodiscard]] bool hasUsableCache(const QString &directory)
{
    QFile cache(directory + QLatin1String("/mime.cache"));
    if (!cache.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = cache.read(4);
    if (head.size() < 4)
        return false;
    const int major = (uchar(head[0]) << 8) | uchar(head[1]);
    const int minor = (uchar(head[2]) << 8) | uchar(head[3]);
    return major == 1 && minor >= 1 && minor <= 2;
}

} // namespace

// One line of a globs2 file: weight:type:glob[:flags].
struct TypeTable::GlobLine
{
    int weight = 0;
    QByteArray type;
    QByteArray pattern;
    bool caseSensitive = false;
};

std::optional<std::vector<TypeTable::GlobLine>> TypeTable::readGlobs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::vector<GlobLine> lines;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split(':');
        bool isNumber = false;
        const int weight = fields.size() >= 3 ? fields[0].toInt(&isNumber) : 0;
        if (!isNumber || fields[1].isEmpty() || fields[2].isEmpty())
            continue;
        if (fields[2] == kNoGlobs)
            return std::nullopt;
        const bool caseSensitive = fields.size() >= 4 && fields[3].split(',').contains("cs");
        // A case-sensitive glob is listed again without its flags, for
        // readers that do not know them; the database has it once.
        if (!caseSensitive && !lines.empty() && lines.back().caseSensitive
            && lines.back().weight == weight && lines.back().type == fields[1]
            && lines.back().pattern == fields[2])
            continue;
        lines.push_back({ weight, fields[1], fields[2], caseSensitive });
    }
    return lines;
}

// The matches of one name so far, weighed as the database weighs them.
class TypeTable::Matches
{
public:
    void add(const Glob &glob, int patternLength)
    {
        // A type met once, even passed over, is not weighed again.
        if (m_all.contains(glob.type))
            return;
        if (glob.weight < m_weight) {
            m_all.append(glob.type);
            return;
        }
        bool replace = glob.weight > m_weight;
        if (!replace) {
            if (patternLength < m_patternLength)
                return;
            replace = patternLength > m_patternLength;
        }
        if (replace) {
            m_best.clear();
            m_patternLength = patternLength;
            m_weight = glob.weight;
        }
        if (!m_best.contains(glob.type)) {
            m_best.append(glob.type);
            m_all.append(glob.type);
        }
    }
    [[nodiscard]] bool isEmpty() const { return m_best.isEmpty(); }
    // The winner: the type names sort as their indices do.
    [[nodiscard]] int best() const { return *std::min_element(m_best.begin(), m_best.end()); }

private:
    QVarLengthArray<int, 4> m_best;
    QVarLengthArray<int, 8> m_all;
    int m_weight = 0;
    int m_patternLength = 0;
};

// A file name in the forms the matching needs.
struct TypeTable::Name
{
    // With ASCII globs only, letters outside ASCII matter to the matching
    // only as "some letter", so most names are lower-cased in ASCII alone.
    Name(QByteArrayView name, bool asciiGlobs)
    {
        ascii = isAscii(name);
        if (ascii || (asciiGlobs && lowersOutsideAscii(name))) {
            exact = name;
            lower.resize(name.size());
            std::transform(name.begin(), name.end(), lower.begin(), asciiLower);
            lastCased = name.size() - 1;
            while (lastCased >= 0 && name[lastCased] == lower[lastCased])
                --lastCased;
        } else {
            // As the database sees it: decoded (a broken sequence becomes
            // replacement characters) and lower-cased in full.
            const QString text = QString::fromUtf8(name);
            decoded = text.toUtf8();
            exact = decoded;
            const QByteArray lowered = text.toLower().toUtf8();
            lower.append(lowered.constData(), lowered.size());
            // Lower-casing may change the length: compare all.
            lastCased = exact == lowerView() ? -1 : exact.size();
        }
    }
    [[nodiscard]] QByteArrayView lowerView() const { return { lower.constData(), lower.size() }; }

    bool ascii = true;
    // The last place where the name differs from its lower-cased form, or
    // -1 when it does not.
    qsizetype lastCased = -1;
    QByteArrayView exact;
    QByteArray decoded;
    QVarLengthArray<char, 256> lower;
};

TypeTable::TypeTable()
    : TypeTable(QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                          QStringLiteral("mime"), QStandardPaths::LocateDirectory))
{ }

TypeTable::TypeTable(const QStringList &mimeDirectories)
{
    // Without the freedesktop.org package in any directory the database
    // adds a built-in copy, which has no glob list here.
    bool complete
        = std::any_of(mimeDirectories.begin(), mimeDirectories.end(), [](const QString &directory) {
              return QFile::exists(directory + QLatin1String("/packages/freedesktop.org.xml"));
          });
    std::vector<std::vector<GlobLine>> directories;
    for (const QString &directory : mimeDirectories) {
        std::optional<std::vector<GlobLine>> globs = hasUsableCache(directory)
            ? readGlobs(directory + QLatin1String("/globs2"))
            : std::nullopt;
        if (!globs) {
            complete = false;
            break;
        }
        directories.push_back(std::move(*globs));
    }
    if (!complete)
        directories.clear();

    // Types by name in sorted order, so that the lowest index of several
    // equal matches is the one the database picks.
    m_typeNames = { kDefaultType.toByteArray(), kFolderType.toByteArray() };
    for (const std::vector<GlobLine> &lines : directories)
        for (const GlobLine &line : lines)
            m_typeNames.push_back(line.type);
    std::sort(m_typeNames.begin(), m_typeNames.end());
    m_typeNames.erase(std::unique(m_typeNames.begin(), m_typeNames.end()), m_typeNames.end());
    for (int i = 0; i < int(m_typeNames.size()); ++i)
        m_typeIndex.insert(m_typeNames[size_t(i)], i);
    m_defaultType = m_typeIndex.value(kDefaultType.toByteArray());
    m_folderType = m_typeIndex.value(kFolderType.toByteArray());
    m_commentOnce = std::make_unique<std::once_flag[]>(m_typeNames.size());
    m_comments = std::make_unique<QString[]>(m_typeNames.size());

    for (const std::vector<GlobLine> &lines : directories) {
        Directory &directory = m_directories.emplace_back();
        directory.suffixes.emplace_back();
        for (const GlobLine &line : lines) {
            addGlob(directory, line);
            m_asciiGlobs = m_asciiGlobs && isAscii(line.pattern);
        }
    }
    m_complete = complete;
}

TypeTable::~TypeTable() = default;

void TypeTable::addGlob(Directory &directory, const GlobLine &line)
{
    const QByteArray pattern = line.caseSensitive ? line.pattern : lowerCased(line.pattern);
    Glob glob;
    glob.type = m_typeIndex.value(line.type);
    glob.weight = line.weight;
    glob.caseSensitive = line.caseSensitive;
    glob.patternLength = int(QString::fromUtf8(pattern).size());
    if (!hasWildcard(pattern)) {
        directory.literals[lowerCased(pattern)].push_back(
            { glob, line.caseSensitive ? pattern : QByteArray() });
        directory.longestLiteral = std::max(directory.longestLiteral, pattern.size());
    } else if (pattern.startsWith('*') && !hasWildcard(QByteArrayView(pattern).sliced(1))) {
        int node = 0;
        for (qsizetype i = pattern.size() - 1; i >= 1; --i) {
            const char c = pattern[i];
            auto &children = directory.suffixes[size_t(node)].children;
            auto at
                = std::lower_bound(children.begin(), children.end(), c,
                                   [](const auto &child, char key) { return child.first < key; });
            if (at == children.end() || at->first != c) {
                const int child = int(directory.suffixes.size());
                children.insert(at, { c, child });
                directory.suffixes.emplace_back(); // invalidates `children`
                node = child;
            } else {
                node = at->second;
            }
        }
        directory.suffixes[size_t(node)].globs.push_back(glob);
    } else {
        const QByteArray tail = pattern.mid(pattern.lastIndexOf('*') + 1);
        directory.complexGlobs.push_back(
            { pattern, longestLiteral(pattern), tail, fixedLength(tail), glob });
    }
}

// Walks the suffix tree from the end of the name as far as the name goes,
// but never over its first character (unless it is the only one), as the
// database walks it.
TypeTable::SuffixWalk TypeTable::walkSuffixes(const Directory &directory, QByteArrayView name)
{
    SuffixWalk walk;
    const qsizetype stop = name.size() == 1 ? 0 : 1;
    int node = 0;
    walk.lowestRead = name.size();
    for (qsizetype i = name.size() - 1; i >= stop; --i) {
        const auto &children = directory.suffixes[size_t(node)].children;
        const char c = name[i];
        walk.lowestRead = i;
        const auto at = std::lower_bound(
            children.begin(), children.end(), c,
            [](const std::pair<char, int> &child, char key) { return child.first < key; });
        if (at == children.end() || at->first != c)
            break;
        node = at->second;
        const std::vector<Glob> &globs = directory.suffixes[size_t(node)].globs;
        if (globs.empty())
            continue;
        walk.anyNode = node;
        walk.anyLength = name.size() - i;
        if (std::any_of(globs.begin(), globs.end(),
                        [](const Glob &glob) { return !glob.caseSensitive; })) {
            walk.foldedNode = node;
            walk.foldedLength = walk.anyLength;
        }
    }
    return walk;
}

void TypeTable::addSuffixGlobs(const Directory &directory, int node, qsizetype length,
                               bool caseSensitivePass, Matches &matches)
{
    // The database weighs a suffix match as the glob "*" + suffix.
    for (const Glob &glob : directory.suffixes[size_t(node)].globs)
        if (caseSensitivePass || !glob.caseSensitive)
            matches.add(glob, int(length) + 1);
}

TypeTable::Outcome TypeTable::match(const Name &name, Matches &matches) const
{
    const QByteArrayView lower = name.lowerView();
    for (const Directory &directory : m_directories) {
        if (lower.size() <= directory.longestLiteral) {
            const auto found
                = directory.literals.constFind(QByteArray::fromRawData(lower.data(), lower.size()));
            if (found != directory.literals.constEnd())
                for (const LiteralGlob &literal : *found)
                    if (!literal.glob.caseSensitive || literal.casedPattern == name.exact)
                        matches.add(literal.glob, literal.glob.patternLength);
        }
        // The longest suffix of the lower-cased name among case-insensitive
        // globs, else of the name as it is among all.
        if (matches.isEmpty()) {
            const SuffixWalk folded = walkSuffixes(directory, lower);
            if (folded.foldedNode >= 0) {
                addSuffixGlobs(directory, folded.foldedNode, folded.foldedLength, false, matches);
            } else {
                // The same walk when it did not reach a letter that
                // lower-casing changed.
                const SuffixWalk exact = name.lastCased < folded.lowestRead
                    ? folded
                    : walkSuffixes(directory, name.exact);
                if (exact.anyNode >= 0)
                    addSuffixGlobs(directory, exact.anyNode, exact.anyLength, true, matches);
            }
        }
        if (matches.isEmpty()) {
            for (const ComplexGlob &complex : directory.complexGlobs) {
                const QByteArrayView subject = complex.glob.caseSensitive ? name.exact : lower;
                // Quick checks that rule out even a loose match: the end of
                // the name, and (in plain ASCII) the glob's plain part.
                if (!complex.glob.caseSensitive) {
                    const std::optional<QByteArrayView> end
                        = lastCodePoints(subject, complex.tailLength);
                    if (!end || !globMatches(complex.tail, *end, true)
                        || (name.ascii && !subject.contains(complex.literal)))
                        continue;
                }
                const bool matched = globMatches(complex.pattern, subject, false);
                if (!name.ascii && matched != globMatches(complex.pattern, subject, true))
                    return Outcome::Unsure;
                // Whether the database folds case here is not mirrored.
                if (complex.glob.caseSensitive
                    && matched != globMatches(lowerCased(complex.pattern), lower, false))
                    return Outcome::Unsure;
                if (matched)
                    matches.add(complex.glob, complex.glob.patternLength);
            }
        }
    }
    return Outcome::Settled;
}

QString TypeTable::description(QByteArrayView name) const
{
    if (!m_complete)
        return askDatabase(name);
    if (name.isEmpty())
        return comment(m_defaultType);
    Matches matches;
    if (match(Name(name, m_asciiGlobs), matches) == Outcome::Unsure)
        return askDatabase(name);
    return comment(matches.isEmpty() ? m_defaultType : matches.best());
}

QString TypeTable::folderDescription() const
{
    return comment(m_folderType);
}

QString TypeTable::comment(int type) const
{
    std::call_once(m_commentOnce[size_t(type)], [&] {
        m_comments[size_t(type)]
            = QMimeDatabase()
                  .mimeTypeForName(QString::fromLatin1(m_typeNames[size_t(type)]))
                  .comment();
    });
    return m_comments[size_t(type)];
}

QString TypeTable::askDatabase(QByteArrayView name) const
{
    m_databaseLookups.fetch_add(1, std::memory_order_relaxed);
    const QByteArray key = name.toByteArray();
    {
        std::lock_guard lock(m_askedMutex);
        const auto found = m_asked.constFind(key);
        if (found != m_asked.constEnd())
            return *found;
    }
    const QString type = QMimeDatabase()
                             .mimeTypeForFile(QString::fromUtf8(key), QMimeDatabase::MatchExtension)
                             .comment();
    std::lock_guard lock(m_askedMutex);
    if (m_asked.size() >= kMaxNamesAsked)
        m_asked.clear();
    m_asked.insert(key, type);
    return type;
}
