#pragma once

#include <QFont>
#include <QLocale>
#include <QString>

class QWidget;
class UserDialogs;

// The one open/save/font dialog instance the main window holds (cmd_Dialog).
// It remembers its filter, its last file and its last font between uses, so
// a dialog opens on what it held the last time; callers set no start value.
class CommonDialog
{
public:
    enum class Kind { ShowOpen, ShowSave, ShowFont };
    // Dialog flags as the callers pass them: for a file dialog, 1 ticks the
    // read-only box (not offered here) and 2 asks before overwriting; for
    // the font dialog they choose screen and printer fonts (all fonts here).
    static constexpr qint32 kReadOnly = 1;
    static constexpr qint32 kOverwritePrompt = 2;

    explicit CommonDialog(UserDialogs &dialogs);

    // Shows the dialog. true when the user confirmed it: fileName receives
    // the file or font name, fontSize the font's size in points as text in
    // locale ("8,25" under German). On cancel both are left untouched.
    // filterText holds description|pattern pairs ("Text (*.txt)|*.txt");
    // without setFilter the filter of the last use stays.
    bool show(QWidget *parent, bool setFilter, const QString &filterText, const QString &title,
              qint32 flags, Kind kind, QString &fileName, QString &fontSize,
              const QLocale &locale = QLocale());

    [[nodiscard]] QString filter() const { return m_filter; }

    // "Animation-Files (*.avi)|*.avi|All Files (*.*)|*.*" in Qt's form:
    // "Animation-Files (*.avi);;All Files (*)". "*.*" means every file.
    [[nodiscard]] static QString QtFilter(const QString &filterText);
    // A font size as a single-precision number in locale: 8 -> "8", 8.25 ->
    // "8,25" (German), never with digit grouping.
    [[nodiscard]] static QString FontSizeText(double points, const QLocale &locale);

private:
    UserDialogs &m_dialogs;
    QString m_filter;
    QString m_fileName;
    QFont m_font;
};
