#pragma once

#include <QDialog>
#include <QLocale>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

class QLabel;
class QPushButton;
class QFrame;
struct ProgramState;

// The text typed out by the info window: two empty lines, the short name,
// the product name, the version, the program's start time, an empty line,
// the credit line, the maker, the contact address, an empty line,
// "Entwickler:", the author and six line ends; lines end in CR LF.
[[nodiscard]] QString InfoCreditText(const ProgramState &state, const QLocale &locale = QLocale());

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
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void setTimerRunning(bool running);
    void drawCloseButtonPicture();

    class TextArea;
    TextArea *m_textArea = nullptr; // picLSchrift
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
