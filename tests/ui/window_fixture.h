#pragma once

// Shared pieces of the window tests: scripted dialog answers and a main
// window over a preference store in a temporary folder.

#include "app/preference_store.h"
#include "app/program_state.h"
#include "scan/posix_file_system.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <memory>

// Answers each dialog with the next scripted answer of its kind; with none
// left the user "cancels". Every question is recorded.
class FakeUserDialogs final : public UserDialogs
{
public:
    struct Call
    {
        QString kind; // "open", "save", "font", "folder", "yesno"
        QString title;
        QString filter; // file dialogs: Qt's filter text
        QString start; // file dialogs: start file; folder: start folder
        bool confirmOverwrite = false;
        QFont initialFont;
    };

    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    std::deque<QString> folderAnswers;
    std::deque<bool> yesNoAnswers;
    QList<Call> calls;
    // Runs while the folder picker is "open", before it answers.
    std::function<void()> whileFolderPickerOpen;

    std::optional<QString> openFileName(QWidget *, const QString &title, const QString &filter,
                                        const QString &startFile) override
    {
        calls.append({ QStringLiteral("open"), title, filter, startFile, false, {} });
        return next(fileAnswers, std::optional<QString>());
    }
    std::optional<QString> saveFileName(QWidget *, const QString &title, const QString &filter,
                                        const QString &startFile, bool confirmOverwrite) override
    {
        calls.append({ QStringLiteral("save"), title, filter, startFile, confirmOverwrite, {} });
        return next(fileAnswers, std::optional<QString>());
    }
    std::optional<QFont> font(QWidget *, const QString &title, const QFont &initial) override
    {
        calls.append({ QStringLiteral("font"), title, {}, {}, false, initial });
        return next(fontAnswers, std::optional<QFont>());
    }
    QString existingDirectory(QWidget *, const QString &caption,
                              const QString &startFolder) override
    {
        calls.append({ QStringLiteral("folder"), caption, {}, startFolder, false, {} });
        if (whileFolderPickerOpen)
            whileFolderPickerOpen();
        return next(folderAnswers, QString());
    }
    bool askYesNo(QWidget *, const QString &title, const QString &question) override
    {
        calls.append({ QStringLiteral("yesno"), title, question, {}, false, {} });
        return next(yesNoAnswers, false);
    }

private:
    template<typename T> static T next(std::deque<T> &answers, const T &cancelled)
    {
        if (answers.empty())
            return cancelled;
        const auto popFront = qScopeGuard([&answers] { answers.pop_front(); });
        return answers.front();
    }
};

// The preference store of a test lives in its own temporary folder.
inline void UseTemporaryPreferenceStore(const QTemporaryDir &dir)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

// One run of the program: its state, store, dialogs, file system and main
// window. The program file lives in programDir, so the program folder is
// programDir/. The window reads through fileSystem when one is given.
struct ProgramRun
{
    explicit ProgramRun(const QString &programDir, FileSystem *fileSystem = nullptr)
        : programFile(programDir + QStringLiteral("/quorvel"))
    {
        window = std::make_unique<frm_main>(
            state, store, dialogs, fileSystem ? *fileSystem : posixFileSystem, programFile);
    }

    // Shows the window and waits for its first activation.
    bool showAndActivate()
    {
        window->show();
        return QTest::qWaitForWindowActive(window.get()) && window->restored();
    }

    QString programFile;
    ProgramState state;
    PreferenceStore store;
    FakeUserDialogs dialogs;
    PosixFileSystem posixFileSystem;
    std::unique_ptr<frm_main> window;
};

// The value stored under key by the program's preference store, or "<none>".
inline QString StoredValue(const QString &key)
{
    return PreferenceStore().GetValue(QStringLiteral("Morbanta"), QStringLiteral("kiv"), key,
                                      QStringLiteral("<none>"));
}
