#include "ui/common_dialog.h"

#include "ui/user_dialogs.h"

#include <QStringList>

CommonDialog::CommonDialog(UserDialogs &dialogs)
    : m_dialogs(dialogs)
{ }

QString CommonDialog::QtFilter(const QString &filterText)
{
    const QStringList parts = filterText.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        QStringList qtPatterns;
        for (const QString &pattern : patterns) {
            // Qt matches "*.*" only against names with a dot; here it means all.
            const QString trimmed = pattern.trimmed();
            qtPatterns << (trimmed == u"*.*" ? QStringLiteral("*") : trimmed);
        }
        // Qt reads the patterns from the parentheses at the end of the entry,
        // so a description that already shows them gets them in Qt's form.
        const QString shown = u'(' + patterns.join(u';') + u')';
        QString entry = description.trimmed();
        if (entry.endsWith(shown))
            entry.chop(shown.size());
        else
            entry += u' ';
        entries << entry + u'(' + qtPatterns.join(u' ') + u')';
    }
    return entries.join(QStringLiteral(";;"));
}

QString CommonDialog::FontSizeText(double points, const QLocale &locale)
{
    QLocale numbers = locale;
    numbers.setNumberOptions(numbers.numberOptions() | QLocale::OmitGroupSeparator);
    // A single-precision size has about seven significant digits; showing
    // more would print the float's binary noise (8.1 as 8.10000038).
    return numbers.toString(double(float(points)), 'g', 7);
}

bool CommonDialog::show(QWidget *parent, bool setFilter, const QString &filterText,
                        const QString &title, qint32 flags, Kind kind, QString &fileName,
                        QString &fontSize, const QLocale &locale)
{
    if (setFilter)
        m_filter = QtFilter(filterText);

    switch (kind) {
    case Kind::ShowOpen: {
        const auto chosen = m_dialogs.openFileName(parent, title, m_filter, m_fileName);
        if (!chosen)
            return false;
        m_fileName = *chosen;
        fileName = *chosen;
        return true;
    }
    case Kind::ShowSave: {
        const auto chosen = m_dialogs.saveFileName(parent, title, m_filter, m_fileName,
                                                   (flags & kOverwritePrompt) != 0);
        if (!chosen)
            return false;
        m_fileName = *chosen;
        fileName = *chosen;
        return true;
    }
    case Kind::ShowFont: {
        const auto chosen = m_dialogs.font(parent, title, m_font);
        if (!chosen)
            return false;
        m_font = *chosen;
        fileName = chosen->family();
        fontSize = FontSizeText(chosen->pointSizeF(), locale);
        return true;
    }
    }
    return false;
}
