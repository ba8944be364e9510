#include "ui/zfrm_info.h"

#include "app/program_state.h"
#include "core/text_format.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <functional>
#include <limits>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWindowTwips = 4000;
constexpr int kPhotoLeft = 620;
constexpr int kPhotoWidth = 164; // pixels
constexpr int kPhotoHeight = 122;
constexpr int kTextIndent = 240; // the first line only
constexpr int kCaptionIndent = 30;
constexpr int kCaptionBlanks = 32;
constexpr int kButtonHeight = 375;
const QColor kDarkBlue(0, 0, 128);

int px(int twips)
{
    return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

QFont fontOf(const char *family, QFont::StyleHint hint)
{
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(8.25);
    font.setStyleHint(hint);
    return font;
}

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString InfoCreditText(const ProgramState &state, const QLocale &locale)
{
    const QString start = DateTextFormatter(locale).format(state.startTime);
    return kCrLf + kCrLf + state.shortName + kCrLf + state.productName + kCrLf
        + QStringLiteral("Version: ") + state.versionText + kCrLf + QStringLiteral("Start: ")
        + start + kCrLf + kCrLf + state.creditLine + kCrLf + state.makerName + kCrLf
        + QString::fromLatin1(ProgramIdentity::kAuthorMail) + kCrLf + kCrLf
        + QStringLiteral("Entwickler:") + kCrLf + state.author + kCrLf.repeated(6);
}

// picLSchrift: shows the typed text, the first line indented; a click
// restarts the animation.
class zfrm_Info::TextArea : public QWidget
{
public:
    explicit TextArea(QWidget *parent)
        : QWidget(parent)
    {
        setFont(fontOf("Lucida Console", QFont::Monospace));
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Button));
        colours.setColor(QPalette::WindowText, kDarkBlue);
        setPalette(colours);
    }

    void setText(const QString &text)
    {
        m_text = text;
        update();
    }

    std::function<void()> clicked;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(font());
        int x = px(kTextIndent);
        int y = metrics.ascent();
        for (const QString &line : m_text.split(u'\n')) {
            QString shown = line;
            shown.remove(u'\r');
            painter.drawText(x, y, shown);
            x = 0;
            y += metrics.lineSpacing();
        }
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
            && clicked)
            clicked();
    }

private:
    QString m_text;
};

zfrm_Info::zfrm_Info(const ProgramState &state, QWidget *parent, TimerDriving driving,
                     const QLocale &locale)
    : QDialog(parent)
    , m_driving(driving)
{
    setWindowTitle(QStringLiteral("Information"));
    setModal(true);

    m_buttonPanel = new QFrame(this);
    m_buttonPanel->setObjectName(QStringLiteral("picButtom"));
    m_textArea = new TextArea(this);
    m_textArea->setObjectName(QStringLiteral("picLSchrift"));
    m_textArea->clicked = [this] { picLSchrift_Click(); };
    m_photo = new QLabel(this);
    m_photo->setObjectName(QStringLiteral("picPhoto"));
    m_photo->setPixmap(InfoPicture());
    m_photo->resize(kPhotoWidth, kPhotoHeight);
    m_closeButton = new QPushButton(this);
    m_closeButton->setObjectName(QStringLiteral("butExit"));
    m_closeButton->setFont(fontOf("Tahoma", QFont::SansSerif));
    m_closeButton->setAccessibleName(QStringLiteral("Schließen"));
    connect(m_closeButton, &QPushButton::clicked, this, &zfrm_Info::butExit_Click);
    m_closeButton->raise();
    m_photo->raise();

    m_timer.setInterval(kStepMs);
    connect(&m_timer, &QTimer::timeout, this, &zfrm_Info::tm_Timer);

    m_creditText = InfoCreditText(state, locale);
    Form_Load();
}

zfrm_Info::~zfrm_Info() = default;

QWidget *zfrm_Info::textArea() const
{
    return m_textArea;
}

void zfrm_Info::Form_Load()
{
    const int side = px(kWindowTwips);
    resize(side, side);
    Form_Resize(); // a hidden window gets its resize event only when shown
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(side / 2, side / 2));
    drawCloseButtonPicture();
    m_scroll = kStartScroll;
    m_typedText.clear();
    m_characterPosition = kFirstCharacter;
    m_photo->move(px(kPhotoLeft), px(m_scroll));
    setTimerRunning(true);
}

// The word is drawn after a run of blanks on a picture as wide as the
// button, which puts it about in the middle.
void zfrm_Info::drawCloseButtonPicture()
{
    m_buttonPicture = QPixmap(m_closeButton->size());
    m_buttonPicture.fill(palette().color(QPalette::Button));
    QPainter painter(&m_buttonPicture);
    painter.setFont(m_closeButton->font());
    painter.setPen(kDarkBlue);
    const QString caption = QString(kCaptionBlanks, u' ') + QStringLiteral("Schließen");
    painter.drawText(px(kCaptionIndent), QFontMetrics(painter.font()).ascent(), caption);
    painter.end();
    m_closeButton->setText(QString());
    m_closeButton->setIcon(QIcon(m_buttonPicture));
    m_closeButton->setIconSize(m_buttonPicture.size());
}

void zfrm_Info::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void zfrm_Info::Form_Resize()
{
    const int w = width() * kTwipsPerPixel;
    const int h = height() * kTwipsPerPixel;
    m_textArea->setGeometry(px(90), px(90), px(w - 240), px(h - 760));
    m_closeButton->setGeometry(px(90), px(h - 630), px(w - 240), px(kButtonHeight));
    m_buttonPanel->setGeometry(0, px(h - 630 - 60), px(w), px(600));
}

void zfrm_Info::setTimerRunning(bool running)
{
    m_timerRunning = running;
    if (m_driving == TimerDriving::ByTest)
        return;
    if (running)
        m_timer.start();
    else
        m_timer.stop();
}

void zfrm_Info::tm_Timer()
{
    // The position is a 16-bit number of twips; it stops at the bottom of
    // that range instead of wrapping round.
    m_scroll = std::max(m_scroll - kScrollStep, int(std::numeric_limits<qint16>::min()));
    m_photo->move(px(kPhotoLeft), px(m_scroll));
    // Pending window events run when this step returns to the event loop,
    // ten milliseconds apart; running them inside the step could close the
    // window under it.
    if (m_scroll >= kTypingBelow)
        return;
    const qsizetype index = m_characterPosition - 1; // counted from 1
    if (index >= 1 && index <= m_creditText.size())
        m_typedText += m_creditText.at(index - 1);
    m_textArea->setText(m_typedText);
    ++m_characterPosition;
    if (m_characterPosition == m_creditText.size() + 3) {
        m_characterPosition = kFirstCharacter;
        setTimerRunning(false);
    }
}

void zfrm_Info::picLSchrift_Click()
{
    m_typedText.clear();
    m_scroll = kStartScroll;
    m_buttonPicture.fill(palette().color(QPalette::Button));
    m_textArea->setText(QString());
    setTimerRunning(true);
}

void zfrm_Info::butExit_Click()
{
    close();
}

void zfrm_Info::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void zfrm_Info::Form_Unload()
{
    setTimerRunning(false);
    if (m_reference) {
        *m_reference = nullptr;
        m_reference = nullptr;
    }
}

void ShowInfoWindow(QPointer<zfrm_Info> &reference, const ProgramState &state, QWidget *owner)
{
    if (!reference) {
        reference = new zfrm_Info(state, owner);
        reference->setAttribute(Qt::WA_DeleteOnClose);
        reference->setReference(&reference);
    }
    reference->exec();
}

QPixmap InfoPicture()
{
    QPixmap picture(kPhotoWidth, kPhotoHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPhotoHeight);
    sky.setColorAt(0, QColor(0x2a, 0x4a, 0x9a));
    sky.setColorAt(1, QColor(0xc8, 0xdc, 0xf0));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf6, 0xd2, 0x5a));
    painter.drawEllipse(QPointF(122, 34), 16, 16);
    painter.setBrush(QColor(0x3f, 0x7a, 0x3a));
    painter.drawEllipse(QPointF(40, 150), 90, 60);
    painter.setBrush(QColor(0x2e, 0x5e, 0x2c));
    painter.drawEllipse(QPointF(140, 160), 80, 62);
    // A small folder tree, what the program lists.
    painter.setPen(QPen(QColor(0xff, 0xff, 0xff), 2));
    painter.setBrush(QColor(0xe8, 0xb8, 0x4a));
    painter.drawRect(QRectF(18, 18, 22, 15));
    painter.drawLine(QPointF(29, 33), QPointF(29, 66));
    painter.drawLine(QPointF(29, 48), QPointF(46, 48));
    painter.drawLine(QPointF(29, 66), QPointF(46, 66));
    painter.drawRect(QRectF(46, 41, 18, 13));
    painter.drawRect(QRectF(46, 59, 18, 13));
    painter.end();
    return picture;
}
