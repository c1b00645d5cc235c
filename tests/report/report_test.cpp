// The report's data from a real sizing run: a pool spread over many files shows its first and
// last rows and the count, over-long steps are cut, and each file's size and collection time
// are read from the file itself. The growth charts as the printed report draws them: both of
// them, the sizes above the ratio, across the whole width of the page.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "core/input_files.h"
#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/sizing_run.h"
#include "core/sweep.h"
#include "core/tables.h"
#include "core/warnings.h"
#include "report/printable_report.h"
#include "report/report_data.h"

class ReportTest : public QObject {
    Q_OBJECT

private slots:
    void poolOverManyFilesKeepsFirstAndLastRows();
    void longStepsAreCut();
    void typedTextsReadAsEachProgramHandsThem_data();
    void typedTextsReadAsEachProgramHandsThem();
    void bothGrowthChartsSpanThePageWidth();
};

void ReportTest::poolOverManyFilesKeepsFirstAndLastRows() {
    const QTemporaryDir dir;
    core::CoreTables tables;
    for (const char* name : {"a.sta", "b.sta", "c.sta", "d.sta"}) {
        QVERIFY(QFile::copy(LOOMSTEAD_SAMPLES_DIR "/db1a.sta", dir.filePath(name)));
        core::AddSelectedFile(tables, dir.filePath(name).toStdString());
    }
    QVERIFY(core::LoadDataFiles(tables, core::DiskFileSource{}).ok());
    core::CountWorkFileObjects(tables);
    (void)core::ShareAllPools(tables);
    core::RebuildSharedPoolList(tables);
    core::SizingRun run;
    run.result = core::RunSizing(tables, "2", "4");
    // The sizes and times are the load's: the files are not read again.
    QVERIFY(QFile::remove(dir.filePath("d.sta")));
    run.files = core::DescribeInputFiles(tables);
    run.membersText = "2";
    run.ecsaText = "4";
    report::ReportData data = report::BuildReportData(run);

    QCOMPARE(data.files.size(), size_t{4});
    QCOMPARE(data.files[3].sizeBytes, 134385);
    QCOMPARE(data.files[3].collectionTime, "14.30.00");
    QCOMPARE(data.pools[0].name, "BP0");
    const QStringList& why = data.pools[0].why;
    const QStringList rows = why.filter(QRegularExpression("^row \\d of 4"));
    QVERIFY(rows.size() == 2 && rows[0].startsWith("row 1 ") && rows[1].startsWith("row 4 "));
    QVERIFY(why.contains("rows 2 to 3 of 4 left out here (2 rows)"));
    QVERIFY(why.last().startsWith("cells:"));
}

void ReportTest::longStepsAreCut() {
    const QStringList why = report::CondensePoolTrace({QString(601, 'x'), QString(600, 'y')});
    QCOMPARE(why, (QStringList{QString(600, 'x') + "... (1 more characters)", QString(600, 'y')}));
}

void ReportTest::typedTextsReadAsEachProgramHandsThem_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("2") << "2";
    // The desktop program hands the session UTF-8, the batch sizer Latin-1.
    QTest::newRow("utf-8") << QByteArray("2\xC3\xA9") << QString::fromUtf8("2\u00E9");
    QTest::newRow("latin-1") << QByteArray("2\xE9") << QString::fromUtf8("2\u00E9");
}

void ReportTest::typedTextsReadAsEachProgramHandsThem() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    core::SizingRun run;
    run.membersText = bytes.toStdString();
    run.ecsaText = bytes.toStdString();
    const report::ReportData data = report::BuildReportData(run);
    QCOMPARE(data.membersText, shown);
    QCOMPARE(data.ecsaText, shown);
}

void ReportTest::bothGrowthChartsSpanThePageWidth() {
    report::ReportData data;
    data.membersText = QStringLiteral("2");
    for (int64_t members = 1; members <= 8; ++members) {
        data.growth.push_back({.members = members,
                               .scaSizeMb = 8,
                               .lockStructureSizeMb = 8 * members,
                               .directoryDataRatio = 4 + members,
                               .irlmEcsaSizeMb = 6,
                               .gbpMemoryMb = 500 * members - 30,
                               .totalMemoryMb = 500 * members});
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
            if (qGray(page.pixel(x, y)) < 160) {
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

QTEST_MAIN(ReportTest)
#include "report_test.moc"
