#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The type description of a file by its name alone: what
// QMimeDatabase::mimeTypeForFile(name, MatchExtension).comment() gives, at
// the cost of a few table lookups. The table is built once from the glob
// lists (globs2) of the MIME directories the database reads, and matches a
// name the way the database does: literal names first, then the longest
// known suffix, then the other globs, each step only while nothing has
// matched; among several matches the highest weight wins, then the longest
// pattern, then the type name that sorts first. The comment of a type is
// asked of the database once, when a name first needs it.
//
// The few names whose type the table cannot settle exactly are asked of the
// database instead (cached): a letter outside ASCII where a glob other than
// a literal name or a suffix wants a character class, a "?" or a letter
// (the database may match digits and case beyond ASCII there); a name that
// such a glob, marked case-sensitive, matches only in another letter case;
// and every name when the MIME directories are not all glob lists the table
// understands (no cache file, deleted globs, the database's built-in copy).
//
// Safe for concurrent readers once constructed.
class TypeTable
{
public:
    // The MIME directories QStandardPaths lists, as the database finds them.
    TypeTable();
    // The given MIME directories, in the database's order of precedence.
    explicit TypeTable(const QStringList &mimeDirectories);
    ~TypeTable();
    Q_DISABLE_COPY_MOVE(TypeTable)

    [[nodiscard]] QString description(QByteArrayView name) const;
    [[nodiscard]] QString folderDescription() const;

    // False when the table could not read the database's globs, so that
    // every name is asked of the database.
    [[nodiscard]] bool isComplete() const { return m_complete; }
    // How many descriptions were asked of the database rather than the
    // table (cache hits included).
    [[nodiscard]] quint64 databaseLookups() const { return m_databaseLookups.load(); }

private:
    struct Glob
    {
        int type = 0; // index into m_typeNames
        int weight = 0;
        int patternLength = 0; // as the database measures a match
        bool caseSensitive = false;
    };
    // Suffix globs ("*.txt") as a trie over the reversed suffix.
    struct SuffixNode
    {
        std::vector<std::pair<char, int>> children; // sorted by character
        std::vector<Glob> globs;
    };
    struct ComplexGlob
    {
        QByteArray pattern; // lower-cased unless case-sensitive
        // What a plain ASCII name must hold to match: the longest run
        // without wildcards, and at its end what follows the last "*"
        // (tailLength characters).
        QByteArray literal;
        QByteArray tail;
        qsizetype tailLength = 0;
        Glob glob;
    };
    // The deepest nodes of the suffix tree that a name reached and that hold
    // globs: any globs, and case-insensitive ones.
    struct SuffixWalk
    {
        int anyNode = -1;
        qsizetype anyLength = 0;
        int foldedNode = -1;
        qsizetype foldedLength = 0;
        qsizetype lowestRead = 0; // the first character of the name the walk looked at
    };
    struct LiteralGlob
    {
        Glob glob;
        QByteArray casedPattern; // for a case-sensitive glob: the name it matches
    };
    // The globs of one MIME directory, matched in the same steps as the
    // database matches them.
    struct Directory
    {
        QHash<QByteArray, std::vector<LiteralGlob>> literals; // by the name lower-cased
        std::vector<SuffixNode> suffixes; // [0] is the root
        std::vector<ComplexGlob> complexGlobs;
        qsizetype longestLiteral = 0;
    };
    struct GlobLine;
    class Matches;
    struct Name;
    enum class Outcome { Settled, Unsure };

    [[nodiscard]] static std::optional<std::vector<GlobLine>> readGlobs(const QString &path);
    void addGlob(Directory &directory, const GlobLine &line);
    [[nodiscard]] Outcome match(const Name &name, Matches &matches) const;
    [[nodiscard]] static SuffixWalk walkSuffixes(const Directory &directory, QByteArrayView name);
    static void addSuffixGlobs(const Directory &directory, int node, qsizetype length,
                               bool caseSensitivePass, Matches &matches);
    [[nodiscard]] QString comment(int type) const;
    [[nodiscard]] QString askDatabase(QByteArrayView name) const;

    bool m_complete = false;
    bool m_asciiGlobs = true;
    std::vector<Directory> m_directories;
    std::vector<QByteArray> m_typeNames; // sorted, so a lower index sorts first
    QHash<QByteArray, int> m_typeIndex;
    int m_defaultType = -1;
    int m_folderType = -1;

    // Comments, filled on first use.
    std::unique_ptr<std::once_flag[]> m_commentOnce;
    std::unique_ptr<QString[]> m_comments;

    mutable std::mutex m_askedMutex;
    mutable QHash<QByteArray, QString> m_asked; // bounded
    mutable std::atomic<quint64> m_databaseLookups { 0 };
};
