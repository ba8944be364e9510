#pragma once

#include "core/regular_file.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Settings files are INI text: "[section]" lines open a section, "key=value"
// lines inside it hold the values. Section and key names match without
// regard to letter case; blanks around names and values do not count; lines
// starting with ";" or "#" are comments; a line that is neither a section
// nor holds "=" is kept and ignored. When the same key (or section) appears
// twice, the first one counts, for reading and for writing. Quotes around a
// value are part of it (the program writes none and strips none).
//
// A new file is written as UTF-8 with CR LF line ends. A file that is not
// valid UTF-8 comes from an older writer and is read as Latin-1; LF and CR
// LF line ends are both read.
//
// IniDocument holds the lines of one file. Changing a value rewrites only
// that key's line; every other line (comments, blank lines, other sections
// and keys) comes out exactly as it went in, byte for byte: a file keeps
// its encoding (UTF-8 with or without a byte-order mark, or Latin-1). Only
// when a value cannot be written in Latin-1 does such a file become UTF-8
// as a whole, so that every line still reads back as the same text.
class IniDocument
{
public:
    IniDocument() = default;

    // Any bytes are accepted; nothing in them can fail the parse.
    [[nodiscard]] static IniDocument fromBytes(const QByteArray &bytes);
    [[nodiscard]] QByteArray toBytes() const;

    // The value with the blanks around it removed, without length limit;
    // nullopt when the section or the key is missing.
    [[nodiscard]] std::optional<QString> value(const QString &section, const QString &key) const;

    // Replaces the key's value in place, or adds the key at the end of its
    // section, or adds the section (with the key) at the end of the
    // document. Line breaks inside the value are written as blanks, so a
    // value can never start a new line, section or key. Empty section or
    // key names, and names that could not be read back (a section holding
    // "]" or a key holding "="), are refused with false.
    bool setValue(const QString &section, const QString &key, const QString &value);

private:
    // Where a walk over the lines found a section and a key.
    struct Location;
    [[nodiscard]] Location locate(QStringView section, QStringView key) const;

    // The whole text, decoded; lines are found when needed, so a file of a
    // million lines costs no more than its text.
    QString m_text;
    bool m_utf8Bom = false;
    bool m_latin1 = false;
};

// The profile functions of the program, on files.
namespace IniFile {

// A read returns at most this many characters of a value (the blanks
// around the value are removed first).
inline constexpr qsizetype kValueLimit = 249;
// Settings files are small; anything larger is not one and is neither read
// nor rewritten.
inline constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

// The document of a regular file, or nullopt when the file is missing, is
// not a regular file (a folder, a device, a pipe), cannot be read, or is
// larger than kMaxFileBytes. Never blocks on a pipe.
[[nodiscard]] std::optional<IniDocument> load(const QString &path);
// The same for a path in file-system bytes (a name that is not valid UTF-8
// is still reached).
[[nodiscard]] std::optional<IniDocument> load(const QByteArray &nativePath);

// Writes the whole document as RegularFile::write does: atomically, or in
// place when the folder takes no new files; a failed write leaves the old
// file as it was.
[[nodiscard]] RegularFile::WriteResult save(const IniDocument &document, const QString &path);

// Reads the file (a missing one is an empty document), lets change() set
// its values and saves it. Nothing is written when the path exists (or is a
// link) but cannot be read as a settings file, or when change() returns
// false.
[[nodiscard]] RegularFile::WriteResult update(const QString &path,
                                              const std::function<bool(IniDocument &)> &change);

// The read profile function: the key's value cut to kValueLimit
// characters, or defaultText when the file, the section or the key is
// missing or the file cannot be read.
[[nodiscard]] QString read(const QString &section, const QString &key, const QString &path,
                           const QString &defaultText = {});
[[nodiscard]] QString read(const IniDocument &document, const QString &section, const QString &key,
                           const QString &defaultText = {});

// The write profile function: creates the file, the section or the key line
// when missing and otherwise replaces the key's value in place; every other
// line stays. False, with nothing written, when an existing file cannot be
// read or the file cannot be written.
bool write(const QString &section, const QString &key, const QString &value, const QString &path);

} // namespace IniFile
