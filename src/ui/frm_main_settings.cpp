// The settings tab: saving and applying settings files and the list of
// them under the settings folder.
#include "ui/frm_main.h"

#include "app/program_state.h"
#include "app/settings_file.h"
#include "app/settings_list.h"
#include "ui/browse_for_folder.h"
#include "ui/long_command.h"
#include "ui/status_line.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTreeView>

namespace {
// How often a long command lets the window repaint and take clicks.
constexpr qint64 kEventIntervalMs = 15;
} // namespace

void frm_main::letEventsRun()
{
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void frm_main::connectSettingsList()
{
    m_ui.lstsettings->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui.lstsettings->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(m_ui.lstsettings, &QTreeView::clicked, this,
            [this](const QModelIndex &index) { lstsettings_Click(index.row()); });
    connect(m_ui.lstsettings, &QTreeView::doubleClicked, this, &frm_main::lstsettings_DblClick);
}

void frm_main::cmdsave_Click(int index)
{
    if (index == 1 || index == 2) {
        m_ui.tabData->setCurrentIndex(kTabSettings);
        repaint();
    }
    QString fileName;
    QString fontSize;
    if (!ShowCommonDialog(true, kSaveDialogFilter, kSaveDialogTitle,
                          CommonDialog::kReadOnly | CommonDialog::kOverwritePrompt,
                          CommonDialog::Kind::ShowSave, fileName, fontSize))
        return;
    const RegularFile::WriteResult saved = SaveSettingsFile(m_state, *this, fileName);
    if (!saved.ok)
        m_ui.lblNewFile->setText(FailureStatusText(u"Settings not saved", fileName, saved.reason));
}

void frm_main::cmdUseSetting_Click()
{
    ApplyCurrentSettingsEntry(*m_settingsList, m_state, *this, QLocale());
}

void frm_main::cmdBrowseSettingsPath_Click()
{
    if (!m_longCommands.admits(u"Settings folder not chosen"))
        return;
    SettingsPathChosen(*this, BrowseForFolder(m_dialogs, this, QStringLiteral("gus.sdg")));
}

void frm_main::lstsettings_Click(int row)
{
    m_settingsList->setCurrentEntry(row);
}

void frm_main::lstsettings_DblClick()
{
    if (m_settingsList->currentEntry())
        cmdUseSetting_Click();
}

void frm_main::refreshSettingsList()
{
    // The listing is a long command: not while another one runs.
    const LongCommand command(m_longCommands, LongCommandKind::SettingsListing);
    if (!command.started())
        return;
    RefreshSettingsList(
        *m_settingsList, m_state, *this, m_fileSystem, [this] { letEventsRun(); }, QLocale());
    m_ui.lstsettings->clearSelection();
}

void frm_main::clearCurrentSettingsEntry()
{
    m_settingsList->clearCurrentEntry();
    m_ui.lstsettings->clearSelection();
}
