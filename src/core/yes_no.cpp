#include "core/yes_no.h"

#include <QLocale>

std::optional<bool> ParseYesNo(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    double number = QLocale::c().toDouble(word, &isNumber);
    if (!isNumber)
        number = QLocale().toDouble(word, &isNumber);
    if (!isNumber)
        return std::nullopt;
    return number != 0.0;
}
