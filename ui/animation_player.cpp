#include "ui/animation_player.h"

#include <QPainter>
#include <QTimer>

#include "ui/avi_clip.h"

namespace ui {
namespace {

// The clip as the page draws it: every pixel of the key colour made transparent.
QImage WithTransparentKey(const QImage& frame, QRgb key) {
    key |= 0xff000000u;
    if (frame.format() == QImage::Format_Indexed8) {
        QImage keyed = frame;
        QList<QRgb> colours = keyed.colorTable();
        for (QRgb& colour : colours) {
            if ((colour | 0xff000000u) == key) {
                colour = qRgba(0, 0, 0, 0);
            }
        }
        keyed.setColorTable(colours);
        return keyed;
    }
    QImage keyed = frame.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((pixels[x] | 0xff000000u) == key) {
                pixels[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return keyed;
}

constexpr QSize kDefaultSize(272, 60);

}  // namespace

AnimationPlayer::AnimationPlayer(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("anbDelay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_timer, &QTimer::timeout, this, &AnimationPlayer::showNextFrame);
}

bool AnimationPlayer::open(const QString& path) {
    close();
    std::optional<AviClip> clip = LoadAviClip(path);
    if (!clip) {
        return false;
    }
    const QRgb key = clip->frames.front().pixel(0, 0);
    m_frames.reserve(clip->frames.size());
    for (const QImage& frame : clip->frames) {
        m_frames.push_back(WithTransparentKey(frame, key));
    }
    m_clipSize = clip->size;
    m_timer->setInterval(clip->frameIntervalMs);
    updateGeometry();
    update();
    if (m_autoPlay) {
        play();
    }
    return true;
}

void AnimationPlayer::close() {
    m_timer->stop();
    m_frames.clear();
    m_clipSize = QSize();
    m_current = 0;
    update();
}

void AnimationPlayer::setAutoPlay(bool autoPlay) { m_autoPlay = autoPlay; }

void AnimationPlayer::play() {
    if (hasClip()) {
        m_timer->start();
    }
}

void AnimationPlayer::stop() { m_timer->stop(); }

bool AnimationPlayer::isPlaying() const { return m_timer->isActive(); }

int AnimationPlayer::frameIntervalMs() const { return hasClip() ? m_timer->interval() : 0; }

QSize AnimationPlayer::sizeHint() const { return m_clipSize.isValid() ? m_clipSize : kDefaultSize; }

void AnimationPlayer::paintEvent(QPaintEvent* /*event*/) {
    if (!hasClip()) {
        return;
    }
    const QImage& frame = m_frames[static_cast<size_t>(m_current)];
    QPainter painter(this);
    const QSize shown = frame.size().scaled(size(), Qt::KeepAspectRatio).boundedTo(frame.size());
    QRect target(QPoint(0, 0), shown);
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
}

void AnimationPlayer::showNextFrame() {
    if (!hasClip()) {
        m_timer->stop();
        return;
    }
    m_current = (m_current + 1) % frameCount();
    update();
}

}  // namespace ui
