#pragma once

#include "core/avi_clip.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AviFrameDecoder;
struct ProgramState;

// Plays an AVI clip (uncompressed or run-length encoded, without sound):
// opening a clip starts it at its first frame, and it repeats at the clip's
// frame rate while the player is shown. Hiding pauses it; showing it again
// goes on; opening another clip replaces it. The picture is centred.
class AnimationPlayer : public QWidget
{
    Q_OBJECT

public:
    explicit AnimationPlayer(QWidget *parent = nullptr);
    ~AnimationPlayer() override;

    // Empty on success. On failure the player is left empty.
    std::optional<AviError> open(const QString &path);
    void close();

    [[nodiscard]] bool hasClip() const { return m_clip != nullptr; }
    [[nodiscard]] bool isPlaying() const { return m_timer.isActive(); }
    [[nodiscard]] QString clipPath() const { return m_path; }
    [[nodiscard]] qsizetype frameCount() const;
    [[nodiscard]] qsizetype currentFrame() const { return m_frame; }
    [[nodiscard]] int frameIntervalMs() const { return m_timer.interval(); }
    // The frame shown now; null when the player is empty.
    [[nodiscard]] QImage currentImage() const;

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void frameShown(qsizetype frame);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void advance();
    void showFrame(qsizetype frame);

    std::unique_ptr<AviClip> m_clip;
    std::unique_ptr<AviFrameDecoder> m_decoder; // draws from *m_clip
    QTimer m_timer;
    QString m_path;
    qsizetype m_frame = -1;
};

// The text of the label under the test player: empty after a clip played,
// otherwise "error playing avi.", CR LF, the error number, a blank and the
// description.
[[nodiscard]] QString AviTestLabelText(const std::optional<AviError> &error);

// The clip a search plays: sgAnimation when it names an existing file;
// otherwise the default clip beside the program, which then becomes
// sgAnimation, or, when that is missing too, none (sgAnimation emptied).
// The path box is not touched.
void ResolveSearchAnimation(ProgramState &state,
                            const std::function<bool(const QString &)> &fileExists);
