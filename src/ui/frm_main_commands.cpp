// The commands behind the main window's buttons: search, re-read, copy,
// generate, open in browser, info, cancel and exit.
#include "ui/frm_main.h"

#include "app/program_state.h"
#include "ui/zfrm_info.h"

void frm_main::cmdsearch_Click() { }

void frm_main::cmdRefresh_Click() { }

void frm_main::cmdReadFolderAgain_Click() { }

void frm_main::cmdcopy_Click() { }

void frm_main::cmdMach_Click(int index)
{
    Q_UNUSED(index)
}

void frm_main::cmdBrowser_Click(int index)
{
    Q_UNUSED(index)
}

void frm_main::cmdInfo_Click()
{
    ShowInfoWindow(m_info, m_state, this);
}

void frm_main::cmdCancel_Click(int index)
{
    // Every cancel button does the same: the running command stops at its next step.
    Q_UNUSED(index)
    m_state.bgCancel = true;
}

void frm_main::cmdexit_Click()
{
    close();
}
