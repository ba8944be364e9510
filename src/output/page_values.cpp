#include "output/page_values.h"

#include "app/option_table.h"
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

// The options the page checks: colours and font sizes.
bool isChecked(const OptionRow &row)
{
    return row.kind == OptionKind::Colour || row.kind == OptionKind::FontSize;
}

bool holdsValue(const OptionRow &row, QStringView value)
{
    return row.kind == OptionKind::Colour ? PageValues::isColour(value)
                                          : PageValues::isFontSize(value);
}

// The option's value as the page writes it.
QString pageText(const ProgramState &state, QString ProgramState::*field)
{
    const OptionRow &row = *OptionOf(field);
    const QString &value = state.*field;
    return holdsValue(row, value) ? value : QString(FixedFirstRunText(row));
}

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
    style.backgroundColor = pageText(state, &ProgramState::sgBackgroundColor);
    style.gridColor = pageText(state, &ProgramState::sgGridColor);
    style.textColor = pageText(state, &ProgramState::sgTextColor);
    style.dirColor = pageText(state, &ProgramState::sgDirColor);
    style.dirFontColor = pageText(state, &ProgramState::sgDirFontColor);
    style.fileColor = pageText(state, &ProgramState::sgFileColor);
    style.headerColor = pageText(state, &ProgramState::sgHeaderColor);
    style.hoverColor = pageText(state, &ProgramState::sgHoverColor);
    style.fontSizeFILE = pageText(state, &ProgramState::sgFontSizeFILE);
    style.fontSizeDIR = pageText(state, &ProgramState::sgFontSizeDIR);
    PageValues::appendFontName(style.font, state.sgFont);
    return style;
}

std::vector<ReplacedOption> ReplacedPageOptions(const ProgramState &state)
{
    std::vector<ReplacedOption> replaced;
    for (const OptionRow &row : SettingsFileOptions()) {
        if (!isChecked(row))
            continue;
        const QString &value = *TextField(state, row);
        if (!holdsValue(row, value))
            replaced.push_back({ row.key, value, FixedFirstRunText(row) });
    }
    return replaced;
}
