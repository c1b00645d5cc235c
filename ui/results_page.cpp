#include "results_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "column_widths.h"
#include "data_text.h"
#include "first_arrow_selects.h"
#include "list_view_sort.h"
#include "results_model.h"
#include "sizing.h"

namespace ui {
namespace {

struct Caption {
    const char* text;
    int row;
    int column;  // 0 left pair, 1 right pair
};

// A frame of caption/value pairs in two columns; returns the value labels in caption order.
template <size_t N>
std::array<QLabel*, N> AddValueFrame(QGroupBox* frame, const std::array<Caption, N>& captions,
                                     const QString& valueNamePrefix) {
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    std::array<QLabel*, N> values{};
    for (size_t i = 0; i < N; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i].text), frame);
        auto* value = new QLabel(frame);
        value->setObjectName(valueNamePrefix + QString::number(i));
        value->setAccessibleName(caption->text());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("  00000000 Mb")));
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        grid->addWidget(caption, captions[i].row, captions[i].column * 2);
        grid->addWidget(value, captions[i].row, captions[i].column * 2 + 1);
        values[i] = value;
    }
    return values;
}

}  // namespace

ResultsPage::ResultsPage(QWidget* parent)
    : QWidget(parent),
      m_model(new ResultsModel(this)),
      m_sortModel(new QSortFilterProxyModel(this)),
      m_resultsView(new QTreeView(this)) {
    auto* systemInfo = new QGroupBox(QStringLiteral("System Information"), this);
    systemInfo->setObjectName(QStringLiteral("fraSystemInfo"));
    m_info = AddValueFrame<4>(systemInfo,
                              {{{"Collection Time", 0, 0},
                                {"No Of Pools Shared", 1, 0},
                                {"No of Shared DB2", 0, 1},
                                {"Total System Objects", 1, 1}}},
                              QStringLiteral("lblInfo"));

    auto* recommendations = new QGroupBox(QStringLiteral("Recommendations"), this);
    recommendations->setObjectName(QStringLiteral("frarecommendation"));
    m_recommendation = AddValueFrame<5>(recommendations,
                                        {{{"SCA Size", 0, 0},
                                          {"Lock Structure Size", 1, 0},
                                          {"Directory/Data Ratio", 2, 0},
                                          {"IRLM ECSA Size", 0, 1},
                                          {"Total Memory Required", 1, 1}}},
                                        QStringLiteral("lblRecommendation"));

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(systemInfo);
    layout->addWidget(recommendations);
    layout->addWidget(m_resultsView, 1);

    auto* buttonRow = new QHBoxLayout;
    auto* cfrmButton = new QPushButton(QStringLiteral("CFRM &Policy…"), this);
    cfrmButton->setObjectName(QStringLiteral("cmdCfrmPolicy"));
    cfrmButton->setAccessibleName(QStringLiteral("CFRM Policy"));
    cfrmButton->setAutoDefault(false);
    connect(cfrmButton, &QPushButton::clicked, this, &ResultsPage::cfrmPolicyRequested);
    buttonRow->addWidget(cfrmButton);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
}

ResultsPage::~ResultsPage() = default;

void ResultsPage::clearResults() { m_model->clear(); }

void ResultsPage::showResult(const core::SizingResult& result) {
    for (size_t i = 0; i < m_info.size(); ++i) {
        m_info[i]->setText(DataText(result.lblInfo[i]));
    }
    for (size_t i = 0; i < m_recommendation.size(); ++i) {
        m_recommendation[i]->setText(DataText(result.lblRecommendation[i]));
    }
    m_model->setPools(result.pools);
}

QTreeView* ResultsPage::resultsView() const { return m_resultsView; }

}  // namespace ui
