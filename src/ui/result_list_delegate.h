#pragma once

#include <QStyledItemDelegate>

// Draws the result list's rows in their own colour and weight: the list
// model gives them as ResultList::TextColorRole (0xRRGGBB) and
// ResultList::BoldRole, since it knows nothing of fonts and brushes.
class ResultListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
