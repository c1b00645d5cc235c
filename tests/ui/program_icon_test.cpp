// The program's icon comes from the PNGs built into the program, at every size a desktop asks
// for, with no image plugin beyond PNG.
#include <QIcon>
#include <QImage>
#include <QTest>

#include "ui/icons.h"

class ProgramIconTest : public QObject {
    Q_OBJECT

private slots:
    void holdsEachSizeDrawn_data();
    void holdsEachSizeDrawn();
};

void ProgramIconTest::holdsEachSizeDrawn_data() {
    QTest::addColumn<int>("side");
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        QTest::newRow(qPrintable(QString::number(side))) << side;
    }
}

void ProgramIconTest::holdsEachSizeDrawn() {
    QFETCH(int, side);
    const QIcon icon = ui::ProgramIcon();
    QVERIFY(icon.availableSizes().contains(QSize(side, side)));
    const QImage image = icon.pixmap(QSize(side, side)).toImage();
    QCOMPARE(image.size(), QSize(side, side));
    // The tile fills the middle; a missing resource would give an empty or clear picture.
    QVERIFY(qAlpha(image.pixel(side / 2, side / 2)) == 255);
    QVERIFY(qAlpha(image.pixel(0, 0)) < 255);
}

QTEST_MAIN(ProgramIconTest)
#include "program_icon_test.moc"
