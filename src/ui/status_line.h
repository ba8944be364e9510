#pragma once

#include <QLabel>

#include <optional>

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

    // A notice shown over the line's own text (a command refused while
    // another runs). endNotice() brings the own text back, unless the line
    // was given a new text since.
    void showNotice(const QString &notice);
    void endNotice();

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QString> m_notice;
    QString m_textBeforeNotice;
};

// The status line of something that failed, on one line: "<what>: <path>
// (<reason>)", or "<what>: <reason>" without a path.
[[nodiscard]] QString FailureStatusText(QStringView what, const QString &path, QString reason);
