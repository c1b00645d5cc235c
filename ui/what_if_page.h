// The "What If" page: the shared pools and choices of the earlier pages sized for 1 to N
// members (N up to 32, 8 unless the user picks another), as a table of the recommendations and
// as the growth chart; with policy inputs that make a policy, the table also shows the
// coupling-facility storage the policy takes at each count. The sizing runs off the GUI thread, on
// a copy of the session's sizing basis, so the window never freezes and the tables may change
// while it runs; it changes none of the user's choices.
#ifndef UI_WHAT_IF_PAGE_H_
#define UI_WHAT_IF_PAGE_H_

#include <QFutureWatcher>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "report/report_data.h"

class QChart;
class QChartView;
class QImage;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

#include "core/sizing.h"

namespace ui {

// A finished sweep: the points, and the policy's storage per point (empty without a policy).
struct WhatIfSweep {
    std::vector<report::GrowthPoint> points;
    std::vector<int64_t> cfStorageMb;
};

class ReportDialogs;
class SystemReportDialogs;

class WhatIfPage : public QWidget {
    Q_OBJECT

public:
    explicit WhatIfPage(QWidget* parent = nullptr);
    // Stops a sweep still running and waits for its thread.
    ~WhatIfPage() override;

    // Sizes members 1 to the chosen N from `basis` (the sizing basis of the tables and choices
    // now) with the ECSA text; the page keeps the basis for a later change of N. A sweep still
    // running finishes first and only the newest request runs after it, so that what a sweep of
    // an older basis finds is never shown. The member count of `membersText` ("No Of Shared DB2")
    // is marked in the charts and in bold in the table.
    void startSweep(core::SizingBasis basis, const QString& ecsaText,
                    const QString& membersText = {});
    // The same for the basis of the last start, for a new ECSA text.
    void startSweep(const QString& ecsaText);

    // Stops a sweep still running at its next member count and drops what it found, without
    // waiting for it: leaving the page must not wait for the whole sweep.
    void cancelSweep();

    // The policy dialog's inputs for the sweeps that start from now on; inputs that break a
    // rule hide the storage column.
    void setPolicyInputs(const QVariantMap& inputs);

    QTableWidget* table() const;  // tblWhatIf
    QChart* chart() const;        // the sizes
    QChart* ratioChart() const;   // the directory/data ratio

    // Where Export asks for its file; by default a dialog. `dialogs` must outlive the page.
    void setReportDialogs(ReportDialogs& dialogs);

    // The table as CSV: a line of captions, then a line per member count, each ended by CRLF.
    QString tableCsv() const;
    // The two charts as shown, one below the other.
    QImage chartsImage() const;

signals:
    // The table and the chart show a finished sweep.
    void sweepShown();
    // Copy or Export did what was asked; `what` says so.
    void delivered(const QString& what);
    // Export could not write its file; `message` says which and why.
    void exportFailed(const QString& message);
    // The printer could not be started.
    void printFailed();

protected:
    // Shows the tip of the chart point under the pointer.
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Copy: the table as CSV and the charts as an image on the clipboard. Export: the table as
    // CSV or the charts as PNG, by the chosen file's ending. The page's buttons and the
    // window's Results menu both do these.
    void copyWhatIf();
    void exportWhatIf();
    // The table and the sizes chart, printed through `dialogs` (the results page's, so that
    // both print alike) or shown in its print preview.
    void printWhatIf(ReportDialogs& dialogs);
    void previewWhatIf(ReportDialogs& dialogs);

private:
    void runNext();
    void showPoints(const WhatIfSweep& sweep);

    QSpinBox* m_upTo;
    QLabel* m_status;
    QTableWidget* m_table;
    QPushButton* m_copyButton;
    QPushButton* m_exportButton;
    std::unique_ptr<SystemReportDialogs> m_systemDialogs;
    ReportDialogs* m_dialogs;
    QChart* m_chart;       // owned by its view
    QChart* m_ratioChart;  // owned by its view
    QList<QChartView*> m_chartViews;
    std::optional<int64_t> m_markedMembers;
    QFutureWatcher<WhatIfSweep> m_watcher;
    QString m_ecsaText;
    std::shared_ptr<const core::SizingBasis> m_basis;  // of the last start, shared with its sweep
    std::optional<int> m_pendingUpTo;                  // a request made while a sweep ran
    std::shared_ptr<std::atomic<bool>> m_cancel;       // of the sweep last started
    QVariantMap m_policyInputs;
};

}  // namespace ui

#endif  // UI_WHAT_IF_PAGE_H_
