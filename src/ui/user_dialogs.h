#pragma once

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Every question the program puts to the user in a window of its own: the
// open, save, font and folder dialogs and the Yes/No message boxes. The
// window talks to this interface only, so tests answer in place of a person.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // filter: Qt's form, "Description (*.a *.b);;All Files (*)". nullopt on cancel.
    [[nodiscard]] virtual std::optional<QString> openFileName(QWidget *parent, const QString &title,
                                                              const QString &filter,
                                                              const QString &startFile)
        = 0;
    [[nodiscard]] virtual std::optional<QString>
    saveFileName(QWidget *parent, const QString &title, const QString &filter,
                 const QString &startFile, bool confirmOverwrite)
        = 0;
    [[nodiscard]] virtual std::optional<QFont> font(QWidget *parent, const QString &title,
                                                    const QFont &initial)
        = 0;
    // The chosen folder, or an empty text on cancel.
    [[nodiscard]] virtual QString existingDirectory(QWidget *parent, const QString &caption,
                                                    const QString &startFolder)
        = 0;
    // true for Yes.
    [[nodiscard]] virtual bool askYesNo(QWidget *parent, const QString &title,
                                        const QString &question)
        = 0;
    // The same question with "No" as the default button; answered like
    // askYesNo unless a dialog set knows better.
    [[nodiscard]] virtual bool askYesNoDefaultNo(QWidget *parent, const QString &title,
                                                 const QString &question)
    {
        return askYesNo(parent, title, question);
    }
};

// The real dialogs: QFileDialog, QFontDialog, QMessageBox.
class QtUserDialogs final : public UserDialogs
{
public:
    std::optional<QString> openFileName(QWidget *parent, const QString &title,
                                        const QString &filter, const QString &startFile) override;
    std::optional<QString> saveFileName(QWidget *parent, const QString &title,
                                        const QString &filter, const QString &startFile,
                                        bool confirmOverwrite) override;
    std::optional<QFont> font(QWidget *parent, const QString &title, const QFont &initial) override;
    QString existingDirectory(QWidget *parent, const QString &caption,
                              const QString &startFolder) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &question) override;
    bool askYesNoDefaultNo(QWidget *parent, const QString &title, const QString &question) override;
};
