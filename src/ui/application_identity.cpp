#include "ui/application_identity.h"

#include "ui/tool_icons.h"

#include <QApplication>

void SetApplicationIdentity()
{
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    QApplication::setDesktopFileName(QStringLiteral(QUORVEL_APP_ID));
    QApplication::setWindowIcon(MakeToolIcon(ToolIcon::Program));
}
