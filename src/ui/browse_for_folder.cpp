#include "ui/browse_for_folder.h"

#include "ui/user_dialogs.h"

#include <QDir>
#include <QFileInfo>

QString BrowseForFolder(UserDialogs &dialogs, QWidget *owner, const QString &prompt,
                        const QString &root)
{
    const QString chosen = dialogs.existingDirectory(owner, prompt, root);
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir())
        return {};
    // cleanPath drops a trailing separator but keeps the root "/".
    return QDir::cleanPath(QDir::fromNativeSeparators(chosen));
}
