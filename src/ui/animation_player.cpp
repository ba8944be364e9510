#include "ui/animation_player.h"

#include "app/option_table.h"
#include "app/program_state.h"
#include "core/avi_decoder.h"

#include <QPainter>

namespace {
constexpr qint64 kMinIntervalMs = 1;
constexpr qint64 kMaxIntervalMs = 60 * 60 * 1000;
} // namespace

AnimationPlayer::AnimationPlayer(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AnimationPlayer::advance);
}

AnimationPlayer::~AnimationPlayer() = default;

std::optional<AviError> AnimationPlayer::open(const QString &path)
{
    close();
    AviParseResult opened = LoadAviClip(path);
    if (!opened.clip)
        return opened.error;
    m_clip = std::make_unique<AviClip>(std::move(*opened.clip));
    m_decoder = std::make_unique<AviFrameDecoder>(*m_clip);
    m_path = path;
    const qint64 ms = (m_clip->microsecondsPerFrame + 500) / 1000;
    m_timer.setInterval(int(qBound(kMinIntervalMs, ms, kMaxIntervalMs)));
    showFrame(0);
    if (isVisible())
        m_timer.start();
    updateGeometry();
    return std::nullopt;
}

void AnimationPlayer::close()
{
    m_timer.stop();
    m_decoder.reset();
    m_clip.reset();
    m_path.clear();
    m_frame = -1;
    update();
}

qsizetype AnimationPlayer::frameCount() const
{
    return m_clip ? qsizetype(m_clip->frames.size()) : 0;
}

QImage AnimationPlayer::currentImage() const
{
    if (!m_decoder || m_frame < 0)
        return {};
    const auto *bits = reinterpret_cast<const uchar *>(m_decoder->pixels().data());
    return QImage(bits, m_decoder->width(), m_decoder->height(), QImage::Format_RGB32).copy();
}

QSize AnimationPlayer::sizeHint() const
{
    if (m_clip)
        return { m_clip->width, m_clip->height };
    return QWidget::sizeHint();
}

void AnimationPlayer::showFrame(qsizetype frame)
{
    if (m_decoder->decode(frame)) {
        // The clip was read through once when opened, so this means the
        // file's data is no longer what it was: stop rather than show
        // a broken picture.
        close();
        return;
    }
    m_frame = frame;
    update();
    emit frameShown(frame);
}

void AnimationPlayer::advance()
{
    if (!m_clip)
        return;
    showFrame((m_frame + 1) % qsizetype(m_clip->frames.size()));
}

void AnimationPlayer::paintEvent(QPaintEvent *)
{
    if (!m_decoder || m_frame < 0)
        return;
    const auto *bits = reinterpret_cast<const uchar *>(m_decoder->pixels().data());
    const QImage image(bits, m_decoder->width(), m_decoder->height(), QImage::Format_RGB32);
    QPainter painter(this);
    const QPoint topLeft((width() - image.width()) / 2, (height() - image.height()) / 2);
    painter.drawImage(topLeft, image);
}

void AnimationPlayer::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_clip)
        m_timer.start();
}

void AnimationPlayer::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}

QString AviTestLabelText(const std::optional<AviError> &error)
{
    if (!error)
        return {};
    return QStringLiteral("error playing avi.\r\n") + QString::number(error->number()) + u' '
        + error->description();
}

void ResolveSearchAnimation(ProgramState &state,
                            const std::function<bool(const QString &)> &fileExists)
{
    if (!state.sgAnimation.isEmpty() && fileExists(state.sgAnimation))
        return;
    const QString fallback = DefaultAnimationPath(state.dataFolder);
    state.sgAnimation = fileExists(fallback) ? fallback : QString();
}
