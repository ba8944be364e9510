#include "ui/zfrm_info.h"

#include "app/program_state.h"
#include "core/text_format.h"
#include "ui/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

constexpr int kPhotoLeft = 620;
constexpr int kPhotoWidth = 164; // pixels
constexpr int kPhotoHeight = 122;
constexpr int kTextIndent = 240; // the first line only
constexpr int kCaptionIndent = 30;
constexpr int kCaptionBlanks = 32;
constexpr int kButtonHeight = 375;
constexpr int kMargin = 90; // left and top of the text area and the button
constexpr int kAreaWidthLess = 240; // text area and button: outer width - 240
constexpr int kAreaHeightLess = 760; // text area: outer height - 760
constexpr int kButtonTopLess = 630; // button top: outer height - 630
constexpr int kPanelAboveButton = 60;
constexpr int kPanelHeight = 600;
const QColor kDarkBlue(0, 0, 128);

QFont fontOf(const char *family, QFont::StyleHint hint)
{
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(8.25);
    font.setStyleHint(hint);
    return font;
}

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QStringList InfoTextLines(const QString &text, const QFontMetrics &metrics, int width,
                          int firstIndent)
{
    QStringList lines;
    int room = width - firstIndent;
    for (QString line : text.split(u'\n')) {
        line.remove(u'\r');
        while (metrics.horizontalAdvance(line) > room) {
            qsizetype fits = 0;
            while (fits + 1 < line.size() && metrics.horizontalAdvance(line.left(fits + 1)) <= room)
                ++fits;
            fits = std::max(fits, qsizetype(1));
            const qsizetype blank = line.lastIndexOf(u' ', fits);
            if (blank > 0) {
                lines << line.left(blank);
                line.remove(0, blank + 1);
            } else {
                lines << line.left(fits);
                line.remove(0, fits);
            }
            room = width;
        }
        lines << line;
        room = width;
    }
    return lines;
}

InfoWindowLayout LayOutInfoWindow(QSize outer, QMargins frame)
{
    const int w = outer.width() * kTwipsPerPixel;
    const int h = outer.height() * kTwipsPerPixel;
    InfoWindowLayout layout;
    layout.textArea = QRect(TwipsToPixels(kMargin), TwipsToPixels(kMargin),
                            TwipsToPixels(w - kAreaWidthLess), TwipsToPixels(h - kAreaHeightLess));
    layout.closeButton = QRect(TwipsToPixels(kMargin), TwipsToPixels(h - kButtonTopLess),
                               TwipsToPixels(w - kAreaWidthLess), TwipsToPixels(kButtonHeight));
    layout.buttonPanel = QRect(0, TwipsToPixels(h - kButtonTopLess - kPanelAboveButton),
                               outer.width(), TwipsToPixels(kPanelHeight));

    const QSize client = outer.shrunkBy(frame);
    const int margin = TwipsToPixels(kMargin);
    const int widest = client.width() - 2 * margin;
    if (layout.textArea.width() > widest) {
        layout.textArea.setWidth(widest);
        layout.closeButton.setWidth(widest);
    }
    layout.buttonPanel.setWidth(client.width());
    const int below = layout.closeButton.bottom() + 1 + margin - client.height();
    if (below > 0) {
        layout.closeButton.translate(0, -below);
        layout.buttonPanel.translate(0, -below);
        layout.textArea.setHeight(layout.textArea.height() - below);
    }
    return layout;
}

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
        int x = TwipsToPixels(kTextIndent);
        int y = metrics.ascent();
        for (const QString &line : InfoTextLines(m_text, metrics, width(), x)) {
            painter.drawText(x, y, line);
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

    // Made from the bottom of the stack up: the text area, the picture
    // rising over it, the panel and the close button.
    m_textArea = new TextArea(this);
    m_textArea->setObjectName(QStringLiteral("picLSchrift"));
    m_textArea->clicked = [this] { picLSchrift_Click(); };
    m_photoStage = new QWidget(this);
    m_photoStage->setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach the text area
    m_photo = new QLabel(m_photoStage);
    m_photo->setObjectName(QStringLiteral("picPhoto"));
    m_photo->setPixmap(InfoPicture());
    m_photo->resize(kPhotoWidth, kPhotoHeight);
    m_buttonPanel = new QFrame(this);
    m_buttonPanel->setObjectName(QStringLiteral("picButtom"));
    m_closeButton = new QPushButton(this);
    m_closeButton->setObjectName(QStringLiteral("butExit"));
    m_closeButton->setFont(fontOf("Tahoma", QFont::SansSerif));
    m_closeButton->setAccessibleName(QStringLiteral("Schließen"));
    connect(m_closeButton, &QPushButton::clicked, this, &zfrm_Info::butExit_Click);

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
    // The size is the outer one; fitOuterSize takes the frame off once the
    // window system has put one round the window.
    const int side = TwipsToPixels(kOuterTwips);
    resize(side, side);
    Form_Resize(); // a hidden window gets its resize event only when shown
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(side / 2, side / 2));
    m_scroll = kStartScroll;
    m_typedText.clear();
    m_characterPosition = kFirstCharacter;
    m_photo->move(TwipsToPixels(kPhotoLeft), TwipsToPixels(m_scroll));
    setTimerRunning(true);
}

// The word is drawn after a run of blanks on a picture as wide as the
// button's inside, which puts it about in the middle. The picture is clear
// round the word and leaves the button's frame free, so it still looks
// like a button.
void zfrm_Info::drawCloseButtonPicture()
{
    QStyleOptionButton option;
    option.initFrom(m_closeButton);
    const QRect inside = m_closeButton->style()->subElementRect(QStyle::SE_PushButtonContents,
                                                                &option, m_closeButton);
    // As high as the word: the button centres it in its inside.
    const QFontMetrics metrics(m_closeButton->font());
    m_buttonPicture = QPixmap(inside.width(), std::min(inside.height(), metrics.height()));
    m_buttonPicture.fill(Qt::transparent);
    QPainter painter(&m_buttonPicture);
    painter.setFont(m_closeButton->font());
    painter.setPen(kDarkBlue);
    const QString caption = QString(kCaptionBlanks, u' ') + QStringLiteral("Schließen");
    painter.drawText(TwipsToPixels(kCaptionIndent), metrics.ascent(), caption);
    painter.end();
    m_closeButton->setText(QString());
    m_closeButton->setIcon(QIcon(m_buttonPicture));
    m_closeButton->setIconSize(m_buttonPicture.size());
}

bool zfrm_Info::event(QEvent *event)
{
    // The frame is known once the window is on screen; a window manager
    // may add it later, which moves the window.
    if (event->type() == QEvent::Show || event->type() == QEvent::Move)
        fitOuterSize();
    return QDialog::event(event);
}

void zfrm_Info::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

QMargins zfrm_Info::frameWidths() const
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return { inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
             outer.bottom() - inner.bottom() };
}

void zfrm_Info::fitOuterSize()
{
    const int side = TwipsToPixels(kOuterTwips);
    const QSize client = QSize(side, side).shrunkBy(frameWidths());
    if (size() != client)
        resize(client);
}

void zfrm_Info::Form_Resize()
{
    const QMargins frame = frameWidths();
    const InfoWindowLayout layout = LayOutInfoWindow(size().grownBy(frame), frame);
    m_textArea->setGeometry(layout.textArea);
    m_closeButton->setGeometry(layout.closeButton);
    m_buttonPanel->setGeometry(layout.buttonPanel);
    m_photoStage->setGeometry(0, 0, width(), layout.buttonPanel.top());
    drawCloseButtonPicture(); // fits the button's inside as laid out now
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
    m_photo->move(TwipsToPixels(kPhotoLeft), TwipsToPixels(m_scroll));
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
    m_buttonPicture.fill(Qt::transparent);
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
