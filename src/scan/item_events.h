#pragma once

class ResultList;

// The result list's events. Rows are 0-based; currentItem is the
// main window's CurrentItem (-1: none).

// ItemClick: the row becomes CurrentItem. Nothing else.
void ItemClick(ResultList &list, int &currentItem, int row);

// ItemCheck, after the user toggled the row's check box: the row becomes
// CurrentItem and is selected; if it is a folder row, the check boxes of the
// file rows directly after it are inverted one by one, up to the first row
// that is not a file row.
void ItemCheck(ResultList &list, int &currentItem, int row);
