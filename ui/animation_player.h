// The animation control "anbDelay": plays an AVI clip (see avi_clip.h) in a loop at the clip's
// frame rate. The colour of the first frame's top-left pixel is drawn transparent, so the clip
// sits on the page's own background.
#ifndef UI_ANIMATION_PLAYER_H_
#define UI_ANIMATION_PLAYER_H_

#include <QImage>
#include <QSize>
#include <QWidget>
#include <vector>

class QTimer;

namespace ui {

class AnimationPlayer : public QWidget {
    Q_OBJECT

public:
    explicit AnimationPlayer(QWidget* parent = nullptr);

    // Replaces the clip with the one in the file and shows its first frame; plays it at once when
    // auto play is on. False, with no clip, when the file is missing or is not a playable clip.
    bool open(const QString& path);
    void close();

    void setAutoPlay(bool autoPlay);
    void play();  // from the current frame, looping; nothing without a clip
    void stop();  // stays on the current frame

    bool hasClip() const { return !m_frames.empty(); }
    bool isPlaying() const;
    int frameCount() const { return static_cast<int>(m_frames.size()); }
    int currentFrame() const { return m_current; }
    int frameIntervalMs() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showNextFrame();

    QTimer* m_timer;
    std::vector<QImage> m_frames;
    QSize m_clipSize;
    int m_current = 0;
    bool m_autoPlay = false;
};

}  // namespace ui

#endif  // UI_ANIMATION_PLAYER_H_
