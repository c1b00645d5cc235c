// The animation control: playing and stopping our own clip, a missing clip, and the clip's
// background drawn transparent.
#include "animation_player.h"

#include <QPalette>
#include <QTest>

namespace ui {

class AnimationPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void playsAndStopsOurClipAndDropsItForAMissingFile();
    void backgroundOfTheClipIsTransparent();
};

void AnimationPlayerTest::playsAndStopsOurClipAndDropsItForAMissingFile() {
    AnimationPlayer player;
    QVERIFY(player.open(QStringLiteral(LOOMSTEAD_CLIP_PATH)));
    QCOMPARE(player.frameIntervalMs(), 83);
    QCOMPARE(player.sizeHint(), QSize(272, 60));
    QVERIFY(!player.isPlaying());
    player.play();
    QTRY_VERIFY(player.currentFrame() >= 2);
    player.stop();
    const int stoppedAt = player.currentFrame();
    QTest::qWait(200);
    QCOMPARE(player.currentFrame(), stoppedAt);

    player.setAutoPlay(true);
    QVERIFY(player.open(QStringLiteral(LOOMSTEAD_CLIP_PATH)));
    QVERIFY(player.isPlaying());
    QVERIFY(!player.open(QStringLiteral("/nonexistent/Filemove.avi")));
    QVERIFY(!player.hasClip());  // the earlier clip is gone too
    QVERIFY(!player.isPlaying());
    player.play();
    QVERIFY(!player.isPlaying());
}

void AnimationPlayerTest::backgroundOfTheClipIsTransparent() {
    QWidget page;
    QPalette palette = page.palette();
    palette.setColor(QPalette::Window, Qt::red);
    page.setPalette(palette);
    page.setAutoFillBackground(true);
    page.resize(272, 60);
    auto* player = new AnimationPlayer(&page);
    player->setGeometry(0, 0, 272, 60);
    QVERIFY(player->open(QStringLiteral(LOOMSTEAD_CLIP_PATH)));
    const QImage shown = page.grab().toImage();
    QCOMPARE(shown.pixel(2, 2), qRgb(255, 0, 0));
    QVERIFY(shown.pixel(40, 45) != qRgb(255, 0, 0));  // the left folder
}

}  // namespace ui

QTEST_MAIN(ui::AnimationPlayerTest)
#include "animation_player_test.moc"
