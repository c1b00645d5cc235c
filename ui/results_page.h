// The "View Results" page: system information, the five recommendations and the results list
// "lvResults", which sorts on a click on a column title. Beside them: how the selected figure
// came about, the warnings of the run, and the ways the results leave the program (Copy,
// Export..., Print...).
#ifndef UI_RESULTS_PAGE_H_
#define UI_RESULTS_PAGE_H_

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/sizing.h"
#include "core/sizing_run.h"
#include "core/warnings.h"

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QPrinter;
class QTreeView;

namespace report {
struct ReportData;
}

namespace core {
class CoreTables;
}

namespace ui {

class MessageSink;
class ReportDialogs;
class ResultsModel;
class SystemReportDialogs;

class ResultsPage : public QWidget {
    Q_OBJECT

public:
    // `tables` and `messages` must outlive the page; the tables give the report its growth chart
    // when a run comes without a sweep. Export and print ask through the system's
    // dialogs until setReportDialogs() says otherwise.
    ResultsPage(const core::CoreTables& tables, MessageSink& messages, QWidget* parent = nullptr);
    ~ResultsPage() override;

    // `dialogs` must outlive the page.
    void setReportDialogs(ReportDialogs& dialogs);
    // Where export and print ask now; the What If page's printing asks there too.
    ReportDialogs& reportDialogs() const { return *m_dialogs; }
    // A printer with the report's margins.
    static void setUpReportPrinter(QPrinter& printer);

    // Empties lvResults, the trace and the warnings and disables the buttons; the value labels
    // keep their texts until the next showResult().
    void clearResults();

    // Writes the nine value labels and fills lvResults (a sort chosen earlier stays in force),
    // the warnings panel (hidden when there are none) and the line under the list. The page
    // keeps a copy of `run` for Copy, Export and Print.
    void showResult(const core::SizingRun& run);
    // The same for a run known only by its figures and warnings: its exports name no file and
    // no typed text.
    void showResult(const core::SizingResult& result,
                    const std::vector<core::Warning>& warnings = {});

    QTreeView* resultsView() const;  // lvResults, whose column widths are kept
    // The row of buttons at the foot of the page, for other actions on the results.
    QHBoxLayout* buttonRow() const;

public slots:
    // The pool table in the order it is shown, and the recommendations.
    void copyResults();
    void exportResults();
    void printResults();
    void previewResults();

signals:
    // "CFRM Policy…" was clicked.
    void cfrmPolicyRequested();
    // "Running Group…" was clicked.
    void runningGroupRequested();
    // Copy, Export or Print went through: what was done and where, for the status bar
    // ("Exported report.pdf"). A failure or a cancel says nothing here.
    void resultsDelivered(const QString& what);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showRecommendationTrace(size_t index);
    void showPoolTrace(const QModelIndex& proxyIndex);
    void showTrace(const QString& title, const core::Trace& why);
    report::ReportData reportData() const;

    const core::CoreTables& m_tables;
    MessageSink& m_messages;
    std::unique_ptr<SystemReportDialogs> m_systemDialogs;
    ReportDialogs* m_dialogs;
    ResultsModel* m_model;
    QSortFilterProxyModel* m_sortModel;
    QTreeView* m_resultsView;
    std::array<QLabel*, 4> m_info{};
    std::array<QLabel*, 5> m_recommendation{};
    QLabel* m_gbpTotals;
    QGroupBox* m_traceBox;
    QPlainTextEdit* m_trace;
    QGroupBox* m_warningsBox;
    QListWidget* m_warnings;
    QHBoxLayout* m_buttonRow;
    QPushButton* m_copyButton;
    QPushButton* m_exportButton;
    QPushButton* m_printButton;

    std::optional<core::SizingRun> m_run;
};

}  // namespace ui

#endif  // UI_RESULTS_PAGE_H_
