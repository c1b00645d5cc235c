// The "Select Shared Pools" page: available pools, shared pools, Add, Remove, Share All, drag and
// drop between the lists, and the two numbers the sizing run reads.
#ifndef UI_POOLS_PAGE_H_
#define UI_POOLS_PAGE_H_

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/pool_sharing.h"

class QAbstractItemView;
class QDrag;
class QDropEvent;
class QListView;
class QMimeData;
class QMouseEvent;
class QPushButton;
class QTreeView;

namespace core {
class CoreTables;
}  // namespace core

namespace ui {

class AnimationPlayer;
class MessageSink;
class PoolNamesModel;
class SharedPoolsModel;
class TypedNumberBox;

class PoolsPage : public QWidget {
    Q_OBJECT

public:
    // The MIME type of a pool dragged between the lists; its data is the source list's name.
    static const char* const kPoolDragMimeType;

    // `tables` and `messages` must outlive the page. `clipPath` is the Share All animation.
    PoolsPage(core::CoreTables& tables, MessageSink& messages, const QString& clipPath,
              QWidget* parent = nullptr);
    ~PoolsPage() override;

    // Shows lstPools and lvSharedPools as they now stand in the tables (after a load).
    void reloadFromTables();

    // Exactly as typed, blanks included.
    QString membersText() const;  // txtSharedDB2
    QString ecsaText() const;     // txtECSASize
    // The first of the two boxes whose text its rule refuses, or null when both are valid.
    TypedNumberBox* firstInvalidNumber() const;
    // Says why the first number box that holds an invalid number refuses it, naming the box, and
    // puts the focus on it with its text selected; nothing when every number is valid.
    void refuseInvalidNumber();
    // Sets the two boxes to a plan's texts as they stand; a text a box refuses is marked there.
    void setNumberTexts(const QString& members, const QString& ecsa);

    QTreeView* sharedPoolsView() const;  // lvSharedPools, whose column widths are kept

    // The pools the sharing rule refused since the last reload, once each, in the order first
    // refused: what the batch sizer lists as refused for the same choices.
    const std::vector<core::ShareRefusal>& refusals() const { return m_refusals; }

    // Runs a drag that has been set up; by default QDrag::exec, which blocks until the drop and
    // then deletes the drag. Tests replace it to see that a drag starts without blocking; a
    // replacement deletes the drag with deleteLater().
    using DragRunner = std::function<void(QDrag& drag)>;
    void setDragRunner(DragRunner runner);

    // PoolDragArmed: the last left-button press on a list landed on an entry, so moving the
    // pointer may drag that entry.
    bool poolDragArmed() const { return m_poolDragArmed; }

signals:
    // Pages "Select Shared Objects" and "View Results" become reachable (true) or not (false).
    void sharedPagesEnabled(bool enabled);
    // The user shared or returned a pool, or changed one of the two numbers.
    void choicesChanged();

protected:
    // The mouse and drag events of the two lists' viewports: the drag and drop of pools.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Keeps the Share All animation over the top right corner.
    void resizeEvent(QResizeEvent* event) override;

private:
    void shareSelectedPool();   // Add
    void returnSelectedPool();  // Remove
    void shareAllPools();       // Share All

    void showRefusal(const core::ShareRefusal& refusal);
    void selectRow(QAbstractItemView* view, int row);

    QAbstractItemView* listOfViewport(QObject* viewport) const;
    QAbstractItemView* otherList(QAbstractItemView* list) const;
    void armDrag(QAbstractItemView* list, const QMouseEvent& press);
    bool dragOnMove(QAbstractItemView* list, const QMouseEvent& move);
    // The list that started a drag carrying `data`, or null when the drag is not one of ours.
    QAbstractItemView* dragSource(const QMimeData* data, QObject* sourceWidget) const;
    bool takesDrop(QAbstractItemView* target, const QMimeData* data, QObject* sourceWidget) const;
    void dropPool(QAbstractItemView* target, QDropEvent& drop);

    core::CoreTables& m_tables;
    MessageSink& m_messages;
    QString m_clipPath;
    std::vector<core::ShareRefusal> m_refusals;
    PoolNamesModel* m_poolsModel;
    SharedPoolsModel* m_sharedPoolsModel;
    QListView* m_poolsList;
    QTreeView* m_sharedPoolsView;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
    QPushButton* m_shareAllButton;
    TypedNumberBox* m_members;
    TypedNumberBox* m_ecsaSize;
    AnimationPlayer* m_animation;
    // The drag icons the buttons lend to the lists: carried anywhere, and over the list that
    // takes the drop.
    QPixmap m_addDragIcon;
    QPixmap m_removeDragIcon;
    bool m_poolDragArmed = false;
    QAbstractItemView* m_pressedList = nullptr;
    QPoint m_pressPosition;
    DragRunner m_dragRunner;
};

}  // namespace ui

#endif  // UI_POOLS_PAGE_H_
