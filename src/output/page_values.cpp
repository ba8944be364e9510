#include "output/page_values.h"

#include "app/first_run_defaults.h"
#include "app/program_state.h"

namespace {

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Characters a font name keeps as they are: none of them ends a CSS
// declaration, a rule, a string or the style element, and none is markup.
bool staysInFontName(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')
        || c == U' ' || c == U'-' || c == U'_' || c == U',' || (c >= 0xA0 && c <= 0xFF);
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// A CSS escape: backslash, the code point in hexadecimal, and the blank that
// ends the escape (so a following hexadecimal digit is not taken into it).
void appendCssEscape(QByteArray &page, char32_t c)
{
    page.append('\\');
    page.append(QByteArray::number(quint32(c), 16).toUpper());
    page.append(' ');
}

using Check = bool (*)(QStringView);

// The options the page holds, in settings-file key order.
struct CheckedOption
{
    QLatin1StringView key;
    QString ProgramState::*field;
    QString PageStyle::*written;
    Check check;
    QLatin1StringView firstRunDefault;
};

const CheckedOption kCheckedOptions[] = {
    { QLatin1StringView("sgBackgroundColor"), &ProgramState::sgBackgroundColor,
      &PageStyle::backgroundColor, PageValues::isColour, FirstRunDefaults::kBackgroundColor },
    { QLatin1StringView("sgGridColor"), &ProgramState::sgGridColor, &PageStyle::gridColor,
      PageValues::isColour, FirstRunDefaults::kGridColor },
    { QLatin1StringView("sgTextColor"), &ProgramState::sgTextColor, &PageStyle::textColor,
      PageValues::isColour, FirstRunDefaults::kTextColor },
    { QLatin1StringView("sgFontSizeFILE"), &ProgramState::sgFontSizeFILE, &PageStyle::fontSizeFILE,
      PageValues::isFontSize, FirstRunDefaults::kFontSizeFILE },
    { QLatin1StringView("sgFontSizeDIR"), &ProgramState::sgFontSizeDIR, &PageStyle::fontSizeDIR,
      PageValues::isFontSize, FirstRunDefaults::kFontSizeDIR },
    { QLatin1StringView("sgDirColor"), &ProgramState::sgDirColor, &PageStyle::dirColor,
      PageValues::isColour, FirstRunDefaults::kDirColor },
    { QLatin1StringView("sgDirFontColor"), &ProgramState::sgDirFontColor, &PageStyle::dirFontColor,
      PageValues::isColour, FirstRunDefaults::kDirFontColor },
    { QLatin1StringView("sgFileColor"), &ProgramState::sgFileColor, &PageStyle::fileColor,
      PageValues::isColour, FirstRunDefaults::kFileColor },
    { QLatin1StringView("sgHeaderColor"), &ProgramState::sgHeaderColor, &PageStyle::headerColor,
      PageValues::isColour, FirstRunDefaults::kHeaderColor },
    { QLatin1StringView("sgHoverColor"), &ProgramState::sgHoverColor, &PageStyle::hoverColor,
      PageValues::isColour, FirstRunDefaults::kHoverColor },
};

} // namespace

namespace PageValues {

bool isColour(QStringView text)
{
    if (text.isEmpty() || text.size() > 6)
        return false;
    for (const QChar c : text) {
        if (!isHexDigit(c.unicode()))
            return false;
    }
    return true;
}

bool isFontSize(QStringView text)
{
    bool digit = false;
    bool separator = false;
    for (const QChar c : text) {
        if (isDigit(c.unicode())) {
            digit = true;
        } else if ((c == u'.' || c == u',') && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    return digit;
}

void appendFontName(QByteArray &page, QStringView font)
{
    for (const char32_t c : font.toUcs4()) {
        if (staysInFontName(c))
            page.append(char(c));
        else if (!isControl(c))
            appendCssEscape(page, c);
    }
}

} // namespace PageValues

PageStyle PageStyleOf(const ProgramState &state)
{
    PageStyle style;
    for (const CheckedOption &option : kCheckedOptions) {
        const QString &value = state.*option.field;
        style.*option.written = option.check(value) ? value : QString(option.firstRunDefault);
    }
    PageValues::appendFontName(style.font, state.sgFont);
    return style;
}

std::vector<ReplacedOption> ReplacedPageOptions(const ProgramState &state)
{
    std::vector<ReplacedOption> replaced;
    for (const CheckedOption &option : kCheckedOptions) {
        const QString &value = state.*option.field;
        if (!option.check(value))
            replaced.push_back({ option.key, value, option.firstRunDefault });
    }
    return replaced;
}
