#include "ui/what_if_page.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QEvent>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "core/cfrm_policy.h"
#include "core/recommendations.h"
#include "core/sweep.h"
#include "report/growth_chart.h"
#include "ui/cfrm_dialog.h"
#include "ui/report_dialogs.h"
#include "ui/results_export.h"
#include "ui/results_page.h"
#include "ui/what_if_output.h"

namespace ui {
namespace {

constexpr int kDefaultUpTo = 8;
constexpr int kMostMembers = 32;
constexpr int kStorageColumn = 6;

WhatIfSweep Sweep(std::shared_ptr<const core::SizingBasis> basis, const std::string& ecsa, int upTo,
                  const std::optional<core::CfrmOptions>& policy,
                  std::shared_ptr<const std::atomic<bool>> cancel) {
    core::SweepOptions options;
    options.fromMembers = 1;
    options.toMembers = upTo;
    options.cancel = cancel.get();
    WhatIfSweep sweep;
    const std::vector<core::SweepPoint> points = core::SweepMembers(*basis, ecsa, options);
    for (const core::SweepPoint& point : points) {
        sweep.points.push_back(report::GrowthPointOf(point));
    }
    if (policy && !*cancel) {
        for (const core::CfrmSweepPoint& point : core::CfrmSweep(points, {}, *policy)) {
            sweep.cfStorageMb.push_back(point.cfStorageMb);
        }
    }
    return sweep;
}

QTableWidgetItem* NumberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

WhatIfPage::WhatIfPage(QWidget* parent)
    : QWidget(parent),
      m_upTo(new QSpinBox(this)),
      m_status(new QLabel(this)),
      m_table(new QTableWidget(0, 7, this)),
      m_copyButton(new QPushButton(QStringLiteral("C&opy"), this)),
      m_exportButton(new QPushButton(QStringLiteral("E&xport…"), this)),
      m_systemDialogs(std::make_unique<SystemReportDialogs>()),
      m_dialogs(m_systemDialogs.get()) {
    auto* upToLabel = new QLabel(QStringLiteral("Size for &1 to"), this);
    upToLabel->setBuddy(m_upTo);
    m_upTo->setObjectName(QStringLiteral("spnMembersUpTo"));
    m_upTo->setAccessibleName(QStringLiteral("Size for 1 to how many members"));
    m_upTo->setRange(1, kMostMembers);
    m_upTo->setValue(kDefaultUpTo);
    m_upTo->setSuffix(QStringLiteral(" members"));
    m_upTo->setKeyboardTracking(false);
    m_upTo->setToolTip(QStringLiteral("A data-sharing group has at most 32 members"));
    m_status->setObjectName(QStringLiteral("lblWhatIfStatus"));
    m_status->setWordWrap(true);  // in a narrow window the line would widen the window

    m_table->setObjectName(QStringLiteral("tblWhatIf"));
    m_table->setAccessibleName(QStringLiteral("Recommendations per member count"));
    // Captions on two lines, so that the table leaves the width to the charts: the unit under
    // the caption, or a caption without one broken at its blank.
    QStringList headers = {"Members"};
    for (const core::RecommendationName& name : core::kRecommendationNames) {
        QString caption = QString::fromUtf8(name.shortCaption.data(),
                                            static_cast<qsizetype>(name.shortCaption.size()));
        if (name.unit.empty()) {
            caption.replace(caption.lastIndexOf(' '), 1, '\n');
        } else {
            caption += QStringLiteral("\n(%1)").arg(
                QString::fromUtf8(name.unit.data(), static_cast<qsizetype>(name.unit.size())));
        }
        headers << caption;
    }
    headers << "CF Storage\n(MB)";
    m_table->setHorizontalHeaderLabels(headers);
    m_table->horizontalHeaderItem(kStorageColumn)
        ->setToolTip(QStringLiteral("The CFRM policy's INITSIZE, duplexed copies twice"));
    m_table->setColumnHidden(kStorageColumn, true);
    m_table->horizontalHeaderItem(3)->setToolTip(
        QStringLiteral("Directory/Data Ratio: directory entries per data entry"));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAlternatingRowColors(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* charts = new QSplitter(Qt::Vertical, this);
    charts->setObjectName(QStringLiteral("splWhatIfCharts"));
    charts->setChildrenCollapsible(false);
    const auto addChart = [&](report::GrowthChartKind kind, const char* name,
                              const QString& accessibleName) {
        std::unique_ptr<QChart> chart = report::MakeGrowthChart(kind, {});
        auto* view = new QChartView(chart.release(), charts);
        view->setObjectName(QString::fromLatin1(name));
        view->setAccessibleName(accessibleName);
        view->viewport()->setAccessibleName(accessibleName);
        view->setRenderHint(QPainter::Antialiasing);
        view->setFrameShape(QFrame::NoFrame);
        view->chart()->layout()->setContentsMargins(0, 0, 0, 0);
        view->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
        charts->addWidget(view);
        m_chartViews.append(view);
        return view->chart();
    };
    m_chart = addChart(report::GrowthChartKind::kSizes, "chtWhatIf",
                       QStringLiteral("Sizes against members"));
    m_ratioChart = addChart(report::GrowthChartKind::kRatio, "chtWhatIfRatio",
                            QStringLiteral("Directory/data ratio against members"));

    m_copyButton->setObjectName(QStringLiteral("cmdCopyWhatIf"));
    m_copyButton->setToolTip(QStringLiteral("Copy the table as CSV and the charts as a picture"));
    m_exportButton->setObjectName(QStringLiteral("cmdExportWhatIf"));
    m_exportButton->setToolTip(
        QStringLiteral("Save the table as CSV (.csv) or the charts as a PNG picture (.png)"));
    for (QPushButton* button : {m_copyButton, m_exportButton}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
        button->setAccessibleName(
            button->text().remove(QLatin1Char('&')).remove(QStringLiteral("…")));
    }
    connect(m_copyButton, &QPushButton::clicked, this, &WhatIfPage::copyWhatIf);
    connect(m_exportButton, &QPushButton::clicked, this, &WhatIfPage::exportWhatIf);

    charts->setSizes({1, 1});  // the two charts share the height evenly

    // The table asks for the width its columns need, and the charts take the rest; in a small
    // window the table scrolls instead.
    m_table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);

    auto* controls = new QHBoxLayout;
    controls->addWidget(upToLabel);
    controls->addWidget(m_upTo);
    controls->addSpacing(12);
    controls->addWidget(m_status, 1);
    controls->addWidget(m_copyButton);
    controls->addWidget(m_exportButton);

    // The table beside the charts rather than above them: the charts get the page's height.
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splWhatIf"));
    splitter->addWidget(m_table);
    splitter->addWidget(charts);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);

    connect(m_upTo, &QSpinBox::valueChanged, this, [this] {
        if (!m_ecsaText.isNull()) {
            startSweep(m_ecsaText);
        }
    });
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        const WhatIfSweep sweep = m_watcher.result();
        if (m_pendingUpTo) {
            runNext();  // the points shown would be out of date at once
            return;
        }
        if (*m_cancel) {
            // The page was left or the tables changed: the points would be those of part of
            // the range, or of tables gone.
            return;
        }
        showPoints(sweep);
    });
}

WhatIfPage::~WhatIfPage() {
    cancelSweep();
    m_watcher.waitForFinished();
}

void WhatIfPage::startSweep(core::SizingBasis basis, const QString& ecsaText,
                            const QString& membersText) {
    m_basis = std::make_shared<const core::SizingBasis>(std::move(basis));
    m_ecsaText = ecsaText;
    bool isNumber = false;
    const int members = membersText.trimmed().toInt(&isNumber);
    m_markedMembers = isNumber ? std::optional<int64_t>(members) : std::nullopt;
    m_pendingUpTo = m_upTo->value();
    if (!m_watcher.isRunning()) {
        runNext();
    }
}

void WhatIfPage::startSweep(const QString& ecsaText) {
    if (!m_basis) {
        return;
    }
    m_ecsaText = ecsaText;
    m_pendingUpTo = m_upTo->value();
    if (!m_watcher.isRunning()) {
        runNext();
    }
}

void WhatIfPage::cancelSweep() {
    m_pendingUpTo.reset();
    if (m_cancel) {
        *m_cancel = true;
    }
}

void WhatIfPage::setPolicyInputs(const QVariantMap& inputs) { m_policyInputs = inputs; }

QTableWidget* WhatIfPage::table() const { return m_table; }

QChart* WhatIfPage::chart() const { return m_chart; }

QChart* WhatIfPage::ratioChart() const { return m_ratioChart; }

void WhatIfPage::setReportDialogs(ReportDialogs& dialogs) { m_dialogs = &dialogs; }

QString WhatIfPage::tableCsv() const {
    QStringList lines;
    QStringList cells;
    // The columns shown: the policy's storage only when the policy's inputs make one.
    QList<int> shown;
    for (int column = 0; column < m_table->columnCount(); ++column) {
        if (!m_table->isColumnHidden(column)) {
            shown << column;
        }
    }
    for (const int column : shown) {
        cells << m_table->horizontalHeaderItem(column)->text().replace(QLatin1Char('\n'), ' ');
    }
    lines << cells.join(QLatin1Char(','));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        cells.clear();
        for (const int column : shown) {
            cells << m_table->item(row, column)->text();
        }
        lines << cells.join(QLatin1Char(','));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QImage WhatIfPage::chartsImage() const {
    QSize size(0, 0);
    for (const QChartView* view : m_chartViews) {
        size = QSize(std::max(size.width(), view->width()), size.height() + view->height());
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    int top = 0;
    for (QChartView* view : m_chartViews) {
        view->render(&painter, QRectF(0, top, view->width(), view->height()));
        top += view->height();
    }
    return image;
}

bool WhatIfPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        for (QChartView* view : m_chartViews) {
            if (view->viewport() == watched) {
                const auto* move = static_cast<QMouseEvent*>(event);
                const QPointF inChart =
                    view->chart()->mapFromScene(view->mapToScene(move->position().toPoint()));
                const QString tip = report::GrowthPointTip(*view->chart(), inChart);
                if (tip.isEmpty()) {
                    QToolTip::hideText();
                } else {
                    QToolTip::showText(move->globalPosition().toPoint(), tip, view->viewport());
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WhatIfPage::copyWhatIf() {
    auto* data = new QMimeData;
    const QString csv = tableCsv();
    data->setText(csv);
    data->setData(QStringLiteral("text/csv"), csv.toUtf8());
    data->setImageData(chartsImage());
    QApplication::clipboard()->setMimeData(data);
    emit delivered(QStringLiteral("Copied the table and the charts to the clipboard"));
}

void WhatIfPage::exportWhatIf() {
    const std::optional<QString> path = m_dialogs->chooseWhatIfExportPath(this);
    if (!path) {
        return;
    }
    QByteArray bytes;
    if (path->endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        chartsImage().save(&buffer, "PNG");
    } else {
        bytes = tableCsv().toUtf8();
    }
    QString error;
    if (!WriteWhole(*path, std::string_view(bytes.constData(), bytes.size()), &error)) {
        emit exportFailed(error);
        return;
    }
    emit delivered(QStringLiteral("Exported %1").arg(QFileInfo(*path).fileName()));
}

void WhatIfPage::printWhatIf(ReportDialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    ResultsPage::setUpReportPrinter(printer);
    printer.setDocName(QStringLiteral("Loomstead What If"));
    if (!dialogs.setUpPrinter(printer, window())) {
        return;
    }
    if (!PrintWhatIf(*m_table, m_chart, printer)) {
        emit printFailed();
        return;
    }
    emit delivered(QStringLiteral("Printed the What If table and chart"));
}

void WhatIfPage::previewWhatIf(ReportDialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    ResultsPage::setUpReportPrinter(printer);
    printer.setDocName(QStringLiteral("Loomstead What If"));
    dialogs.showPrintPreview(
        printer, [this](QPrinter& shown) { (void)PrintWhatIf(*m_table, m_chart, shown); },
        window());
}

void WhatIfPage::runNext() {
    const int upTo = *m_pendingUpTo;
    m_pendingUpTo.reset();
    m_status->setText(QStringLiteral("Sizing 1 to %1 members...").arg(upTo));
    core::CfrmOptions options;
    std::optional<core::CfrmOptions> policy;
    if (!m_policyInputs.isEmpty() && ReadPolicyInputs(m_policyInputs, options).empty()) {
        policy = std::move(options);
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_watcher.setFuture(QtConcurrent::run(Sweep, m_basis, m_ecsaText.toStdString(), upTo,
                                          std::move(policy),
                                          std::shared_ptr<const std::atomic<bool>>(m_cancel)));
}

void WhatIfPage::showPoints(const WhatIfSweep& sweep) {
    const std::vector<report::GrowthPoint>& points = sweep.points;
    const bool storage = sweep.cfStorageMb.size() == points.size() && !points.empty();
    m_table->setColumnHidden(kStorageColumn, !storage);
    m_table->setRowCount(static_cast<int>(points.size()));
    for (int row = 0; row < static_cast<int>(points.size()); ++row) {
        const report::GrowthPoint& p = points[static_cast<size_t>(row)];
        const QString ratio =
            p.directoryDataRatio ? QString::number(*p.directoryDataRatio) : QStringLiteral("n/a");
        const QStringList cells = {QString::number(p.members),
                                   QString::number(p.scaSizeMb),
                                   QString::number(p.lockStructureSizeMb),
                                   ratio,
                                   QString::number(p.irlmEcsaSizeMb),
                                   QString::number(p.totalMemoryMb)};
        // The member count of "No Of Shared DB2" is the row the user came from.
        const bool marked = m_markedMembers && *m_markedMembers == p.members;
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = NumberItem(cells[column]);
            QFont font = item->font();
            font.setBold(marked);
            item->setFont(font);
            m_table->setItem(row, column, item);
        }
        m_table->setItem(
            row, kStorageColumn,
            NumberItem(storage ? QString::number(sweep.cfStorageMb[static_cast<size_t>(row)])
                               : QString()));
    }
    report::SetGrowthPoints(*m_chart, points, m_markedMembers);
    report::SetGrowthPoints(*m_ratioChart, points, m_markedMembers);
    for (QPushButton* button : {m_copyButton, m_exportButton}) {
        button->setEnabled(!points.empty());
    }
    m_status->setText(
        QStringLiteral("The shared pools and choices of the earlier pages, with ECSA Size for "
                       "IRLM %1 Mb.")
            .arg(m_ecsaText.trimmed()));
    emit sweepShown();
}

}  // namespace ui
