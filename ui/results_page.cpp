#include "ui/results_page.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/recommendations.h"
#include "core/tables.h"
#include "report/printable_report.h"
#include "report/report_data.h"
#include "ui/busy_guard.h"
#include "ui/column_widths.h"
#include "ui/data_text.h"
#include "ui/dialogs.h"
#include "ui/first_arrow_selects.h"
#include "ui/list_view_sort.h"
#include "ui/page_hint.h"
#include "ui/report_dialogs.h"
#include "ui/results_export.h"
#include "ui/results_model.h"

namespace ui {
namespace {

struct Caption {
    std::string_view text;
    int row;
    int column;  // 0 left pair, 1 right pair
    const char* toolTip;
};

constexpr char kMbTip[] = "In megabytes (Mb).";

// A frame of caption/value pairs in two columns; returns the value labels in caption order.
template <size_t N>
std::array<QLabel*, N> AddValueFrame(QGroupBox* frame, const std::array<Caption, N>& captions,
                                     const QString& valueNamePrefix) {
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    std::array<QLabel*, N> values{};
    for (size_t i = 0; i < N; ++i) {
        auto* caption =
            new QLabel(QString::fromLatin1(captions[i].text.data(),
                                           static_cast<qsizetype>(captions[i].text.size())),
                       frame);
        auto* value = new QLabel(frame);
        value->setObjectName(valueNamePrefix + QString::number(i));
        // A screen reader says the caption, as the value's label, and then the value itself.
        caption->setBuddy(value);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("  00000000 Mb")));
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        if (captions[i].toolTip) {
            caption->setToolTip(QString::fromLatin1(captions[i].toolTip));
            value->setToolTip(caption->toolTip());
        }
        grid->addWidget(caption, captions[i].row, captions[i].column * 2);
        grid->addWidget(value, captions[i].row, captions[i].column * 2 + 1);
        values[i] = value;
    }
    return values;
}

// The value as shown, and as assistive technology reads it: without the blanks that align it.
void SetValueText(QLabel* value, const QString& text) {
    value->setText(text);
    value->setAccessibleName(text.trimmed());
}

QString WithThousands(int64_t value) {
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > (value < 0 ? 1 : 0); i -= 3) {
        digits.insert(i, ',');
    }
    return digits;
}

}  // namespace

ResultsPage::ResultsPage(const core::CoreTables& tables, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      m_tables(tables),
      m_messages(messages),
      m_systemDialogs(std::make_unique<SystemReportDialogs>()),
      m_dialogs(m_systemDialogs.get()),
      m_model(new ResultsModel(this)),
      m_sortModel(new QSortFilterProxyModel(this)),
      m_resultsView(new QTreeView(this)),
      m_gbpTotals(new QLabel(this)),
      m_traceBox(new QGroupBox(QStringLiteral("Why"), this)),
      m_trace(new QPlainTextEdit(m_traceBox)),
      m_warningsBox(new QGroupBox(QStringLiteral("Warnings"), this)),
      m_warnings(new QListWidget(m_warningsBox)),
      m_buttonRow(new QHBoxLayout),
      m_copyButton(new QPushButton(QStringLiteral("&Copy"), this)),
      m_exportButton(new QPushButton(QStringLiteral("&Export..."), this)),
      m_printButton(new QPushButton(QStringLiteral("&Print..."), this)) {
    auto* systemInfo = new QGroupBox(QStringLiteral("System Information"), this);
    systemInfo->setObjectName(QStringLiteral("fraSystemInfo"));
    m_info = AddValueFrame<4>(systemInfo,
                              {{{"Collection Time", 0, 0, nullptr},
                                {"No Of Pools Shared", 1, 0, nullptr},
                                {"No of Shared DB2", 0, 1, nullptr},
                                {"Total System Objects", 1, 1, nullptr}}},
                              QStringLiteral("lblInfo"));

    auto* recommendations = new QGroupBox(QStringLiteral("Recommendations"), this);
    recommendations->setObjectName(QStringLiteral("frarecommendation"));
    const auto& names = core::kRecommendationNames;
    m_recommendation = AddValueFrame<core::kRecommendationCount>(
        recommendations,
        {{{names[0].caption, 0, 0, kMbTip},
          {names[1].caption, 1, 0, kMbTip},
          {names[2].caption, 2, 0, "Directory entries per data entry."},
          {names[3].caption, 0, 1, kMbTip},
          {names[4].caption, 1, 1,
           "In megabytes (Mb): the SCA, the lock structure, the IRLM ECSA and the group buffer "
           "pools, each GBP page counted as 4 KB."}}},
        QStringLiteral("lblRecommendation"));
    // A figure is chosen like a list row: by a click or by Tab, and its steps show below.
    for (QLabel* value : m_recommendation) {
        value->setFocusPolicy(Qt::StrongFocus);
        value->setCursor(Qt::PointingHandCursor);
        value->setToolTip(value->toolTip() + QStringLiteral(" Click to see how it came about."));
        value->installEventFilter(this);
    }

    // Numbers sort by value; in pool names letter case plays no part, as in the pool lists.
    m_sortModel->setSourceModel(m_model);
    m_sortModel->setSortRole(ResultsModel::kSortRole);
    m_sortModel->setSortCaseSensitivity(Qt::CaseInsensitive);

    m_resultsView->setObjectName(QStringLiteral("lvResults"));
    m_resultsView->setModel(m_sortModel);
    m_resultsView->setRootIsDecorated(false);
    m_resultsView->setUniformRowHeights(true);
    m_resultsView->setAlternatingRowColors(true);
    m_resultsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_resultsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_resultsView->setSortingEnabled(false);
    QHeaderView* header = m_resultsView->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSortIndicatorShown(false);
    header->setMinimumSectionSize(24);
    header->resizeSection(ResultsModel::kPool, 110);
    for (int column = ResultsModel::kShared; column < ResultsModel::kColumnCount; ++column) {
        header->resizeSection(column, 90);
    }
    FitColumnsToCaptions(*m_resultsView, QStringLiteral(" (D)"));
    const QString sortHelp = QStringLiteral(
        "Click a column title to sort by it; click again to reverse. From the keyboard: "
        "Ctrl+1 to Ctrl+6 sort by the first to the sixth column");
    header->setToolTip(sortHelp);
    m_resultsView->setAccessibleName(QStringLiteral("Results"));
    MakeFirstArrowSelect(*m_resultsView);
    m_resultsView->setAccessibleDescription(sortHelp);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { SortListViewByColumn(*m_resultsView, column); });
    for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
        auto* sortKey =
            new QShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier,
                                                       static_cast<Qt::Key>(Qt::Key_1 + column))),
                          this);
        sortKey->setContext(Qt::WidgetWithChildrenShortcut);
        connect(sortKey, &QShortcut::activated, this,
                [this, column] { SortListViewByColumn(*m_resultsView, column); });
    }

    connect(m_resultsView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showPoolTrace(current); });
    // A click on the row already current, after a recommendation was shown, shows it again.
    connect(m_resultsView, &QTreeView::clicked, this, &ResultsPage::showPoolTrace);

    m_gbpTotals->setObjectName(QStringLiteral("lblGbpTotals"));
    m_gbpTotals->setWordWrap(true);
    m_gbpTotals->setToolTip(
        QStringLiteral("The GBP Size column shows each pool's last row; the total memory adds "
                       "the GBP pages of every row, so a pool spread over several files counts "
                       "once per file."));

    m_trace->setObjectName(QStringLiteral("txtWhy"));
    m_trace->setAccessibleName(QStringLiteral("Why"));
    m_trace->setReadOnly(true);
    m_trace->setPlaceholderText(
        QStringLiteral("Select a recommendation or a pool to see how it came about."));
    auto* traceLayout = new QVBoxLayout(m_traceBox);
    traceLayout->setContentsMargins(4, 2, 4, 4);
    traceLayout->addWidget(m_trace);

    m_warnings->setObjectName(QStringLiteral("lstWarnings"));
    m_warnings->setAccessibleName(QStringLiteral("Warnings"));
    m_warnings->setWordWrap(true);
    m_warnings->setTextElideMode(Qt::ElideNone);
    auto* warningsLayout = new QVBoxLayout(m_warningsBox);
    warningsLayout->setContentsMargins(4, 2, 4, 4);
    warningsLayout->addWidget(m_warnings);
    m_warningsBox->hide();

    // The list and the notes under it share the height as the user drags their border.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splResults"));
    auto* listPart = new QWidget(splitter);
    auto* listLayout = new QVBoxLayout(listPart);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(m_resultsView, 1);
    listLayout->addWidget(m_gbpTotals);
    auto* notesPart = new QWidget(splitter);
    auto* notes = new QHBoxLayout(notesPart);
    notes->setContentsMargins(0, 0, 0, 0);
    notes->addWidget(m_traceBox, 3);
    notes->addWidget(m_warningsBox, 2);
    splitter->addWidget(listPart);
    splitter->addWidget(notesPart);
    splitter->setChildrenCollapsible(false);

    m_copyButton->setObjectName(QStringLiteral("cmdCopy"));
    m_copyButton->setToolTip(
        QStringLiteral("Copy the pool table and the recommendations as tab-separated text"));
    m_exportButton->setObjectName(QStringLiteral("cmdExport"));
    m_exportButton->setToolTip(QStringLiteral("Save the results as a PDF report, CSV or JSON"));
    m_printButton->setObjectName(QStringLiteral("cmdPrint"));
    m_printButton->setToolTip(QStringLiteral("Print the report"));
    for (QPushButton* button : {m_copyButton, m_exportButton, m_printButton}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
        button->setAccessibleName(
            button->text().remove(QLatin1Char('&')).remove(QStringLiteral("...")));
        m_buttonRow->addWidget(button);
    }
    auto* cfrmButton = new QPushButton(QStringLiteral("CFRM Po&licy…"), this);
    cfrmButton->setObjectName(QStringLiteral("cmdCfrmPolicy"));
    cfrmButton->setAccessibleName(QStringLiteral("CFRM Policy"));
    cfrmButton->setAutoDefault(false);
    connect(cfrmButton, &QPushButton::clicked, this, &ResultsPage::cfrmPolicyRequested);
    m_buttonRow->addWidget(cfrmButton);
    auto* runningButton = new QPushButton(QStringLiteral("Ru&nning Group…"), this);
    runningButton->setObjectName(QStringLiteral("cmdRunningGroup"));
    runningButton->setAccessibleName(QStringLiteral("Running Group"));
    runningButton->setAutoDefault(false);
    connect(runningButton, &QPushButton::clicked, this, &ResultsPage::runningGroupRequested);
    m_buttonRow->addWidget(runningButton);
    m_buttonRow->addSpacing(12);
    // Beside the buttons rather than under them: the page's height goes to the table and Why.
    m_buttonRow->addWidget(
        NewPageHint(QStringLiteral("Click \u201CWhat If\u201D to go on: the same "
                                   "choices sized for more members."),
                    QStringLiteral("lblResultsHint"), this),
        1);
    connect(m_copyButton, &QPushButton::clicked, this, &ResultsPage::copyResults);
    connect(m_exportButton, &QPushButton::clicked, this, &ResultsPage::exportResults);
    connect(m_printButton, &QPushButton::clicked, this, &ResultsPage::printResults);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addWidget(systemInfo);
    layout->addWidget(recommendations);
    layout->addWidget(splitter, 1);
    layout->addLayout(m_buttonRow);

    // Tab goes as the page reads, top to bottom and left to right; the widgets were made in
    // another order.
    QList<QWidget*> chain(m_recommendation.begin(), m_recommendation.end());
    chain << m_resultsView << m_trace << m_warnings << m_copyButton << m_exportButton
          << m_printButton << cfrmButton;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
}

ResultsPage::~ResultsPage() = default;

void ResultsPage::setReportDialogs(ReportDialogs& dialogs) { m_dialogs = &dialogs; }

void ResultsPage::clearResults() {
    m_model->clear();
    m_run.reset();
    m_trace->clear();
    m_traceBox->setTitle(QStringLiteral("Why"));
    m_warnings->clear();
    m_warningsBox->hide();
    m_gbpTotals->clear();
    for (QPushButton* button : {m_copyButton, m_exportButton, m_printButton}) {
        button->setEnabled(false);
    }
}

void ResultsPage::showResult(const core::SizingResult& result,
                             const std::vector<core::Warning>& warnings) {
    core::SizingRun run;
    run.result = result;
    run.warnings = warnings;
    showResult(run);
}

void ResultsPage::showResult(const core::SizingRun& run) {
    clearResults();
    const core::SizingResult& result = run.result;
    const std::vector<core::Warning>& warnings = run.warnings;
    for (size_t i = 0; i < m_info.size(); ++i) {
        SetValueText(m_info[i], DataText(result.lblInfo[i]));
    }
    for (size_t i = 0; i < m_recommendation.size(); ++i) {
        SetValueText(m_recommendation[i], DataText(result.lblRecommendation[i]));
    }
    m_model->setPools(result.pools);

    int64_t columnPages = 0;
    for (const core::PoolResult& pool : result.pools) {
        columnPages += pool.gbpSize;
    }
    m_gbpTotals->setText(
        QStringLiteral("GBP Size column: %1 pages in all. The total memory counts %2 GBP pages "
                       "at 4 KB each%3.")
            .arg(WithThousands(columnPages), WithThousands(result.gbpTotalPages),
                 columnPages == result.gbpTotalPages
                     ? QString()
                     : QStringLiteral(": it adds every row of a pool spread over several "
                                      "files, the column only the last")));

    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const core::Warning& warning : warnings) {
        auto* item =
            new QListWidgetItem(warningIcon, QString::fromStdString(warning.message), m_warnings);
        item->setToolTip(QString::fromStdString(warning.code));
    }
    m_warningsBox->setTitle(QStringLiteral("Warnings (%1)").arg(warnings.size()));
    m_warningsBox->setVisible(!warnings.empty());

    m_run = run;
    for (QPushButton* button : {m_copyButton, m_exportButton, m_printButton}) {
        button->setEnabled(true);
    }
}

QTreeView* ResultsPage::resultsView() const { return m_resultsView; }

QHBoxLayout* ResultsPage::buttonRow() const { return m_buttonRow; }

void ResultsPage::copyResults() {
    if (!m_run) {
        return;
    }
    core::SizingResult shown = m_run->result;
    shown.pools.clear();
    for (int row = 0; row < m_sortModel->rowCount(); ++row) {
        const int source = m_sortModel->mapToSource(m_sortModel->index(row, 0)).row();
        if (source >= 0 && static_cast<size_t>(source) < m_run->result.pools.size()) {
            shown.pools.push_back(m_run->result.pools[static_cast<size_t>(source)]);
        }
    }
    QApplication::clipboard()->setText(ResultsTsv(shown));
    emit resultsDelivered(QStringLiteral("Copied the results to the clipboard"));
}

void ResultsPage::exportResults() {
    if (!m_run) {
        return;
    }
    const std::optional<QString> path = m_dialogs->chooseExportPath(this);
    if (!path) {
        return;
    }
    QString error;
    bool written = false;
    {
        const BusyGuard busy;
        written = ExportResults(*m_run, m_tables, *path, &error);
    }
    if (!written) {
        m_messages.showMessage(MessageIcon::kCritical, QString::fromLatin1(kExportTitle), error);
        return;
    }
    emit resultsDelivered(QStringLiteral("Exported %1").arg(QFileInfo(*path).fileName()));
}

void ResultsPage::printResults() {
    if (!m_run) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Loomstead results"));
    setUpReportPrinter(printer);
    if (!m_dialogs->setUpPrinter(printer, this)) {
        return;
    }
    bool printed = false;
    {
        const BusyGuard busy;
        printed = report::Print(reportData(), printer);
    }
    if (!printed) {
        m_messages.showMessage(MessageIcon::kCritical, QString::fromLatin1(kPrintTitle),
                               QStringLiteral("The printer could not be started."));
        return;
    }
    emit resultsDelivered(printer.outputFileName().isEmpty()
                              ? QStringLiteral("Sent the report to %1").arg(printer.printerName())
                              : QStringLiteral("Printed the report to %1")
                                    .arg(QFileInfo(printer.outputFileName()).fileName()));
}

void ResultsPage::previewResults() {
    if (!m_run) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Loomstead results"));
    setUpReportPrinter(printer);
    const report::ReportData data = reportData();
    m_dialogs->showPrintPreview(
        printer, [&data](QPrinter& shown) { (void)report::Print(data, shown); }, this);
}

void ResultsPage::setUpReportPrinter(QPrinter& printer) {
    constexpr double m = report::kPageMarginMm;
    printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

report::ReportData ResultsPage::reportData() const { return MakeReportData(*m_run, m_tables); }

bool ResultsPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) {
        for (size_t i = 0; i < m_recommendation.size(); ++i) {
            if (watched == m_recommendation[i]) {
                showRecommendationTrace(i);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ResultsPage::showRecommendationTrace(size_t index) {
    if (!m_run) {
        return;
    }
    const core::Recommendation shown = core::Recommendations(m_run->result)[index];
    for (size_t i = 0; i < m_recommendation.size(); ++i) {
        m_recommendation[i]->setFrameShape(i == index ? QFrame::StyledPanel : QFrame::NoFrame);
    }
    m_resultsView->clearSelection();
    showTrace(QStringLiteral("Why %1 = %2")
                  .arg(QString::fromLatin1(shown.caption.data(),
                                           static_cast<qsizetype>(shown.caption.size())),
                       DataText(shown.label).trimmed()),
              shown.why);
}

void ResultsPage::showPoolTrace(const QModelIndex& proxyIndex) {
    const QModelIndex source = m_sortModel->mapToSource(proxyIndex);
    if (!m_run || !source.isValid() ||
        static_cast<size_t>(source.row()) >= m_run->result.pools.size()) {
        return;
    }
    for (QLabel* value : m_recommendation) {
        value->setFrameShape(QFrame::NoFrame);
    }
    const core::PoolResult& pool = m_run->result.pools[static_cast<size_t>(source.row())];
    showTrace(QStringLiteral("Why %1 = %2 GBP pages").arg(DataText(pool.pool)).arg(pool.gbpSize),
              pool.why);
}

void ResultsPage::showTrace(const QString& title, const core::Trace& why) {
    m_traceBox->setTitle(title);
    QStringList lines;
    for (const std::string& step : why) {
        lines << QStringLiteral("\u2022 ") + QString::fromStdString(step);
    }
    m_trace->setPlainText(lines.isEmpty() ? QStringLiteral("No steps recorded.")
                                          : lines.join('\n'));
}

}  // namespace ui
