#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

struct ProgramState;

// What an option may put into the page. Settings files are handed from
// person to person, so no option value may reach the page's script, markup
// or style sheet as code: a colour or a font size the page cannot hold is
// written as the option's first-run default instead, and a font name is
// written in CSS's own escapes.
namespace PageValues {

// A colour as the page writes it after "#": 1 to 6 hexadecimal digits.
[[nodiscard]] bool isColour(QStringView text);
// A font size as the page writes it before "pt": decimal digits with at
// most one decimal separator, "." or "," ("8", "8.25", "8,25").
[[nodiscard]] bool isFontSize(QStringView text);
// Appends a font name in a form that is the same CSS in the style element
// and in a style attribute: letters, digits, blanks, "-", "_", "," and
// Latin-1 letters stay as they are; other characters become CSS escapes
// ("Q&A" is "Q\26 A", 日 is "\65E5 "); control characters are dropped.
// The bytes hold nothing that HTML would read as markup.
void appendFontName(QByteArray &page, QStringView font);

} // namespace PageValues

// The option texts the page holds, each checked as its kind requires.
struct PageStyle
{
    QString backgroundColor;
    QString gridColor;
    QString textColor;
    QString dirColor;
    QString dirFontColor;
    QString fileColor;
    QString headerColor;
    QString hoverColor;
    QString fontSizeFILE;
    QString fontSizeDIR;
    QByteArray font; // page bytes, see PageValues::appendFontName
};

[[nodiscard]] PageStyle PageStyleOf(const ProgramState &state);

// An option that the page writes as its first-run default.
struct ReplacedOption
{
    QString key; // the settings key, e.g. "sgHoverColor"
    QString value; // the value the option holds
    QString written; // what the page holds instead
};

// The colours and font sizes of state that PageStyleOf replaces, in
// settings-file key order.
[[nodiscard]] std::vector<ReplacedOption> ReplacedPageOptions(const ProgramState &state);
