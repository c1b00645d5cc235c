// The "Select Shared Objects" page: the shared pools, the objects of the selected pool with a
// check mark each and a filter above them, the "Cache All Objects" box and the two counts.
#ifndef UI_OBJECTS_PAGE_H_
#define UI_OBJECTS_PAGE_H_

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QTreeView;

namespace core {
class CoreTables;
}

namespace ui {

class PoolNamesModel;
class SharedObjectsModel;

class ObjectsPage : public QWidget {
    Q_OBJECT

public:
    // `tables` must outlive the page.
    explicit ObjectsPage(core::CoreTables& tables, QWidget* parent = nullptr);
    ~ObjectsPage() override;

    // A page change: lvSharedObjects emptied, the count labels hidden, no pool selected.
    void clearObjects();

    // Shows lstSharedPools as the tables now hold it (rebuilt on entering the page), with no
    // pool selected and so no objects listed.
    void reloadPoolList();

    // The choices in the tables were put back (an undo or a redo): the pool list as they hold it
    // now, and the pool shown before, with its filter, when it is still shared.
    void showChoicesAgain();

    QTreeView* sharedObjectsView() const;  // lvSharedObjects, whose column width is kept

signals:
    // The user changed an object's check mark: "View Results" becomes reachable.
    void resultsPageEnabled();
    // The user cached or uncached objects, one or a whole pool at once.
    void choicesChanged();

private:
    void showSelectedPoolObjects();  // ShowPoolObjects, on the user's choice of a pool
    void cacheAllObjects();          // CacheAllObjects, on the user's activation of the box
    void showCountsAndBox();
    void emptyFilter();

    core::CoreTables& m_tables;
    PoolNamesModel* m_poolsModel;
    SharedObjectsModel* m_objectsModel;
    QCheckBox* m_cacheAllBox;
    QLineEdit* m_filterBox;
    QListView* m_poolsList;
    QTreeView* m_sharedObjectsView;
    QLabel* m_poolObjectsCaption;
    QLabel* m_poolObjectsCount;
    QLabel* m_sharedObjectsCaption;
    QLabel* m_sharedObjectsCount;
};

}  // namespace ui

#endif  // UI_OBJECTS_PAGE_H_
