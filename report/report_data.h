// What the printable report shows, as plain values taken from one sizing run: the files, the two
// typed texts, the recommendations with their traces, the pool table, the warnings and the
// growth of the sizes with the number of members.
#ifndef REPORT_REPORT_DATA_H_
#define REPORT_REPORT_DATA_H_

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace core {
struct SizingRun;
struct SweepPoint;
}  // namespace core

namespace report {

struct ReportFile {
    QString path;
    int64_t sizeBytes = -1;  // as the load opened it; -1 when the load did not reach it
    QString collectionTime;  // columns 142-149 of the file's lead record; empty when none
};

// One of the five recommendations.
struct ReportFigure {
    QString key;      // the batch sizer's JSON key, e.g. "sca_size_mb"
    QString caption;  // the results page's caption, e.g. "SCA Size"
    QString value;    // "8", or "n/a" for a ratio that cannot be computed
    QString unit;     // "Mb", or "directory entries per data entry"
    QStringList why;
};

struct ReportPool {
    QString name;
    int64_t shared = 0;
    int64_t cacheAll = 0;
    int64_t vpSize = 0;        // pages
    int64_t hpSize = 0;        // pages
    int64_t gbpSizePages = 0;  // the "GBP Size" cell
    int64_t pageSizeKb = 4;    // of the group buffer pool; 4 for a name outside the table
    QStringList why;           // condensed: see CondensePoolTrace
};

// The recommendations of one member count; the Mb figures of each structure.
struct GrowthPoint {
    int64_t members = 0;
    int64_t scaSizeMb = 0;
    int64_t lockStructureSizeMb = 0;
    std::optional<int64_t> directoryDataRatio;
    int64_t irlmEcsaSizeMb = 0;
    int64_t gbpMemoryMb = 0;  // the group buffer pools' share of the total
    int64_t totalMemoryMb = 0;
};

struct ReportWarning {
    QString code;
    QString message;
};

struct ReportData {
    QString title = QStringLiteral("Loomstead coupling facility sizing");
    QDateTime created;
    std::vector<ReportFile> files;
    QString membersText;  // "No Of Shared DB2" as typed
    QString ecsaText;     // "ECSA Size for IRLM " as typed
    QString collectionTime;
    int64_t poolsShared = 0;
    int64_t totalSystemObjects = 0;
    std::vector<ReportFigure> recommendations;  // SCA, lock, ratio, IRLM ECSA, total
    std::vector<ReportPool> pools;
    int64_t gbpColumnPages = 0;  // the "GBP Size" column added up
    int64_t gbpTotalPages = 0;   // the GBP pages the total memory counts
    std::vector<ReportWarning> warnings;
    std::vector<GrowthPoint> growth;  // in increasing member order; empty leaves out the chart
};

// The growth point of one sweep point.
GrowthPoint GrowthPointOf(const core::SweepPoint& point);

// The report of a run; the files' sizes and collection times are the load's, so that nothing is
// read again. The creation time is now. The growth is the run's sweep: none leaves out the chart.
// The two typed texts are read as UTF-8 where they are valid UTF-8 (the desktop program hands
// them so), else as Latin-1 (the batch sizer's data bytes).
ReportData BuildReportData(const core::SizingRun& run);

// A pool's trace as the report prints it: a pool with more than two rows (spread over many
// files) keeps its first and last row's steps and says how many rows were left out; the closing
// steps stay. A step of more than 600 characters is cut there, saying how much was left out.
QStringList CondensePoolTrace(const QStringList& why);

}  // namespace report

#endif  // REPORT_REPORT_DATA_H_
