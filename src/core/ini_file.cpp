#include "core/ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QLatin1StringView kCrLf("\r\n");
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// What one line of the file is to the reader.
struct LineMeaning
{
    enum Kind { Other, Section, Key } kind = Other;
    QStringView name; // section or key name, blanks removed
    qsizetype valueStart = 0; // Key: index of the first character after "="
};

LineMeaning meaningOf(QStringView line)
{
    const QStringView body = trimBlanks(line);
    if (body.isEmpty() || body.front() == u';' || body.front() == u'#')
        return {};
    if (body.front() == u'[') {
        const qsizetype close = body.indexOf(u']');
        if (close > 0)
            return { LineMeaning::Section, trimBlanks(body.sliced(1, close - 1)), 0 };
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return {};
    return { LineMeaning::Key, trimBlanks(line.first(equals)), equals + 1 };
}

// At most `limit` characters, never splitting a character outside the
// basic plane.
QString firstCharacters(const QString &text, qsizetype limit)
{
    qsizetype units = 0;
    for (qsizetype count = 0; count < limit && units < text.size(); ++count) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size()
            && text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.first(units);
}

} // namespace

struct IniDocument::Location
{
    bool sectionFound = false;
    // The first line of the first matching section holding the key.
    qsizetype keyLine = -1; // offset of the line
    qsizetype keyLineEnd = -1; // offset after its text, before the line end
    qsizetype keyLineNext = -1; // offset of the next line
    qsizetype valueStart = -1;
    // Where a new key line goes: after the section's last non-blank line.
    qsizetype insertAt = -1;
    bool insertNeedsBreak = false; // that line is the last one and has no line end
};

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument document;
    QByteArrayView content(bytes);
    if (content.startsWith(kUtf8Bom)) {
        document.m_utf8Bom = true;
        content = content.sliced(3);
    }
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless
                               | QStringDecoder::Flag::ConvertInitialBom);
    document.m_text = decoder(content);
    if (decoder.hasError()) {
        document.m_utf8Bom = false;
        document.m_latin1 = true;
        document.m_text = QString::fromLatin1(bytes);
    }
    return document;
}

QByteArray IniDocument::toBytes() const
{
    if (m_latin1) {
        // The older file stays Latin-1, so its untouched lines keep their
        // bytes, as long as that still reads back as the same text: every
        // character fits, and the bytes do not happen to be valid UTF-8.
        const bool fits = std::all_of(m_text.cbegin(), m_text.cend(),
                                      [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits) {
            QByteArray bytes = m_text.toLatin1();
            if (fromBytes(bytes).m_text == m_text)
                return bytes;
        }
    }
    QByteArray bytes = m_utf8Bom ? QByteArray(kUtf8Bom) : QByteArray();
    return bytes + m_text.toUtf8();
}

IniDocument::Location IniDocument::locate(QStringView section, QStringView key) const
{
    Location found;
    bool inSection = false;
    const qsizetype size = m_text.size();
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype newline = m_text.indexOf(u'\n', pos);
        const qsizetype lineEnd = newline < 0 ? size : newline;
        const qsizetype textEnd
            = newline > pos && m_text[newline - 1] == u'\r' ? newline - 1 : lineEnd;
        const qsizetype next = newline < 0 ? size : newline + 1;
        const QStringView line = QStringView(m_text).sliced(pos, textEnd - pos);
        const LineMeaning meaning = meaningOf(line);

        if (meaning.kind == LineMeaning::Section) {
            if (inSection)
                break; // only the first section of that name counts
            if (sameName(meaning.name, section)) {
                found.sectionFound = inSection = true;
                found.insertAt = next;
                found.insertNeedsBreak = newline < 0;
            }
        } else if (inSection) {
            if (meaning.kind == LineMeaning::Key && sameName(meaning.name, key)) {
                found.keyLine = pos;
                found.keyLineEnd = textEnd;
                found.keyLineNext = next;
                found.valueStart = pos + meaning.valueStart;
                break;
            }
            if (!trimBlanks(line).isEmpty()) {
                found.insertAt = next;
                found.insertNeedsBreak = newline < 0;
            }
        }
        pos = next;
    }
    return found;
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Location found = locate(section, key);
    if (found.keyLine < 0)
        return std::nullopt;
    return trimBlanks(
               QStringView(m_text).sliced(found.valueStart, found.keyLineEnd - found.valueStart))
        .toString();
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    const auto breaks
        = [](QStringView name) { return name.contains(u'\n') || name.contains(u'\r'); };
    if (sectionName.isEmpty() || keyName.isEmpty() || sectionName.contains(u']')
        || breaks(sectionName) || keyName.contains(u'=') || breaks(keyName)
        || keyName.front() == u';' || keyName.front() == u'#' || keyName.front() == u'[')
        return false;

    QString safeValue = value;
    safeValue.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString keyLine = keyName.toString() + u'=' + safeValue + kCrLf;

    const Location found = locate(sectionName, keyName);
    if (found.keyLine >= 0) {
        // Keep the key as the file spells it, and the blanks after "=".
        qsizetype start = found.valueStart;
        while (start < found.keyLineEnd && (m_text[start] == u' ' || m_text[start] == u'\t'))
            ++start;
        m_text.replace(start, found.keyLineNext - start, safeValue + kCrLf);
        return true;
    }
    if (found.sectionFound) {
        m_text.insert(found.insertAt, found.insertNeedsBreak ? kCrLf + keyLine : keyLine);
        return true;
    }

    QString added;
    if (!m_text.isEmpty()) {
        QStringView lastLine(m_text);
        if (m_text.endsWith(u'\n'))
            lastLine.chop(1);
        else
            added += kCrLf;
        lastLine = lastLine.sliced(lastLine.lastIndexOf(u'\n') + 1);
        if (!trimBlanks(lastLine).isEmpty())
            added += kCrLf; // a blank line between sections
    }
    m_text += added + u'[' + sectionName + u']' + kCrLf + keyLine;
    return true;
}

namespace IniFile {

std::optional<IniDocument> load(const QString &path)
{
    return load(QFile::encodeName(path));
}

std::optional<IniDocument> load(const QByteArray &nativePath)
{
    const RegularFile::ReadResult file = RegularFile::read(nativePath, kMaxFileBytes);
    if (!file.bytes)
        return std::nullopt;
    return IniDocument::fromBytes(*file.bytes);
}

RegularFile::WriteResult save(const IniDocument &document, const QString &path)
{
    return RegularFile::write(path, document.toBytes());
}

RegularFile::WriteResult update(const QString &path,
                                const std::function<bool(IniDocument &)> &change)
{
    IniDocument document;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        // Never replace what could not be read.
        const RegularFile::ReadResult file
            = RegularFile::read(QFile::encodeName(path), kMaxFileBytes);
        if (!file.bytes)
            return { false, file.reason };
        document = IniDocument::fromBytes(*file.bytes);
    }
    if (!change(document))
        return { false, QStringLiteral("a name that cannot be written") };
    return save(document, path);
}

QString read(const IniDocument &document, const QString &section, const QString &key,
             const QString &defaultText)
{
    const auto value = document.value(section, key);
    return firstCharacters(value ? *value : defaultText, kValueLimit);
}

QString read(const QString &section, const QString &key, const QString &path,
             const QString &defaultText)
{
    const auto document = load(path);
    return document ? read(*document, section, key, defaultText)
                    : firstCharacters(defaultText, kValueLimit);
}

bool write(const QString &section, const QString &key, const QString &value, const QString &path)
{
    return update(path,
                  [&](IniDocument &document) { return document.setValue(section, key, value); })
        .ok;
}

} // namespace IniFile
