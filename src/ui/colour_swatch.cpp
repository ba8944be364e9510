#include "ui/colour_swatch.h"

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

int leadingHex(QStringView pair)
{
    int value = 0;
    for (const QChar c : pair) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QColor SwatchColour(QStringView text)
{
    const auto pair
        = [&](qsizetype start) { return start < text.size() ? text.mid(start, 2) : QStringView(); };
    return QColor(leadingHex(pair(0)), leadingHex(pair(2)), leadingHex(pair(4)));
}
