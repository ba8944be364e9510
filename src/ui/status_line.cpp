#include "ui/status_line.h"

#include <QDir>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QString StatusLine::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void StatusLine::showNotice(const QString &notice)
{
    if (!m_notice || text() != *m_notice)
        m_textBeforeNotice = text();
    m_notice = notice;
    setText(notice);
}

void StatusLine::endNotice()
{
    if (m_notice && text() == *m_notice)
        setText(m_textBeforeNotice);
    m_notice.reset();
}

QSize StatusLine::sizeHint() const
{
    return minimumSizeHint();
}

QSize StatusLine::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return { minimumWidth(), fontMetrics().height() + margins.top() + margins.bottom() };
}

bool StatusLine::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (shownText() != text())
            QToolTip::showText(help->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void StatusLine::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}

QString FailureStatusText(QStringView what, const QString &path, QString reason)
{
    if (reason.isEmpty())
        reason = QStringLiteral("unknown error");
    reason.replace(u'\n', u' ');
    if (path.isEmpty())
        return what + QStringLiteral(": ") + reason;
    return what + QStringLiteral(": ") + QDir::toNativeSeparators(path) + QStringLiteral(" (")
        + reason + u')';
}
