#include "ui/tool_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(0x30, 0x30, 0x38);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kFolder(0xe8, 0xb3, 0x3c);
const QColor kBlue(0x2f, 0x6f, 0xc6);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xc8, 0x2a, 0x2a);

void drawSheet(QPainter &p, QRectF r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void drawLines(QPainter &p, qreal x1, qreal x2, qreal y, int count)
{
    p.setPen(QPen(kBlue, 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x1, y + 2 * i), QPointF(x2, y + 2 * i));
}

// Every shape on a 16 x 16 grid, half-pixel aligned so 1-unit lines are crisp at 16 px.
void paintIcon(QPainter &p, ToolIcon kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case ToolIcon::Search: {
        QPainterPath folder;
        folder.moveTo(0.5, 3.5);
        folder.lineTo(5.5, 3.5);
        folder.lineTo(7, 5);
        folder.lineTo(13.5, 5);
        folder.lineTo(13.5, 12.5);
        folder.lineTo(0.5, 12.5);
        folder.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kFolder);
        p.drawPath(folder);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(9.5, 9.5), 3, 3);
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11.8, 11.8), QPointF(14.8, 14.8));
        break;
    }
    case ToolIcon::Cancel:
        p.setPen(QPen(kRed.darker(130), 1));
        p.setBrush(kRed);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(kPaper, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    case ToolIcon::Copy:
        drawSheet(p, QRectF(1.5, 1.5, 8, 10));
        drawSheet(p, QRectF(6.5, 4.5, 8, 10));
        drawLines(p, 8.5, 12.5, 7.5, 3);
        break;
    case ToolIcon::Refresh: {
        p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(8, 0.5);
        head.lineTo(12, 3.5);
        head.lineTo(8, 6.5);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPath(head);
        break;
    }
    case ToolIcon::Generate: {
        QPainterPath page;
        page.moveTo(2.5, 0.5);
        page.lineTo(10, 0.5);
        page.lineTo(13.5, 4);
        page.lineTo(13.5, 15.5);
        page.lineTo(2.5, 15.5);
        page.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawPath(page);
        p.setPen(QPen(kRed, 1));
        p.drawText(QRectF(2.5, 2, 11, 7), Qt::AlignCenter, QStringLiteral("<>"));
        drawLines(p, 4.5, 11.5, 9.5, 3);
        break;
    }
    case ToolIcon::Browser:
        p.setPen(QPen(kBlue, 1));
        p.setBrush(QColor(0xd8, 0xe8, 0xfa));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        break;
    case ToolIcon::Save:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case ToolIcon::Info:
        p.setPen(QPen(kBlue.darker(120), 1));
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
        p.drawRect(QRectF(7, 7, 2, 5.5));
        break;
    case ToolIcon::Exit: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xb0, 0x7a, 0x48));
        p.drawRect(QRectF(1.5, 1.5, 7, 13));
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawLine(QPointF(11.5, 5.5), QPointF(14, 8));
        p.drawLine(QPointF(11.5, 10.5), QPointF(14, 8));
        break;
    }
    case ToolIcon::Program:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kFolder);
        p.drawRect(QRectF(0.5, 1.5, 6, 4));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 6.5, 11, 9));
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(2.5, 5.5), QPointF(2.5, 11));
        p.drawLine(QPointF(2.5, 11), QPointF(4.5, 11));
        drawLines(p, 6.5, 13.5, 8.5, 3);
        break;
    }
}

class PaintedIconEngine final : public QIconEngine
{
public:
    explicit PaintedIconEngine(ToolIcon kind)
        : m_kind(kind)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        paintIcon(*painter, m_kind);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new PaintedIconEngine(m_kind); }

private:
    ToolIcon m_kind;
};

} // namespace

QIcon MakeToolIcon(ToolIcon kind)
{
    return QIcon(new PaintedIconEngine(kind));
}
