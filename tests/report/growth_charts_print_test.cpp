// The growth charts as the printed report draws them: both of them, the sizes above the ratio,
// across the whole width of the page.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "printable_report.h"
#include "report_data.h"

namespace {

report::GrowthPoint Point(int64_t members, int64_t total) {
    report::GrowthPoint point;
    point.members = members;
    point.scaSizeMb = 8;
    point.lockStructureSizeMb = 8 * members;
    point.directoryDataRatio = 4 + members;
    point.irlmEcsaSizeMb = 6;
    point.gbpMemoryMb = total - 30;
    point.totalMemoryMb = total;
    return point;
}

bool IsInk(QRgb pixel) { return qGray(pixel) < 160; }

}  // namespace

class GrowthChartsPrintTest : public QObject {
    Q_OBJECT

private slots:
    void bothChartsSpanThePageWidth();
};

void GrowthChartsPrintTest::bothChartsSpanThePageWidth() {
    report::ReportData data;
    data.membersText = QStringLiteral("2");
    for (int64_t members = 1; members <= 8; ++members) {
        data.growth.push_back(Point(members, 500 * members));
    }
    // The text area of an A4 page with 15 mm margins at 300 dots per inch, less the footer.
    QImage page(2126, 3000, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        report::DrawGrowthCharts(painter, data, QRectF(0, 0, page.width(), page.height()));
    }
    int left = page.width();
    int right = -1;
    int inkAbove = 0;  // in the upper and lower halves of the area the charts take
    int inkBelow = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (IsInk(page.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                (y < 1400 ? inkAbove : inkBelow) += 1;
            }
        }
    }
    QVERIFY2(left < page.width() / 20, qPrintable(QString::number(left)));
    QVERIFY2(right > page.width() * 19 / 20, qPrintable(QString::number(right)));
    QVERIFY(inkAbove > 10000);
    QVERIFY2(inkBelow > 10000, qPrintable(QString::number(inkBelow)));
}

QTEST_MAIN(GrowthChartsPrintTest)
#include "growth_charts_print_test.moc"
