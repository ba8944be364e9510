#pragma once

#include <QTableView>

// The view of the result list (lstItems): one line per row, ticks in the
// first column, rows in their own colour and weight.
//
// A table rather than a tree: a tree lays out every row again whenever it is
// shown or rows arrive, which stalls the window for a fifth of a second at a
// million rows; a table with rows of one fixed height only does arithmetic.
// The row height follows the list font, so a bold row and the tick box fit.
class ResultListView : public QTableView
{
    Q_OBJECT

public:
    explicit ResultListView(QWidget *parent = nullptr);

    // The line height every row gets for the current font and style.
    [[nodiscard]] int rowHeightForFont() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitRowHeight();
};
