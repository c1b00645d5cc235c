#include "ui/objects_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>
#include <string>

#include "ui/busy_guard.h"
#include "ui/column_widths.h"
#include "ui/first_arrow_selects.h"
#include "ui/page_hint.h"
#include "ui/pool_lists.h"
#include "ui/shared_objects_model.h"
#include "core/tables.h"

namespace ui {
namespace {

// The "Cache All Objects" box. Only the program shows the mixed state; a user's click on it
// goes from mixed or unchecked to checked, and from checked to unchecked.
class CacheAllBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

Qt::CheckState ToCheckState(core::CacheBoxState state) {
    switch (state) {
        case core::CacheBoxState::kChecked:
            return Qt::Checked;
        case core::CacheBoxState::kMixed:
            return Qt::PartiallyChecked;
        case core::CacheBoxState::kUnchecked:
            break;
    }
    return Qt::Unchecked;
}

core::CacheBoxState ToBoxState(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return core::CacheBoxState::kChecked;
        case Qt::PartiallyChecked:
            return core::CacheBoxState::kMixed;
        case Qt::Unchecked:
            break;
    }
    return core::CacheBoxState::kUnchecked;
}

QLabel* NewLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

ObjectsPage::ObjectsPage(core::CoreTables& tables, QWidget* parent)
    : QWidget(parent),
      m_tables(tables),
      m_poolsModel(new PoolNamesModel(tables.lstSharedPools, this)),
      m_objectsModel(new SharedObjectsModel(tables, this)),
      m_cacheAllBox(new CacheAllBox(QStringLiteral("Cache All Objects"), this)),
      m_filterBox(new QLineEdit(this)),
      m_poolsList(new QListView(this)),
      m_sharedObjectsView(new QTreeView(this)),
      m_poolObjectsCaption(NewLabel(QStringLiteral("Total Pool Objects"), "lbl7", this)),
      m_poolObjectsCount(NewLabel(QStringLiteral("0"), "lblTPObjects", this)),
      m_sharedObjectsCaption(NewLabel(QStringLiteral("Total Shared Objects"), "lbl8", this)),
      m_sharedObjectsCount(NewLabel(QStringLiteral("0"), "lblTPSObjects", this)) {
    m_cacheAllBox->setObjectName(QStringLiteral("chkCacheAllObjects"));
    m_cacheAllBox->setTristate(true);
    m_cacheAllBox->setToolTip(
        QStringLiteral("Cache every object of the selected pool, or none of them"));

    m_poolsList->setObjectName(QStringLiteral("lstSharedPools"));
    m_poolsList->setModel(m_poolsModel);
    m_poolsList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_poolsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_poolsList->setAccessibleName(QStringLiteral("Shared Pools"));
    m_cacheAllBox->setAccessibleName(QStringLiteral("Cache All Objects"));
    MakeFirstArrowSelect(*m_poolsList);

    m_sharedObjectsView->setObjectName(QStringLiteral("lvSharedObjects"));
    m_sharedObjectsView->setModel(m_objectsModel);
    m_sharedObjectsView->setUniformRowHeights(true);  // 100,000 objects stay instant
    m_sharedObjectsView->setRootIsDecorated(false);
    m_sharedObjectsView->setItemsExpandable(false);
    m_sharedObjectsView->setSortingEnabled(false);
    m_sharedObjectsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sharedObjectsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sharedObjectsView->header()->setSectionsClickable(false);
    m_sharedObjectsView->header()->setStretchLastSection(true);
    m_sharedObjectsView->setAccessibleName(QStringLiteral("Pool Objects"));
    MakeFirstArrowSelect(*m_sharedObjectsView);
    FitColumnsToCaptions(*m_sharedObjectsView);
    m_sharedObjectsView->setAccessibleDescription(
        QStringLiteral("Objects of the selected pool; a checked object is cached. Space checks "
                       "or unchecks the current object"));

    // The counts keep their place while hidden, so the lists do not jump when a pool is chosen.
    for (QLabel* label :
         {m_poolObjectsCaption, m_poolObjectsCount, m_sharedObjectsCaption, m_sharedObjectsCount}) {
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
        label->hide();
    }
    // A count reads as its number, labelled by its caption, as the results page's values do.
    m_poolObjectsCaption->setBuddy(m_poolObjectsCount);
    m_sharedObjectsCaption->setBuddy(m_sharedObjectsCount);
    for (QLabel* count : {m_poolObjectsCount, m_sharedObjectsCount}) {
        count->setMinimumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        count->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    auto* counts = new QHBoxLayout;
    counts->setSpacing(8);
    counts->addWidget(m_poolObjectsCaption);
    counts->addWidget(m_poolObjectsCount);
    counts->addSpacing(16);
    counts->addWidget(m_sharedObjectsCaption);
    counts->addWidget(m_sharedObjectsCount);
    counts->addStretch(1);

    auto* lists = new QGridLayout;
    auto* poolsCaption = NewLabel(QStringLiteral("Shared Pools"), "lbl5", this);
    poolsCaption->setBuddy(m_poolsList);
    auto* objectsCaption = NewLabel(QStringLiteral("Pool Objects"), "lbl6", this);
    objectsCaption->setBuddy(m_sharedObjectsView);
    m_filterBox->setObjectName(QStringLiteral("txtObjectFilter"));
    m_filterBox->setClearButtonEnabled(true);
    m_filterBox->setPlaceholderText(QStringLiteral("Part of an object name"));
    m_filterBox->setToolTip(
        QStringLiteral("Show only the objects whose name contains this text (Ctrl+F)"));
    auto* filterCaption = NewLabel(QStringLiteral("&Filter:"), "lblObjectFilter", this);
    filterCaption->setBuddy(m_filterBox);
    auto* filter = new QHBoxLayout;
    filter->addWidget(filterCaption);
    filter->addWidget(m_filterBox, 1);

    lists->addWidget(poolsCaption, 0, 0);
    lists->addWidget(objectsCaption, 0, 1);
    lists->addWidget(m_poolsList, 1, 0, 2, 1);
    lists->addLayout(filter, 1, 1);
    lists->addWidget(m_sharedObjectsView, 2, 1);
    lists->addLayout(counts, 3, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 3);
    lists->setRowStretch(2, 1);
    lists->setHorizontalSpacing(12);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_cacheAllBox);
    layout->addSpacing(4);
    layout->addLayout(lists, 1);
    layout->addWidget(NewPageHint(
        QStringLiteral("Choose a shared pool and tick the objects to cache in its group buffer "
                       "pool. Click \u201CView Results\u201D to go on."),
        QStringLiteral("lblObjectsHint"), this));

    setTabOrder(m_cacheAllBox, m_poolsList);
    setTabOrder(m_poolsList, m_filterBox);
    setTabOrder(m_filterBox, m_sharedObjectsView);

    // Live while the page is shown, whichever of its widgets has the focus.
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_filterBox->setFocus(Qt::ShortcutFocusReason);
        m_filterBox->selectAll();
    });
    connect(m_filterBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        const BusyGuard busy;
        m_objectsModel->setFilter(text);
    });

    connect(m_poolsList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ObjectsPage::showSelectedPoolObjects);
    // `clicked` follows the user's mouse or keyboard only; the program's own state changes
    // are made with signals blocked besides.
    connect(m_cacheAllBox, &QCheckBox::clicked, this, &ObjectsPage::cacheAllObjects);
    connect(m_objectsModel, &SharedObjectsModel::objectCachedChanged, this, [this] {
        showCountsAndBox();
        emit resultsPageEnabled();
        emit choicesChanged();
    });
}

ObjectsPage::~ObjectsPage() = default;

void ObjectsPage::clearObjects() {
    {
        const QSignalBlocker blocker(m_poolsList->selectionModel());
        m_poolsList->selectionModel()->clear();
    }
    emptyFilter();
    m_objectsModel->clear();
    showCountsAndBox();
}

void ObjectsPage::reloadPoolList() {
    m_poolsModel->reload();
    clearObjects();
}

void ObjectsPage::showChoicesAgain() {
    const std::string pool = m_objectsModel->objects().poolName;
    const int64_t row = pool.empty() ? -1 : core::FindListEntry(m_tables.lstSharedPools, pool);
    if (row < 0) {
        reloadPoolList();
        return;
    }
    m_poolsModel->reload();
    {
        const QSignalBlocker blocker(m_poolsList->selectionModel());
        m_poolsList->selectionModel()->setCurrentIndex(
            m_poolsModel->index(static_cast<int>(row), 0), QItemSelectionModel::ClearAndSelect);
    }
    m_objectsModel->showPool(pool);
    m_objectsModel->setFilter(m_filterBox->text());
    showCountsAndBox();
}

QTreeView* ObjectsPage::sharedObjectsView() const { return m_sharedObjectsView; }

void ObjectsPage::showSelectedPoolObjects() {
    const QModelIndexList selected = m_poolsList->selectionModel()->selectedRows();
    emptyFilter();
    if (selected.isEmpty()) {  // the user took the selection away: no pool is chosen
        m_objectsModel->clear();
        showCountsAndBox();
        return;
    }
    const auto row = static_cast<size_t>(selected.constFirst().row());
    if (row >= m_tables.lstSharedPools.size()) {
        return;
    }
    const std::string poolName = m_tables.lstSharedPools[row];
    const BusyGuard busy;
    QCoreApplication::processEvents();
    m_objectsModel->showPool(poolName);
    m_sharedObjectsView->scrollToTop();
    showCountsAndBox();
}

// The model drops its filter with the list it filtered.
void ObjectsPage::emptyFilter() {
    const QSignalBlocker blocker(m_filterBox);
    m_filterBox->clear();
}

void ObjectsPage::cacheAllObjects() {
    m_objectsModel->cacheAll(ToBoxState(m_cacheAllBox->checkState()));
    showCountsAndBox();
    emit choicesChanged();
}

void ObjectsPage::showCountsAndBox() {
    const core::PoolObjects& objects = m_objectsModel->objects();
    m_poolObjectsCount->setText(QString::number(objects.listed));
    m_sharedObjectsCount->setText(QString::number(objects.cached));
    for (QLabel* label :
         {m_poolObjectsCaption, m_poolObjectsCount, m_sharedObjectsCaption, m_sharedObjectsCount}) {
        label->setVisible(objects.countsVisible);
    }
    const QSignalBlocker blocker(m_cacheAllBox);
    m_cacheAllBox->setCheckState(ToCheckState(objects.box));
}

}  // namespace ui
