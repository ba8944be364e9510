#pragma once

// Dialog answers for the project's tools that drive the main window without
// a person: the screenshots tool and the window bench.

#include "ui/user_dialogs.h"

#include <QString>

// Answers the folder picker with the demo tree; every other question is
// answered No or cancelled, so nothing waits for a person.
class DemoUserDialogs final : public UserDialogs
{
public:
    explicit DemoUserDialogs(const QString &tree)
        : m_tree(tree)
    { }
    std::optional<QString> openFileName(QWidget *, const QString &, const QString &,
                                        const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget *, const QString &, const QString &,
                                        const QString &, bool) override
    {
        return std::nullopt;
    }
    std::optional<QFont> font(QWidget *, const QString &, const QFont &) override
    {
        return std::nullopt;
    }
    QString existingDirectory(QWidget *, const QString &, const QString &) override
    {
        return m_tree;
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return false; }

private:
    QString m_tree;
};
