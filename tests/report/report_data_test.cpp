// The report's data from a real sizing run: a pool spread over many files shows its first and
// last rows and the count, over-long steps are cut, and each file's size and collection time
// are read from the file itself.
#include "report_data.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "file_source.h"
#include "loader.h"
#include "pool_sharing.h"
#include "sizing.h"
#include "sweep.h"
#include "tables.h"
#include "warnings.h"

class ReportDataTest : public QObject {
    Q_OBJECT

private slots:
    void poolOverManyFilesKeepsFirstAndLastRows();
    void longStepsAreCut();
};

void ReportDataTest::poolOverManyFilesKeepsFirstAndLastRows() {
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
    const core::SizingResult sizing = core::RunSizing(tables, "2", "4");
    // The sizes and times are the load's: the files are not read again.
    QVERIFY(QFile::remove(dir.filePath("d.sta")));
    report::ReportData data = report::BuildReportData(tables, sizing, {}, {}, "2", "4");

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

void ReportDataTest::longStepsAreCut() {
    const QStringList why = report::CondensePoolTrace({QString(601, 'x'), QString(600, 'y')});
    QCOMPARE(why, (QStringList{QString(600, 'x') + "... (1 more characters)", QString(600, 'y')}));
}

QTEST_GUILESS_MAIN(ReportDataTest)
#include "report_data_test.moc"
