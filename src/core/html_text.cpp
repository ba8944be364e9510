#include "core/html_text.h"

#include <array>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Bytes that cannot be copied to the page as they are.
constexpr std::array<bool, 256> makeSpecialBytes()
{
    std::array<bool, 256> special {};
    for (int b = 0x80; b < 256; ++b)
        special[size_t(b)] = true;
    for (const char c : { '&', '<', '>', '"', '\'', '\t', '\n', '\r' })
        special[size_t(c)] = true;
    return special;
}
constexpr std::array<bool, 256> kSpecialBytes = makeSpecialBytes();

// A C1 control character (U+0080 to U+009F): a browser reads the page as
// windows-1252, which shows these bytes as other characters, and it maps
// their numeric references the same way.
constexpr bool isC1(char32_t c)
{
    return c >= 0x80 && c <= 0x9F;
}

// Latin-1 characters (of a QString) that cannot be copied as their byte.
constexpr std::array<bool, 256> makeSpecialLatin1()
{
    std::array<bool, 256> special {};
    for (const char c : { '&', '<', '>', '"', '\'', '\t', '\n', '\r' })
        special[size_t(c)] = true;
    for (char32_t c = 0x80; c <= 0x9F; ++c)
        special[size_t(c)] = true;
    return special;
}
constexpr std::array<bool, 256> kSpecialLatin1 = makeSpecialLatin1();

void appendNumber(QByteArray &page, quint32 value)
{
    char digits[10];
    int length = 0;
    do {
        digits[length++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (length > 0)
        page.append(digits[--length]);
}

void appendReference(QByteArray &page, char32_t c)
{
    page.append("&#", 2);
    appendNumber(page, quint32(c));
    page.append(';');
}

void appendCodePoint(QByteArray &page, char32_t c)
{
    switch (c) {
    case U'&':
        page.append("&amp;", 5);
        return;
    case U'<':
        page.append("&lt;", 4);
        return;
    case U'>':
        page.append("&gt;", 4);
        return;
    case U'"':
        page.append("&quot;", 6);
        return;
    case U'\'':
        page.append("&#39;", 5);
        return;
    case U'\t':
    case U'\n':
    case U'\r':
        appendReference(page, c);
        return;
    default:
        break;
    }
    if (isC1(c))
        appendReference(page, kReplacement);
    else if (c < 0x100)
        page.append(char(c));
    else
        appendReference(page, c);
}

// Decodes one UTF-8 sequence at data[i]; returns the code point and its
// length, or nothing (length 0) when the byte there does not start a valid
// sequence.
struct Decoded
{
    char32_t c = 0;
    qsizetype length = 0;
};

Decoded decodeUtf8(const unsigned char *data, qsizetype size, qsizetype i)
{
    const unsigned char lead = data[i];
    if (lead < 0x80)
        return { lead, 1 };
    qsizetype length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (i + length > size)
        return {};
    for (qsizetype k = 1; k < length; ++k) {
        const unsigned char next = data[i + k];
        if ((next & 0xC0) != 0x80)
            return {};
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return {};
    return { c, length };
}

void appendPercent(QByteArray &page, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    page.append('%');
    page.append(kHex[byte >> 4]);
    page.append(kHex[byte & 0xF]);
}

} // namespace

namespace HtmlText {

void appendText(QByteArray &page, QStringView text)
{
    const qsizetype size = text.size();
    const char16_t *data = text.utf16();
    qsizetype i = 0;
    while (i < size) {
        // Copy the run of plain Latin-1 characters in one step.
        qsizetype run = i;
        while (run < size && data[run] < 0x100 && !kSpecialLatin1[data[run]])
            ++run;
        if (run > i) {
            const qsizetype start = page.size();
            page.resize(start + (run - i));
            char *out = page.data() + start;
            for (qsizetype k = i; k < run; ++k)
                *out++ = char(data[k]);
            i = run;
            if (i == size)
                break;
        }
        const char16_t unit = data[i];
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(data[i + 1])) {
            c = QChar::surrogateToUcs4(unit, data[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            c = kReplacement;
        }
        appendCodePoint(page, c);
        ++i;
    }
}

void appendUtf8(QByteArray &page, QByteArrayView utf8)
{
    const auto *data = reinterpret_cast<const unsigned char *>(utf8.data());
    const qsizetype size = utf8.size();
    qsizetype i = 0;
    while (i < size) {
        // Copy the run of plain bytes in one step.
        qsizetype run = i;
        while (run < size && !kSpecialBytes[data[run]])
            ++run;
        if (run > i) {
            page.append(utf8.data() + i, run - i);
            i = run;
            if (i == size)
                break;
        }
        const Decoded decoded = decodeUtf8(data, size, i);
        if (decoded.length == 0) {
            appendCodePoint(page, kReplacement);
            ++i;
        } else {
            appendCodePoint(page, decoded.c);
            i += decoded.length;
        }
    }
}

void appendFileUrl(QByteArray &page, QByteArrayView pathUtf8)
{
    page.append("file://", 7);
    appendUrlPath(page, pathUtf8);
}

void appendUrlPath(QByteArray &page, QByteArrayView pathUtf8)
{
    const auto *data = reinterpret_cast<const unsigned char *>(pathUtf8.data());
    const qsizetype size = pathUtf8.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char byte = data[i];
        if (byte < 0x80) {
            const bool lastBlank = byte == ' ' && i == size - 1;
            if (byte == '%' || byte == '#' || byte == '?' || byte == '\\' || byte < 0x20
                || byte == 0x7F || lastBlank)
                appendPercent(page, byte);
            else
                appendCodePoint(page, byte);
            ++i;
            continue;
        }
        const Decoded decoded = decodeUtf8(data, size, i);
        if (decoded.length == 0) {
            appendPercent(page, byte);
            ++i;
        } else if (isC1(decoded.c)) {
            for (qsizetype k = 0; k < decoded.length; ++k)
                appendPercent(page, data[i + k]);
            i += decoded.length;
        } else {
            appendCodePoint(page, decoded.c);
            i += decoded.length;
        }
    }
}

QByteArray text(QStringView text)
{
    QByteArray page;
    appendText(page, text);
    return page;
}

QByteArray utf8(QByteArrayView bytes)
{
    QByteArray page;
    appendUtf8(page, bytes);
    return page;
}

QByteArray fileUrl(QByteArrayView pathUtf8)
{
    QByteArray page;
    appendFileUrl(page, pathUtf8);
    return page;
}

} // namespace HtmlText
