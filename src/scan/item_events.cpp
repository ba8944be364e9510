#include "scan/item_events.h"

#include "scan/result_list.h"

void ItemClick(ResultList &list, int &currentItem, int row)
{
    if (row < 0 || row >= list.count())
        return;
    currentItem = row;
}

void ItemCheck(ResultList &list, int &currentItem, int row)
{
    if (row < 0 || row >= list.count())
        return;
    currentItem = row;
    list.setSelected(row, true);
    if (!list.isFolderRow(row))
        return;
    for (int next = row + 1; next < list.count() && list.isFileRow(next); ++next)
        list.setChecked(next, !list.checked(next));
}
