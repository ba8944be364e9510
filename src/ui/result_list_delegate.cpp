#include "ui/result_list_delegate.h"

#include "scan/result_list.h"

void ResultListDelegate::initStyleOption(QStyleOptionViewItem *option,
                                         const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(ResultList::BoldRole).toBool())
        option->font.setBold(true);
    const QVariant colour = index.data(ResultList::TextColorRole);
    if (colour.isValid())
        option->palette.setColor(QPalette::Text, QColor::fromRgb(colour.toUInt() & 0xffffffu));
}
