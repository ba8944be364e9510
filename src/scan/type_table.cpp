#include "scan/type_table.h"

#include <QFile>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QVarLengthArray>

#include <algorithm>

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

// The byte length of the UTF-8 sequence that starts at `at` (the text is
// valid UTF-8).
[[nodiscard]] qsizetype codePointLength(QByteArrayView text, qsizetype at)
{
    const uchar lead = uchar(text[at]);
    const qsizetype length = lead < 0xc0 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    return std::min(length, text.size() - at);
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
            const bool wide = uchar(name[n]) >= 0x80;
            qsizetype next = p + 1;
            bool matched = false;
            if (wide)
                matched = loose;
            else if (c == '?')
                matched = true;
            else if (c == '[')
                matched = classHolds(pattern, p, name[n], next);
            else
                matched = c == name[n];
            if (wide && c == '[')
                (void)classHolds(pattern, p, '\0', next);
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
    explicit Name(QByteArrayView name)
    {
        ascii = isAscii(name);
        if (ascii) {
            exact = name;
            lower.resize(name.size());
            std::transform(name.begin(), name.end(), lower.begin(), asciiLower);
        } else {
            // As the database sees it: decoded, so that a broken sequence
            // is one replacement character.
            const QString text = QString::fromUtf8(name);
            decoded = text.toUtf8();
            exact = decoded;
            const QByteArray lowered = text.toLower().toUtf8();
            lower.append(lowered.constData(), lowered.size());
        }
    }
    [[nodiscard]] QByteArrayView lowerView() const { return { lower.constData(), lower.size() }; }

    bool ascii = true;
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
        for (const GlobLine &line : lines)
            addGlob(directory, line);
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
        (line.caseSensitive ? directory.caseSensitiveLiterals : directory.literals)[pattern]
            .push_back(glob);
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
        directory.complexGlobs.push_back({ pattern, glob });
    }
}

// The longest known suffix of the name that is shorter than the name (a
// one-character name may be a suffix itself), as the database walks its
// suffix tree: the lower-cased name against case-insensitive globs, or the
// name as it is against all.
void TypeTable::matchSuffix(const Directory &directory, QByteArrayView name, bool caseSensitivePass,
                            Matches &matches)
{
    const qsizetype stop = name.size() == 1 ? 0 : 1;
    int node = 0;
    int found = -1;
    qsizetype foundLength = 0;
    for (qsizetype i = name.size() - 1; i >= stop; --i) {
        const auto &children = directory.suffixes[size_t(node)].children;
        const char c = name[i];
        const auto at
            = std::lower_bound(children.begin(), children.end(), c,
                               [](const auto &child, char key) { return child.first < key; });
        if (at == children.end() || at->first != c)
            break;
        node = at->second;
        const std::vector<Glob> &globs = directory.suffixes[size_t(node)].globs;
        if (std::any_of(globs.begin(), globs.end(), [&](const Glob &glob) {
                return caseSensitivePass || !glob.caseSensitive;
            })) {
            found = node;
            foundLength = name.size() - i;
        }
    }
    if (found < 0)
        return;
    for (const Glob &glob : directory.suffixes[size_t(found)].globs)
        if (caseSensitivePass || !glob.caseSensitive)
            matches.add(glob, int(foundLength) + 1);
}

TypeTable::Outcome TypeTable::match(const Name &name, Matches &matches) const
{
    const QByteArrayView lower = name.lowerView();
    for (const Directory &directory : m_directories) {
        if (lower.size() <= directory.longestLiteral) {
            const auto matchLiterals
                = [&](const QHash<QByteArray, std::vector<Glob>> &literals, QByteArrayView key) {
                      const auto found
                          = literals.constFind(QByteArray::fromRawData(key.data(), key.size()));
                      if (found != literals.constEnd())
                          for (const Glob &glob : *found)
                              matches.add(glob, glob.patternLength);
                  };
            matchLiterals(directory.literals, lower);
            matchLiterals(directory.caseSensitiveLiterals, name.exact);
        }
        if (matches.isEmpty()) {
            matchSuffix(directory, lower, false, matches);
            if (matches.isEmpty())
                matchSuffix(directory, name.exact, true, matches);
        }
        if (matches.isEmpty()) {
            for (const ComplexGlob &complex : directory.complexGlobs) {
                const QByteArrayView subject = complex.glob.caseSensitive ? name.exact : lower;
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
    if (match(Name(name), matches) == Outcome::Unsure)
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
