#include "ui/user_dialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

std::optional<QString> QtUserDialogs::openFileName(QWidget *parent, const QString &title,
                                                   const QString &filter, const QString &startFile)
{
    const QString name = QFileDialog::getOpenFileName(parent, title, startFile, filter);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtUserDialogs::saveFileName(QWidget *parent, const QString &title,
                                                   const QString &filter, const QString &startFile,
                                                   bool confirmOverwrite)
{
    const QFileDialog::Options options
        = confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    const QString name
        = QFileDialog::getSaveFileName(parent, title, startFile, filter, nullptr, options);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QFont> QtUserDialogs::font(QWidget *parent, const QString &title,
                                         const QFont &initial)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent, title);
    if (!ok)
        return std::nullopt;
    return chosen;
}

QString QtUserDialogs::existingDirectory(QWidget *parent, const QString &caption,
                                         const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

bool QtUserDialogs::askYesNo(QWidget *parent, const QString &title, const QString &question)
{
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

bool QtUserDialogs::askYesNoDefaultNo(QWidget *parent, const QString &title,
                                      const QString &question)
{
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}
