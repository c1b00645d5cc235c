#include "ui/pools_page.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/pool_sharing.h"
#include "core/tables.h"
#include "core/text.h"
#include "core/typed_numbers.h"
#include "ui/animation_player.h"
#include "ui/busy_guard.h"
#include "ui/column_widths.h"
#include "ui/data_text.h"
#include "ui/dialogs.h"
#include "ui/first_arrow_selects.h"
#include "ui/icons.h"
#include "ui/page_hint.h"
#include "ui/pool_lists.h"
#include "ui/shell_messages.h"
#include "ui/typed_number_box.h"

namespace ui {
namespace {

const TypedNumberBox::Rule kMembersRule{core::IsValidMembersText, core::kMembersRangeText, 1, 32};
const TypedNumberBox::Rule kEcsaRule{core::IsValidEcsaText, core::kEcsaRangeText, 0, 9999};

int SelectedRow(const QAbstractItemView* view) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

QLabel* Caption(const QString& text, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

TypedNumberBox* NumberBox(const char* name, const TypedNumberBox::Rule& rule,
                          const QString& initial, QWidget* parent) {
    auto* box = new TypedNumberBox(rule, initial, parent);
    box->setObjectName(QLatin1String(name));
    box->setAccelerated(true);
    return box;
}

// The line beside a box that says what it accepts while its text is refused.
QLabel* RangeLine(TypedNumberBox* box, const char* name, QWidget* parent) {
    auto* line = new QLabel(parent);
    line->setObjectName(QLatin1String(name));
    QPalette colours = line->palette();
    colours.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    line->setPalette(colours);
    line->setMinimumWidth(line->fontMetrics().horizontalAdvance(box->rangeText()));
    auto show = [box, line](bool valid) { line->setText(valid ? QString() : box->rangeText()); };
    QObject::connect(box, &TypedNumberBox::validityChanged, line, show);
    show(box->isValid());
    return line;
}

}  // namespace

const char* const PoolsPage::kPoolDragMimeType = "application/x-loomstead-pool-list";

PoolsPage::PoolsPage(core::CoreTables& tables, MessageSink& messages, const QString& clipPath,
                     QWidget* parent)
    : QWidget(parent),
      m_tables(tables),
      m_messages(messages),
      m_clipPath(clipPath),
      m_poolsModel(new PoolNamesModel(tables.lstPools, this)),
      m_sharedPoolsModel(new SharedPoolsModel(tables.lvSharedPools, this)),
      m_poolsList(new QListView(this)),
      m_sharedPoolsView(new QTreeView(this)),
      m_addButton(new QPushButton(this)),
      m_removeButton(new QPushButton(this)),
      m_shareAllButton(new QPushButton(QStringLiteral("&Share All"), this)),
      m_members(NumberBox("txtSharedDB2", kMembersRule, QStringLiteral("1"), this)),
      m_ecsaSize(NumberBox("txtECSASize", kEcsaRule, QStringLiteral("4"), this)),
      m_animation(new AnimationPlayer(this)),
      m_addDragIcon(PoolCarryDragIcon()),
      m_removeDragIcon(PoolDropDragIcon()),
      m_dragRunner([](QDrag& drag) { drag.exec(Qt::MoveAction); }) {
    m_members->setToolTip(QStringLiteral("Number of DB2 members sharing the data (1 to 32)"));
    m_members->setAccessibleName(QStringLiteral("No Of Shared DB2"));
    m_ecsaSize->setToolTip(
        QStringLiteral("ECSA size for the IRLM in Mb (0 to 9999, up to two decimals)"));
    m_ecsaSize->setAccessibleName(QStringLiteral("ECSA Size for IRLM"));

    m_poolsList->setObjectName(QStringLiteral("lstPools"));
    m_poolsList->setModel(m_poolsModel);
    m_poolsList->setAccessibleName(QStringLiteral("All Pools"));
    m_poolsList->setAccessibleDescription(
        QStringLiteral("Available pools; double-click or drag a pool to share it"));

    m_sharedPoolsView->setObjectName(QStringLiteral("lvSharedPools"));
    m_sharedPoolsView->setModel(m_sharedPoolsModel);
    m_sharedPoolsView->setRootIsDecorated(false);
    m_sharedPoolsView->setItemsExpandable(false);
    m_sharedPoolsView->setUniformRowHeights(true);
    m_sharedPoolsView->setAllColumnsShowFocus(true);
    m_sharedPoolsView->setSortingEnabled(false);
    m_sharedPoolsView->header()->setSectionsClickable(false);
    m_sharedPoolsView->header()->setSectionsMovable(false);
    m_sharedPoolsView->header()->setStretchLastSection(true);
    m_sharedPoolsView->setColumnWidth(SharedPoolsModel::kPoolName, 140);
    FitColumnsToCaptions(*m_sharedPoolsView);
    m_sharedPoolsView->setAccessibleName(QStringLiteral("Shared Pools"));
    m_sharedPoolsView->setAccessibleDescription(
        QStringLiteral("Shared pools; double-click or drag a pool back to return it"));

    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(m_poolsList),
                                    static_cast<QAbstractItemView*>(m_sharedPoolsView)}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setDragEnabled(false);  // the page runs the drags itself
        list->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
        MakeFirstArrowSelect(*list);
    }

    m_addButton->setObjectName(QStringLiteral("cmdAddPool"));
    m_addButton->setIcon(ShareArrowIcon(palette()));
    m_addButton->setToolTip(QStringLiteral("Share the selected pool (Ctrl+Right)"));
    m_addButton->setAccessibleName(QStringLiteral("Share the selected pool"));
    m_removeButton->setObjectName(QStringLiteral("cmdRemovePool"));
    m_removeButton->setIcon(ReturnArrowIcon(palette()));
    m_removeButton->setToolTip(QStringLiteral("Return the selected pool (Ctrl+Left)"));
    m_removeButton->setAccessibleName(QStringLiteral("Return the selected pool"));
    m_shareAllButton->setObjectName(QStringLiteral("cmdShareAllPools"));
    m_shareAllButton->setToolTip(QStringLiteral("Share every available pool"));
    m_shareAllButton->setAccessibleName(QStringLiteral("Share All"));
    for (QPushButton* button : {m_addButton, m_removeButton, m_shareAllButton}) {
        button->setIconSize(QSize(24, 24));
        button->setAutoDefault(true);  // Enter presses the focused button, as Space does
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    m_animation->hide();

    // Along the top: the two numbers with room for the lines that explain a refused one. The
    // animation lies over the top right corner while Share All runs (see resizeEvent), so that
    // nothing moves when it shows.
    auto* membersField = new QHBoxLayout;
    membersField->addWidget(m_members);
    membersField->addSpacing(fontMetrics().horizontalAdvance(QStringLiteral("Mb")) + 6);
    membersField->addWidget(RangeLine(m_members, "lblSharedDB2Range", this));
    membersField->addStretch(1);
    auto* ecsaField = new QHBoxLayout;
    ecsaField->addWidget(m_ecsaSize);
    ecsaField->addWidget(new QLabel(QStringLiteral("Mb"), this));
    ecsaField->addWidget(RangeLine(m_ecsaSize, "lblECSASizeRange", this));
    ecsaField->addStretch(1);
    auto* numbers = new QFormLayout;
    numbers->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    numbers->addRow(Caption(QStringLiteral("No Of Shared DB2"), "lbl3", m_members, this),
                    membersField);
    numbers->addRow(Caption(QStringLiteral("ECSA Size for IRLM "), "lbl4", m_ecsaSize, this),
                    ecsaField);
    m_animation->resize(m_animation->sizeHint());
    auto* top = new QHBoxLayout;
    top->addLayout(numbers);
    top->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_removeButton);
    buttons->addSpacing(24);
    buttons->addWidget(m_shareAllButton);
    buttons->addStretch(1);

    auto* lists = new QGridLayout;
    lists->addWidget(Caption(QStringLiteral("All Pools"), "lbl1", m_poolsList, this), 0, 0);
    lists->addWidget(Caption(QStringLiteral("Shared Pools"), "lbl2", m_sharedPoolsView, this), 0,
                     2);
    lists->addWidget(m_poolsList, 1, 0);
    lists->addLayout(buttons, 1, 1);
    lists->addWidget(m_sharedPoolsView, 1, 2);
    lists->setColumnStretch(0, 2);
    lists->setColumnStretch(2, 3);
    lists->setColumnMinimumWidth(1, m_shareAllButton->sizeHint().width() + 16);
    lists->setHorizontalSpacing(12);
    lists->setRowStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(4);
    layout->addLayout(lists, 1);
    layout->addWidget(NewPageHint(
        QStringLiteral("Share the pools the group shares and set the two numbers. Click "
                       "\u201CSelect Shared Objects\u201D to go on, or \u201CView "
                       "Results\u201D to size them at once."),
        QStringLiteral("lblPoolsHint"), this));

    setTabOrder(m_members, m_ecsaSize);
    setTabOrder(m_ecsaSize, m_poolsList);
    setTabOrder(m_poolsList, m_addButton);
    setTabOrder(m_addButton, m_removeButton);
    setTabOrder(m_removeButton, m_shareAllButton);
    setTabOrder(m_shareAllButton, m_sharedPoolsView);

    connect(m_addButton, &QPushButton::clicked, this, &PoolsPage::shareSelectedPool);
    for (TypedNumberBox* number : {m_members, m_ecsaSize}) {
        connect(number, &TypedNumberBox::editedByUser, this, &PoolsPage::choicesChanged);
    }
    connect(m_removeButton, &QPushButton::clicked, this, &PoolsPage::returnSelectedPool);
    connect(m_shareAllButton, &QPushButton::clicked, this, &PoolsPage::shareAllPools);
    connect(m_poolsList, &QAbstractItemView::doubleClicked, this, &PoolsPage::shareSelectedPool);
    connect(m_sharedPoolsView, &QAbstractItemView::doubleClicked, this,
            &PoolsPage::returnSelectedPool);
    auto* shareKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right), this);
    shareKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shareKey, &QShortcut::activated, this, &PoolsPage::shareSelectedPool);
    auto* returnKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left), this);
    returnKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(returnKey, &QShortcut::activated, this, &PoolsPage::returnSelectedPool);
}

PoolsPage::~PoolsPage() = default;

void PoolsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QMargins margins = layout()->contentsMargins();
    m_animation->move(width() - margins.right() - m_animation->width(), margins.top());
    m_animation->raise();
}

void PoolsPage::reloadFromTables() {
    m_refusals.clear();
    m_poolsModel->reload();
    m_sharedPoolsModel->reload();
}

QString PoolsPage::membersText() const { return m_members->text(); }

QString PoolsPage::ecsaText() const { return m_ecsaSize->text(); }

void PoolsPage::refuseInvalidNumber() {
    TypedNumberBox* box = firstInvalidNumber();
    if (box == nullptr) {
        return;
    }
    // Named, since the box may be out of sight behind the message or scrolled away.
    m_messages.showMessage(MessageIcon::kInformation, kShellTitle,
                           box->accessibleName() + QStringLiteral(": ") + box->rangeText());
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

TypedNumberBox* PoolsPage::firstInvalidNumber() const {
    if (!m_members->isValid()) {
        return m_members;
    }
    return m_ecsaSize->isValid() ? nullptr : m_ecsaSize;
}

void PoolsPage::setNumberTexts(const QString& members, const QString& ecsa) {
    m_members->setText(members);
    m_ecsaSize->setText(ecsa);
}

QTreeView* PoolsPage::sharedPoolsView() const { return m_sharedPoolsView; }

void PoolsPage::setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

void PoolsPage::shareSelectedPool() {
    const int row = SelectedRow(m_poolsList);
    if (row >= 0 && static_cast<size_t>(row) < m_tables.lstPools.size()) {
        const size_t sharedBefore = m_tables.lvSharedPools.size();
        const std::optional<core::ShareRefusal> refusal =
            core::SharePool(m_tables, static_cast<size_t>(row));
        if (m_tables.lvSharedPools.size() != sharedBefore) {
            m_poolsModel->reload();
            m_sharedPoolsModel->reload();
            // The next pool takes the selection, so that Add can be pressed again.
            selectRow(m_poolsList, std::min(row, m_poolsModel->rowCount() - 1));
            selectRow(m_sharedPoolsView, m_sharedPoolsModel->rowCount() - 1);
            emit choicesChanged();
        }
        if (refusal) {
            showRefusal(*refusal);
        }
    }
    emit sharedPagesEnabled(true);
}

void PoolsPage::returnSelectedPool() {
    const int row = SelectedRow(m_sharedPoolsView);
    if (row >= 0 && static_cast<size_t>(row) < m_tables.lvSharedPools.size()) {
        const std::string name(core::Trim(m_tables.lvSharedPools[static_cast<size_t>(row)].name));
        core::UnsharePool(m_tables, static_cast<size_t>(row));
        m_poolsModel->reload();
        m_sharedPoolsModel->reload();
        selectRow(m_poolsList, static_cast<int>(core::FindListEntry(m_tables.lstPools, name)));
        selectRow(m_sharedPoolsView, std::min(row, m_sharedPoolsModel->rowCount() - 1));
        emit choicesChanged();
    }
    if (m_tables.lvSharedPools.empty()) {
        emit sharedPagesEnabled(false);
    }
}

void PoolsPage::shareAllPools() {
    m_animation->show();
    m_animation->setAutoPlay(true);
    m_animation->open(m_clipPath);  // without a clip the work simply runs without one
    std::vector<core::ShareRefusal> refusals;
    const size_t sharedBefore = m_tables.lvSharedPools.size();
    {
        const BusyGuard busy;
        QCoreApplication::processEvents();  // draws the animation's first frame
        refusals = core::ShareAllPools(m_tables);
        m_poolsModel->reload();
        m_sharedPoolsModel->reload();
    }
    m_animation->setAutoPlay(false);
    m_animation->close();
    m_animation->hide();
    if (m_tables.lvSharedPools.size() != sharedBefore) {
        emit choicesChanged();
    }
    for (const core::ShareRefusal& refusal : refusals) {
        showRefusal(refusal);
    }
    emit sharedPagesEnabled(true);
}

void PoolsPage::showRefusal(const core::ShareRefusal& refusal) {
    if (std::none_of(m_refusals.begin(), m_refusals.end(), [&](const core::ShareRefusal& earlier) {
            return earlier.pool == refusal.pool;
        })) {
        m_refusals.push_back(refusal);
    }
    m_messages.showMessage(MessageIcon::kInformation,
                           QString::fromLatin1(core::kRefusalTitle.data(),
                                               static_cast<qsizetype>(core::kRefusalTitle.size())),
                           DataText(refusal.message));
}

void PoolsPage::selectRow(QAbstractItemView* view, int row) {
    if (row < 0 || row >= view->model()->rowCount()) {
        return;
    }
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

QAbstractItemView* PoolsPage::listOfViewport(QObject* viewport) const {
    if (viewport == m_poolsList->viewport()) {
        return m_poolsList;
    }
    if (viewport == m_sharedPoolsView->viewport()) {
        return m_sharedPoolsView;
    }
    return nullptr;
}

QAbstractItemView* PoolsPage::otherList(QAbstractItemView* list) const {
    if (list == m_poolsList) {
        return m_sharedPoolsView;
    }
    return list == m_sharedPoolsView ? m_poolsList : nullptr;
}

bool PoolsPage::eventFilter(QObject* watched, QEvent* event) {
    QAbstractItemView* list = listOfViewport(watched);
    if (list == nullptr) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            armDrag(list, *static_cast<QMouseEvent*>(event));
            return false;  // the list still selects the entry under the pointer
        case QEvent::MouseButtonDblClick:
            // The double-click moves the pool and selects the next one; a drag that went on
            // from this press would carry that next pool over as well.
            m_poolDragArmed = false;
            m_pressedList = nullptr;
            return false;
        case QEvent::MouseMove:
            return dragOnMove(list, *static_cast<QMouseEvent*>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (takesDrop(list, move->mimeData(), move->source())) {
                move->setDropAction(Qt::MoveAction);
                move->accept();
            } else {
                move->ignore();
            }
            return true;
        }
        case QEvent::Drop:
            dropPool(list, *static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
    }
}

void PoolsPage::armDrag(QAbstractItemView* list, const QMouseEvent& press) {
    if (press.button() != Qt::LeftButton || press.buttons() != Qt::LeftButton) {
        return;
    }
    m_pressedList = list;
    m_pressPosition = press.position().toPoint();
    // A press on an entry selects it, so a drag always carries the entry it started on.
    m_poolDragArmed = list->indexAt(m_pressPosition).isValid();
}

bool PoolsPage::dragOnMove(QAbstractItemView* list, const QMouseEvent& move) {
    if (move.buttons() != Qt::LeftButton || !m_poolDragArmed || m_pressedList != list) {
        return false;
    }
    // Until the pointer has moved far enough to start a drag, the selection holds still.
    if ((move.position().toPoint() - m_pressPosition).manhattanLength() <
            QApplication::startDragDistance() ||
        SelectedRow(list) < 0) {
        return true;
    }
    m_pressedList = nullptr;  // the drag takes over the rest of this press
    auto* data = new QMimeData;
    data->setData(QLatin1String(kPoolDragMimeType), list->objectName().toUtf8());
    auto* drag = new QDrag(list);
    drag->setMimeData(data);
    const QModelIndex carried = list->model()->index(SelectedRow(list), 0);
    drag->setPixmap(PoolDragCard(carried.data().toString(), list->font(), list->palette()));
    drag->setHotSpot(QPoint(-14, -14));  // the card follows below the pointer's own icon
    drag->setDragCursor(m_addDragIcon, Qt::IgnoreAction);
    drag->setDragCursor(m_removeDragIcon, Qt::MoveAction);
    m_dragRunner(*drag);
    return true;
}

QAbstractItemView* PoolsPage::dragSource(const QMimeData* data, QObject* sourceWidget) const {
    if (data == nullptr || !data->hasFormat(QLatin1String(kPoolDragMimeType))) {
        return nullptr;
    }
    const QString name = QString::fromUtf8(data->data(QLatin1String(kPoolDragMimeType)));
    QAbstractItemView* list = nullptr;
    if (name == m_poolsList->objectName()) {
        list = m_poolsList;
    } else if (name == m_sharedPoolsView->objectName()) {
        list = m_sharedPoolsView;
    }
    // Another window's list of the same name is not this page's.
    if (list != nullptr && sourceWidget != nullptr && sourceWidget != list) {
        return nullptr;
    }
    return list;
}

bool PoolsPage::takesDrop(QAbstractItemView* target, const QMimeData* data,
                          QObject* sourceWidget) const {
    QAbstractItemView* source = dragSource(data, sourceWidget);
    return m_poolDragArmed && source != nullptr && source == otherList(target);
}

void PoolsPage::dropPool(QAbstractItemView* target, QDropEvent& drop) {
    if (!takesDrop(target, drop.mimeData(), drop.source())) {
        drop.ignore();
        return;
    }
    drop.setDropAction(Qt::MoveAction);
    drop.accept();
    // The move runs once the drag has ended: a refusal's message box must not open inside the
    // drag's own event loop.
    if (target == m_sharedPoolsView) {
        m_poolDragArmed = false;
        QTimer::singleShot(0, this, &PoolsPage::shareSelectedPool);
    } else {
        QTimer::singleShot(0, this, &PoolsPage::returnSelectedPool);
    }
}

}  // namespace ui
