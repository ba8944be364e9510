#pragma once

#include <QLabel>

// A one-line status text (lblNewFile, lbl_Status). A line longer than the
// label is shortened in the middle, so both the start ("Searching for ...")
// and the end of a long path stay in view; the whole line shows as a
// tooltip. A long line never widens the window.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    // The text as it is drawn at the label's current width.
    [[nodiscard]] QString shownText() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
