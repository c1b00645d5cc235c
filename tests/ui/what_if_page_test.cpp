// The What If page as a chart reader expects it: step lines, titled axes, lines told apart by
// colour and dash, a tip near a point, the member count of "No Of Shared DB2" marked in the charts
// and in bold in the table; and Copy and Export giving the table as CSV and the charts as PNG.
#include "ui/what_if_page.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/tables.h"
#include "report/growth_chart.h"
#include "tests/ui/scripted_seams.h"
#include "tests/ui/test_tables.h"

namespace {

report::GrowthPoint Point(int64_t members, int64_t sca, int64_t total,
                          std::optional<int64_t> ratio) {
    return {members, sca, 16, ratio, 2, total - 30, total};
}

QLineSeries* Series(QChart& chart, const QString& name) {
    for (QAbstractSeries* series : chart.series()) {
        if (series->name() == name) {
            return static_cast<QLineSeries*>(series);
        }
    }
    return nullptr;
}

// Three member counts; the second without a directory/data ratio.
const std::vector<report::GrowthPoint> kPoints = {Point(1, 8, 100, 5), Point(2, 12, 180, {}),
                                                  Point(3, 20, 260, 7)};

}  // namespace

class WhatIfPageTest : public QObject {
    Q_OBJECT

private slots:
    void chartsDrawStepsTitledAxesDistinctLinesTipsAndTheMarker();
    void tableMarksTheMembersRowAndCopyAndExportGiveCsvAndPng();
};

void WhatIfPageTest::chartsDrawStepsTitledAxesDistinctLinesTipsAndTheMarker() {
    QChartView sizesView(MakeGrowthChart(report::GrowthChartKind::kSizes, kPoints, 3).release());
    QChartView ratioView(MakeGrowthChart(report::GrowthChartKind::kRatio, kPoints, 3).release());
    for (QChartView* view : {&sizesView, &ratioView}) {
        view->resize(700, 450);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }
    QChart* sizes = sizesView.chart();
    QChart* ratio = ratioView.chart();

    // A value holds from m members until m + 1.
    QCOMPARE(Series(*sizes, "SCA (right)")->points(),
             QList<QPointF>({{1, 8}, {2, 8}, {2, 12}, {3, 12}, {3, 20}, {4, 20}}));
    // A member count without a ratio is left out.
    QCOMPARE(Series(*ratio, "Directory/data ratio")->points(),
             QList<QPointF>({{1, 5}, {2, 5}, {3, 7}, {4, 7}}));
    QStringList titles;
    for (QAbstractAxis* axis : sizes->axes() + ratio->axes()) {
        titles << axis->titleText();
    }
    titles.removeDuplicates();
    QCOMPARE(titles, QStringList({"Members", "Size (Mb)", "Directory/data ratio"}));
    QSet<QRgb> colours;
    QSet<int> dashes;
    for (QAbstractSeries* series : sizes->series()) {
        const QPen pen = static_cast<QLineSeries*>(series)->pen();
        colours.insert(pen.color().rgb());
        dashes.insert(static_cast<int>(pen.style()));
    }
    QCOMPARE(sizes->series().size(), 6);  // five figures and the marker
    QCOMPARE(colours.size(), 6);
    QVERIFY2(dashes.size() >= 5, qPrintable(QString::number(dashes.size())));

    // A tip names the nearest point within eight pixels.
    QLineSeries* total = Series(*sizes, "Total memory");
    const QPointF at = sizes->mapToPosition({2, 180}, total);
    QCOMPARE(report::GrowthPointTip(*sizes, at + QPointF(5, -5)), "2 members: 180 Mb");
    QCOMPARE(report::GrowthPointTip(*sizes, at + QPointF(0, 12)), QString());
    // The step's end at 3 members is no point of its own, nor is the marker through it.
    QCOMPARE(report::GrowthPointTip(*sizes, sizes->mapToPosition({3, 180}, total)), QString());
    const QPointF ratioAt = ratio->mapToPosition({1, 5}, Series(*ratio, "Directory/data ratio"));
    QCOMPARE(report::GrowthPointTip(*ratio, ratioAt), "1 members: 5");

    // "No Of Shared DB2" at the last member count, up to the top of the total's axis; none
    // outside the range.
    QLineSeries* marker = Series(*sizes, "No Of Shared DB2");
    QVERIFY(marker && marker->count() == 2);
    QVERIFY(marker->at(0).x() == 3.0 && marker->at(1).x() == 3.0 && marker->at(1).y() >= 260);
    for (std::optional<int64_t> outside : {std::optional<int64_t>(9), std::optional<int64_t>()}) {
        report::SetGrowthPoints(*sizes, kPoints, outside);
        QCOMPARE(marker->count(), 0);
    }
}

void WhatIfPageTest::tableMarksTheMembersRowAndCopyAndExportGiveCsvAndPng() {
    core::CoreTables tables;
    tables.lstSelectedFiles = {LOOMSTEAD_SAMPLES_DIR "/db1a.sta"};
    QVERIFY(LoadDataFiles(tables, core::DiskFileSource()).ok());
    QVERIFY(core::ShareAllPools(tables).empty());
    ui::WhatIfPage page;
    ui::ScriptedReportDialogs dialogs;
    page.setReportDialogs(dialogs);
    page.resize(1000, 700);
    page.show();
    QSignalSpy shown(&page, &ui::WhatIfPage::sweepShown);
    QSignalSpy delivered(&page, &ui::WhatIfPage::delivered);
    page.startSweep(core::PrepareSizing(tables), QStringLiteral("10"), QStringLiteral("3"));
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 20000);

    QTableWidget* table = page.table();
    QCOMPARE(table->rowCount(), 8);
    for (int row = 0; row < table->rowCount(); ++row) {
        QCOMPARE(table->item(row, 0)->font().bold(), row == 2);
        QCOMPARE(table->item(row, 5)->font().bold(), row == 2);
    }

    // The pointer near a point of the drawn chart shows its tip.
    auto* sizesView = page.findChild<QChartView*>("chtWhatIf");
    QLineSeries* total = Series(*page.chart(), "Total memory");
    const QPointF third = page.chart()->mapToPosition(total->at(4), total);
    const QPoint near = sizesView->mapFromScene(page.chart()->mapToScene(third)) + QPoint(3, 3);
    QTest::mouseMove(sizesView->viewport(), near);
    QTRY_COMPARE(QToolTip::text(),
                 QStringLiteral("3 members: %1 Mb").arg(table->item(2, 5)->text()));

    ui::ClickButton(&page, QStringLiteral("cmdCopyWhatIf"));
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    const QStringList lines = copied->text().split("\r\n");
    QCOMPARE(lines.size(), 10);  // captions, 8 rows, and the empty piece after the last CRLF
    QCOMPARE(lines[0],
             "Members,SCA Size (Mb),Lock Structure (Mb),Dir/Data Ratio,IRLM ECSA (Mb),"
             "Total Memory (Mb)");
    QVERIFY(lines[3].startsWith("3,"));
    QCOMPARE(copied->data("text/csv"), copied->text().toUtf8());
    QVERIFY(!qvariant_cast<QImage>(copied->imageData()).isNull());
    QTemporaryDir dir;
    dialogs.whatIfExportPath = dir.filePath("growth.csv");
    ui::ClickButton(&page, QStringLiteral("cmdExportWhatIf"));
    QFile csv(*dialogs.whatIfExportPath);
    QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll() == copied->text().toUtf8());

    dialogs.whatIfExportPath = dir.filePath("growth.png");
    ui::ClickButton(&page, QStringLiteral("cmdExportWhatIf"));
    const QImage png(*dialogs.whatIfExportPath, "PNG");
    QCOMPARE(png.height(), page.findChild<QChartView*>("chtWhatIf")->height() +
                               page.findChild<QChartView*>("chtWhatIfRatio")->height());
    QCOMPARE(delivered.count(), 3);
    QCOMPARE(delivered.last().front().toString(), "Exported growth.png");

    // A file that cannot be written says so and leaves nothing behind.
    QSignalSpy failed(&page, &ui::WhatIfPage::exportFailed);
    dialogs.whatIfExportPath = dir.filePath("gone/growth.csv");
    ui::ClickButton(&page, QStringLiteral("cmdExportWhatIf"));
    QVERIFY(failed.count() == 1 && failed.front().front().toString().startsWith(
                                         "Cannot write " + *dialogs.whatIfExportPath));
}

QTEST_MAIN(WhatIfPageTest)
#include "what_if_page_test.moc"
