// The animation group of the "search options" tab: the clip played while
// a folder is searched, its default, its file dialog and its test play.
#include "ui/frm_main.h"

#include "app/option_table.h"
#include "app/program_state.h"
#include "scan/file_system.h"
#include "ui/animation_player.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

void frm_main::txtAnimation_Change()
{
    optionTextChanged(OptionText::Animation);
}

void frm_main::cmdAviDeafult_Click()
{
    // Also when the box already shows the default, sgAnimation becomes it.
    setOptionText(OptionText::Animation, DefaultAnimationPath(m_state.dataFolder));
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
    // A failure is recorded, not raised: the label shows the player's own
    // number and description, and a clip that plays empties it.
    const std::optional<AviError> error = m_ui.ani_Test->open(m_state.sgAnimation);
    m_ui.lblAniTest->setText(AviTestLabelText(error));
}

void frm_main::StartSearchAnimation()
{
    // sgAnimation may be replaced by the default clip or emptied; the path
    // box keeps showing what the user typed.
    ResolveSearchAnimation(m_state,
                           [this](const QString &path) { return m_fileSystem.fileExists(path); });
    if (m_state.sgAnimation.isEmpty())
        m_ui.ani_Movie->close();
    else
        (void)m_ui.ani_Movie->open(m_state.sgAnimation); // a clip that fails leaves it empty
    m_ui.fraAniBack->show();
    m_ui.ani_Movie->show();
    QCoreApplication::processEvents();
}

void frm_main::StopSearchAnimation()
{
    m_ui.ani_Movie->hide();
    m_ui.fraAniBack->hide();
    QCoreApplication::processEvents();
}
