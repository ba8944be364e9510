// The settings tab: saving and applying settings files and the list of
// them under the settings folder.
#include "ui/frm_main.h"

#include "ui/browse_for_folder.h"

#include <QLineEdit>
#include <QStandardItemModel>

void frm_main::cmdsave_Click(int index)
{
    // Saving a settings file lands with the settings file code.
    Q_UNUSED(index)
}

void frm_main::cmdUseSetting_Click()
{
    // Applying the current entry lands with the settings file code.
}

void frm_main::cmdBrowseSettingsPath_Click()
{
    const QString folder = BrowseForFolder(m_dialogs, this, QStringLiteral("gus.sdg"));
    m_ui.txtSettingsPath->setText(folder);
    if (!folder.isEmpty())
        refreshSettingsList();
}

void frm_main::refreshSettingsList()
{
    // Listing the settings files lands with the settings list code.
}

void frm_main::clearCurrentSettingsEntry()
{
    // The current entry lands with the settings list code.
}
