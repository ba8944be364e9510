// The animation group of the "search options" tab: the clip played while
// a folder is searched, its default, its file dialog and its test play.
#include "ui/frm_main.h"

#include "app/last_options.h"
#include "app/program_state.h"

#include <QLineEdit>

void frm_main::txtAnimation_Change()
{
    m_state.sgAnimation = m_ui.txtAnimation->text();
}

void frm_main::cmdAviDeafult_Click()
{
    // The box's change handler writes sgAnimation.
    m_ui.txtAnimation->setText(DefaultAnimationPath(m_state.programFolder));
}

void frm_main::cmdBrowseForAni_Click()
{
    QString fileName = m_state.sgAnimation;
    QString size;
    if (!ShowCommonDialog(true, QStringLiteral("Animation-Files (*.avi)|*.avi|All Files (*.*)|*.*"),
                          applicationTitle() + QStringLiteral(" - Animation"),
                          CommonDialog::kReadOnly | CommonDialog::kOverwritePrompt,
                          CommonDialog::Kind::ShowOpen, fileName, size))
        return;
    m_state.sgAnimation = fileName;
    m_ui.txtAnimation->setText(fileName);
}

void frm_main::cmdAviTest_Click()
{
    // Plays sgAnimation in ani_Test once the animation player is in place.
}
