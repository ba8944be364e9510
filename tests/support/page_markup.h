#pragma once

// PageMarkup: a page read the way a browser's HTML tokenizer reads it, down
// to what decides whether option values and names stayed values: the tags
// with their attribute names, every place that can run script (script
// elements, "on..." attributes), the style sheet's rules and the links.
// Two pages made from the same list with different option values must have
// the same shape(); a value that broke out of its place changes it.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cctype>
#include <optional>

class PageMarkup
{
public:
    explicit PageMarkup(const QByteArray &page) { read(page); }

    // Tags, attribute names, script places and style rules in page order,
    // with each colour ("#" and 1 to 6 hexadecimal digits) as "#". Empty
    // when the page holds something no written page holds (see problem()).
    [[nodiscard]] const QByteArray &shape() const { return m_shape; }
    // What is wrong with the page, or empty.
    [[nodiscard]] const QString &problem() const { return m_problem; }
    // Every href value, with character references resolved.
    [[nodiscard]] const QList<QString> &links() const { return m_links; }

    // The bytes a link to a file leads to: "file://" taken off, each
    // character beyond ASCII as its UTF-8 bytes, "%XX" decoded. Nothing
    // when a browser would read the link otherwise (a raw "#", "?", "\",
    // control character or blank at the end, or a "%" without two digits).
    [[nodiscard]] static std::optional<QByteArray> filePath(const QString &link)
    {
        if (!link.startsWith(QStringLiteral("file:///")))
            return std::nullopt;
        const QByteArray utf8 = link.mid(7).toUtf8();
        if (utf8.endsWith(' '))
            return std::nullopt;
        QByteArray path;
        for (qsizetype i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            if (c == '#' || c == '?' || c == '\\' || uchar(c) < 0x20 || c == 0x7F)
                return std::nullopt;
            if (c != '%') {
                path += c;
                continue;
            }
            const int high = i + 2 < utf8.size() ? hexValue(utf8[i + 1]) : -1;
            const int low = i + 2 < utf8.size() ? hexValue(utf8[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            path += char(high * 16 + low);
            i += 2;
        }
        return path;
    }

private:
    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
    }
    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void fail(const QString &problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
    }

    // An attribute value as the browser hands it on: the page's bytes as
    // windows-1252 (no written byte is in 80..9F, so as Latin-1) with the
    // references resolved.
    QString decode(const QByteArray &value)
    {
        QString text;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] != '&') {
                text += QLatin1Char(value[i]);
                continue;
            }
            const qsizetype end = value.indexOf(';', i);
            const QByteArray name = end < 0 ? QByteArray() : value.mid(i + 1, end - i - 1);
            if (name == "amp")
                text += u'&';
            else if (name == "lt")
                text += u'<';
            else if (name == "gt")
                text += u'>';
            else if (name == "quot")
                text += u'"';
            else if (name.startsWith('#') && name.size() > 1) {
                bool ok = false;
                const uint code = name.mid(1).toUInt(&ok);
                if (!ok || code > 0x10FFFF || (code >= 0x80 && code <= 0x9F)) {
                    fail(QStringLiteral("a reference a browser reads otherwise: &")
                         + QString::fromLatin1(name));
                    return text;
                }
                const char32_t c = code;
                text += QString::fromUcs4(&c, 1);
            } else {
                fail(QStringLiteral("an unknown reference: &") + QString::fromLatin1(name));
                return text;
            }
            i = end;
        }
        return text;
    }

    // A value that may hold colours: each "#" must be followed by 1 to 6
    // hexadecimal digits and then the value's end or a separator; the
    // digits become nothing.
    QByteArray withoutColours(const QByteArray &value)
    {
        QByteArray out;
        for (qsizetype i = 0; i < value.size(); ++i) {
            out += value[i];
            if (value[i] != '#')
                continue;
            qsizetype digits = 0;
            while (i + 1 + digits < value.size() && hexValue(value[i + 1 + digits]) >= 0)
                ++digits;
            const qsizetype after = i + 1 + digits;
            const bool ends = after == value.size() || value[after] == '\'' || value[after] == ';'
                || isSpace(value[after]);
            if (digits < 1 || digits > 6 || !ends)
                fail(QStringLiteral("a colour that is not 1 to 6 hexadecimal digits: ")
                     + QString::fromLatin1(value.mid(i, 12)));
            i += digits;
        }
        return out;
    }

    // CSS (a style element or attribute) as "selector{property:;...}" with
    // the values left out, after checking that no value calls a function
    // and every colour is hexadecimal.
    QByteArray cssShape(const QByteArray &css)
    {
        for (const char c : { '(', '<', '>', '"', '\'', '@' }) {
            if (css.contains(c))
                fail(QStringLiteral("CSS holds '%1': ").arg(QChar::fromLatin1(c))
                     + QString::fromLatin1(css.left(200)));
        }
        QByteArray shape;
        QByteArray part;
        const auto declaration = [&] {
            const QByteArray text = part.trimmed();
            part.clear();
            if (text.isEmpty())
                return;
            const qsizetype colon = text.indexOf(':');
            withoutColours(text.mid(colon + 1));
            shape += (colon < 0 ? text : text.left(colon).trimmed()) + ":;";
        };
        for (qsizetype i = 0; i < css.size(); ++i) {
            const char c = css[i];
            if (c == '\\') {
                // An escape: hexadecimal digits and one blank, or one character.
                part += css.mid(i, 2);
                ++i;
                continue;
            }
            if (c == '{') {
                shape += part.trimmed() + '{';
                part.clear();
            } else if (c == ';') {
                declaration();
            } else if (c == '}') {
                declaration();
                shape += '}';
            } else {
                part += c;
            }
        }
        declaration();
        return shape;
    }

    // The raw text of a script or style element: up to "</name".
    qsizetype rawTextEnd(const QByteArray &page, qsizetype from, const QByteArray &name)
    {
        for (qsizetype at = page.indexOf("</", from); at >= 0; at = page.indexOf("</", at + 1)) {
            const qsizetype after = at + 2 + name.size();
            if (page.mid(at + 2, name.size()).toLower() == name
                && (after >= page.size() || isSpace(page[after]) || page[after] == '/'
                    || page[after] == '>'))
                return at;
        }
        return page.size();
    }

    void read(const QByteArray &page)
    {
        for (const char c : page) {
            if (uchar(c) >= 0x80 && uchar(c) <= 0x9F)
                fail(QStringLiteral("a raw byte 80..9F, read as windows-1252"));
            if (c == '\n' || c == '\r')
                fail(QStringLiteral("a line break"));
        }
        qsizetype i = 0;
        const qsizetype size = page.size();
        while (i < size) {
            const qsizetype open = page.indexOf('<', i);
            if (open < 0 || open + 1 >= size)
                break;
            const char next = page[open + 1];
            if (next == '!') {
                const qsizetype close = page.indexOf('>', open);
                m_shape += page.mid(open, close < 0 ? size - open : close - open + 1);
                i = close < 0 ? size : close + 1;
                continue;
            }
            if (next == '/' && open + 2 < size && isLetter(page[open + 2])) {
                const qsizetype close = page.indexOf('>', open);
                m_shape += page.mid(open, close < 0 ? size - open : close - open + 1).toLower();
                i = close < 0 ? size : close + 1;
                continue;
            }
            if (!isLetter(next)) {
                i = open + 1; // a "<" in text
                continue;
            }
            // A start tag: its name, then its attributes.
            i = open + 1;
            QByteArray name;
            while (i < size && !isSpace(page[i]) && page[i] != '/' && page[i] != '>')
                name += char(std::tolower(uchar(page[i++])));
            m_shape += '<' + name;
            while (true) {
                while (i < size && (isSpace(page[i]) || page[i] == '/'))
                    ++i;
                if (i >= size || page[i] == '>')
                    break;
                QByteArray attribute(1, page[i++]);
                while (i < size && !isSpace(page[i]) && page[i] != '/' && page[i] != '>'
                       && page[i] != '=')
                    attribute += page[i++];
                attribute = attribute.toLower();
                while (i < size && isSpace(page[i]))
                    ++i;
                QByteArray value;
                if (i < size && page[i] == '=') {
                    ++i;
                    while (i < size && isSpace(page[i]))
                        ++i;
                    if (i < size && (page[i] == '"' || page[i] == '\'')) {
                        const char quote = page[i];
                        const qsizetype close = page.indexOf(quote, i + 1);
                        const qsizetype end = close < 0 ? size : close;
                        value = page.mid(i + 1, end - i - 1);
                        i = end + 1;
                    } else {
                        while (i < size && !isSpace(page[i]) && page[i] != '>')
                            value += page[i++];
                    }
                }
                m_shape += ' ' + attribute;
                const QString decoded = decode(value);
                if (attribute.startsWith("on"))
                    m_shape += "=[" + withoutColours(decoded.toLatin1()) + ']';
                else if (attribute == "style")
                    m_shape += "=[" + cssShape(decoded.toLatin1()) + ']';
                else if (attribute == "bgcolor")
                    withoutColours(decoded.toLatin1());
                else if (attribute == "href")
                    m_links << decoded;
            }
            m_shape += '>';
            i = i < size ? i + 1 : size;
            if (name == "script" || name == "style" || name == "title") {
                const qsizetype end = rawTextEnd(page, i, name);
                const QByteArray text = page.mid(i, end - i);
                if (name == "script")
                    m_shape += text;
                else if (name == "style")
                    m_shape += cssShape(text);
                i = end;
            }
        }
        if (!m_problem.isEmpty())
            m_shape.clear();
    }

    QByteArray m_shape;
    QString m_problem;
    QList<QString> m_links;
};
