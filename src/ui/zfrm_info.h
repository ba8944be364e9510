#pragma once

#include <QDialog>
#include <QLocale>
#include <QMargins>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QFontMetrics;
class QLabel;
class QPushButton;
class QFrame;
struct ProgramState;

// The text typed out by the info window: two empty lines, the short name,
// the product name, the version, the program's start time, an empty line,
// the credit line, the maker, the contact address, an empty line,
// "Entwickler:", the author and six line ends; lines end in CR LF.
[[nodiscard]] QString InfoCreditText(const ProgramState &state, const QLocale &locale = QLocale());

// The lines of typed text as the info window's text area draws them: split
// at the line ends (CR LF), the first line indented by firstIndent pixels. A
// line wider than the area is broken after its last blank that fits, or
// where it fills the area, so no text is cut at the right edge.
[[nodiscard]] QStringList InfoTextLines(const QString &text, const QFontMetrics &metrics, int width,
                                        int firstIndent);

// Where the info window's text area, close button and the panel behind the
// button lie, in pixels of the client area, for a window of the outer size
// outer whose frame takes frame at each edge. The positions follow the
// outer size; where the frame leaves less room than that, the button and
// its panel move up and the text area gets shorter and narrower, so the
// button always shows whole inside the window.
struct InfoWindowLayout
{
    QRect textArea;
    QRect closeButton;
    QRect buttonPanel;
};
[[nodiscard]] InfoWindowLayout LayOutInfoWindow(QSize outer, QMargins frame);

// The info window "Information": a picture scrolls up from the bottom, then
// the credit text is typed out one character per timer step. A click on
// the text area starts it again; the close button ends it.
class zfrm_Info : public QDialog
{
    Q_OBJECT

public:
    // ByTest: the timer never runs on its own; tests call tm_Timer()
    // themselves, and isTimerRunning() says whether it would run.
    enum class TimerDriving { Automatic, ByTest };

    static constexpr int kStartScroll = 3500; // twips
    static constexpr int kScrollStep = 25; // twips per step
    static constexpr int kTypingBelow = -2000; // typing starts below this scroll position
    static constexpr int kFirstCharacter = 2; // the character position at load
    static constexpr int kStepMs = 10;
    static constexpr int kOuterTwips = 4000; // width and height, frame included

    explicit zfrm_Info(const ProgramState &state, QWidget *parent = nullptr,
                       TimerDriving driving = TimerDriving::Automatic,
                       const QLocale &locale = QLocale());
    ~zfrm_Info() override;

    // The program's reference to this window, emptied when it unloads.
    void setReference(QPointer<zfrm_Info> *reference) { m_reference = reference; }

    void tm_Timer();
    void picLSchrift_Click();
    void butExit_Click();

    [[nodiscard]] const QString &creditText() const { return m_creditText; }
    [[nodiscard]] const QString &typedText() const { return m_typedText; }
    [[nodiscard]] int scrollPosition() const { return m_scroll; }
    [[nodiscard]] int characterPosition() const { return m_characterPosition; }
    [[nodiscard]] bool isTimerRunning() const { return m_timerRunning; }
    [[nodiscard]] QWidget *textArea() const;
    [[nodiscard]] QLabel *photo() const { return m_photo; }
    [[nodiscard]] QPushButton *closeButton() const { return m_closeButton; }

    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void setTimerRunning(bool running);
    void drawCloseButtonPicture();
    [[nodiscard]] QMargins frameWidths() const;
    void fitOuterSize();

    class TextArea;
    TextArea *m_textArea = nullptr; // picLSchrift
    // Holds the picture and shows it only above the button's panel, so the
    // rising picture never covers the close button.
    QWidget *m_photoStage = nullptr;
    QLabel *m_photo = nullptr; // picPhoto
    QPushButton *m_closeButton = nullptr; // butExit
    QFrame *m_buttonPanel = nullptr; // picButtom
    QPixmap m_buttonPicture; // picButton
    QTimer m_timer; // tm
    TimerDriving m_driving;
    bool m_timerRunning = false;
    QPointer<zfrm_Info> *m_reference = nullptr;

    QString m_creditText;
    QString m_typedText;
    int m_scroll = kStartScroll;
    int m_characterPosition = kFirstCharacter;
};

// cmdInfo_Click: creates the info window when the reference is empty and
// shows it modally; the window empties the reference when it unloads.
void ShowInfoWindow(QPointer<zfrm_Info> &reference, const ProgramState &state, QWidget *owner);

// The picture of the info window, 164 x 122 pixels, drawn in code.
[[nodiscard]] QPixmap InfoPicture();
