#include "ui/progress_painter.h"

#include "scan/progress_geometry.h"
#include "ui/twips.h"

#include <QColor>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

QColor FromColourNumber(quint32 colour)
{
    return QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff));
}

// Holds what the box shows and paints it whenever the box is painted, so the
// bar survives repaints between two calls. One per box, its child.
class ProgressPicture final : public QObject
{
public:
    explicit ProgressPicture(QWidget *box)
        : QObject(box)
        , m_box(box)
    {
        setObjectName(QStringLiteral("progressPicture"));
        box->installEventFilter(this);
    }

    void show(const ProgressGeometry &geometry, const QColor &colour)
    {
        m_geometry = geometry;
        m_colour = colour;
        m_box->update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_box && event->type() == QEvent::Paint) {
            paint();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void paint()
    {
        QPainter painter(m_box);
        // Clearing the picture: the box's own background.
        painter.fillRect(m_box->rect(), m_box->palette().color(QPalette::Base));
        // The corners are both inside the bar; a bar that ends before its
        // start (value 0) has no width.
        if (m_geometry.barEnd >= m_geometry.left) {
            painter.fillRect(QRect(QPoint(m_geometry.left, m_geometry.top),
                                   QPoint(m_geometry.barEnd, m_geometry.bottom)),
                             m_colour);
        }
        if (!m_geometry.text.isEmpty()) {
            // The text position is given in twips from the top left; the
            // text's top sits there.
            const QPoint at(TwipsToPixels(m_geometry.textX), TwipsToPixels(m_geometry.textY));
            const QFontMetrics metrics(m_box->font());
            painter.setPen(m_box->palette().color(QPalette::Text));
            painter.setFont(m_box->font());
            painter.drawText(at + QPoint(0, metrics.ascent()), m_geometry.text);
        }
    }

    QWidget *m_box;
    ProgressGeometry m_geometry;
    QColor m_colour;
};

} // namespace

void DrawProgress(QWidget *box, qint16 value, quint32 colour, const QString &caption, qint16 scale)
{
    if (!box)
        return;
    auto *picture = static_cast<ProgressPicture *>(
        box->findChild<QObject *>(QStringLiteral("progressPicture"), Qt::FindDirectChildrenOnly));
    if (!picture)
        picture = new ProgressPicture(box);
    picture->show(DrawProgressGeometry(box->width(), box->height(), value, caption, scale),
                  FromColourNumber(colour));
}
