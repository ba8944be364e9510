#include "ui/result_list_view.h"

#include "ui/result_list_delegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionViewItem>

#include <algorithm>

ResultListView::ResultListView(QWidget *parent)
    : QTableView(parent)
{
    setItemDelegate(new ResultListDelegate(this));
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Fixed rows keep no per-row state worth the name, however many there are.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    fitRowHeight();
}

int ResultListView::rowHeightForFont() const
{
    // What the delegate asks for a ticked bold line; the style decides margins.
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.font = font();
    option.font.setBold(true);
    option.fontMetrics = QFontMetrics(option.font);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
    option.text = QStringLiteral("Xg");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    return std::max(size.height(), option.fontMetrics.height() + 2);
}

void ResultListView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowHeight();
}

void ResultListView::fitRowHeight()
{
    verticalHeader()->setDefaultSectionSize(rowHeightForFont());
}
