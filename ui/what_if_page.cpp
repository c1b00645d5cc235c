#include "what_if_page.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "cfrm_dialog.h"
#include "cfrm_policy.h"
#include "growth_chart.h"
#include "sweep.h"

namespace ui {
namespace {

constexpr int kDefaultUpTo = 8;
constexpr int kMostMembers = 32;
constexpr int kStorageColumn = 6;

WhatIfSweep Sweep(const core::CoreTables& tables, const std::string& ecsa, int upTo,
                  const std::optional<core::CfrmOptions>& policy,
                  std::shared_ptr<const std::atomic<bool>> cancel) {
    core::SweepOptions options;
    options.fromMembers = 1;
    options.toMembers = upTo;
    options.cancel = cancel.get();
    WhatIfSweep sweep;
    const std::vector<core::SweepPoint> points = core::SweepMembers(tables, ecsa, options);
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

WhatIfPage::WhatIfPage(const core::CoreTables& tables, QWidget* parent)
    : QWidget(parent),
      m_tables(tables),
      m_upTo(new QSpinBox(this)),
      m_status(new QLabel(this)),
      m_table(new QTableWidget(0, 7, this)) {
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

    m_table->setObjectName(QStringLiteral("tblWhatIf"));
    m_table->setAccessibleName(QStringLiteral("Recommendations per member count"));
    m_table->setHorizontalHeaderLabels({"Members", "SCA Size (Mb)", "Lock Structure (Mb)",
                                        "Dir/Data Ratio", "IRLM ECSA (Mb)", "Total Memory (Mb)",
                                        "CF Storage (MB)"});
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
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    std::unique_ptr<QChart> chart = report::MakeGrowthChart({});
    m_chart = chart.get();
    auto* chartView = new QChartView(chart.release(), this);
    chartView->setObjectName(QStringLiteral("chtWhatIf"));
    chartView->setAccessibleName(QStringLiteral("Growth chart"));
    chartView->viewport()->setAccessibleName(QStringLiteral("Growth chart"));
    chartView->setRenderHint(QPainter::Antialiasing);

    auto* controls = new QHBoxLayout;
    controls->addWidget(upToLabel);
    controls->addWidget(m_upTo);
    controls->addSpacing(12);
    controls->addWidget(m_status, 1);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(chartView);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
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
            return;  // the page was left: the points would be those of part of the range
        }
        showPoints(sweep);
    });
}

WhatIfPage::~WhatIfPage() { m_watcher.waitForFinished(); }

void WhatIfPage::startSweep(const QString& ecsaText) {
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
    m_watcher.waitForFinished();
}

void WhatIfPage::waitForSweep() {
    m_pendingUpTo.reset();
    m_watcher.waitForFinished();
}

void WhatIfPage::setPolicyInputs(const QVariantMap& inputs) { m_policyInputs = inputs; }

QTableWidget* WhatIfPage::table() const { return m_table; }

QChart* WhatIfPage::chart() const { return m_chart; }

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
    m_watcher.setFuture(QtConcurrent::run(Sweep, std::cref(m_tables), m_ecsaText.toStdString(),
                                          upTo, std::move(policy),
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
        for (int column = 0; column < cells.size(); ++column) {
            m_table->setItem(row, column, NumberItem(cells[column]));
        }
        m_table->setItem(
            row, kStorageColumn,
            NumberItem(storage ? QString::number(sweep.cfStorageMb[static_cast<size_t>(row)])
                               : QString()));
    }
    report::SetGrowthPoints(*m_chart, points);
    m_status->setText(
        QStringLiteral("The shared pools and choices of the earlier pages, with ECSA Size for "
                       "IRLM %1 Mb.")
            .arg(m_ecsaText.trimmed()));
    emit sweepShown();
}

}  // namespace ui
