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

#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
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

// What a sizing run was given, for the exports.
struct ResultsInputs {
    QString membersText;
    QString ecsaText;
    core::LoadResult load;                     // the load whose tables were sized
    std::vector<core::ShareRefusal> refusals;  // pools the sharing rule refused
};

class ResultsPage : public QWidget {
    Q_OBJECT

public:
    // `tables` and `messages` must outlive the page. Export and print ask through the system's
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
    // the warnings panel (hidden when there are none) and the line under the list.
    void showResult(const core::SizingResult& result,
                    const std::vector<core::Warning>& warnings = {},
                    const ResultsInputs& inputs = {});

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

    std::optional<core::SizingResult> m_result;
    std::vector<core::Warning> m_resultWarnings;
    ResultsInputs m_inputs;
};

}  // namespace ui

#endif  // UI_RESULTS_PAGE_H_
