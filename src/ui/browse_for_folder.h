#pragma once

#include <QString>

class QWidget;
class UserDialogs;

// The folder picker: the chosen folder without a trailing separator (the
// root stays "/"), or an empty text when the user cancels or picks
// something that is not a folder. The prompt is shown as the caption; an
// empty root starts the picker at the file system's top.
[[nodiscard]] QString BrowseForFolder(UserDialogs &dialogs, QWidget *owner, const QString &prompt,
                                      const QString &root = {});
