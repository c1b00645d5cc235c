// The "Select Shared Objects" page: the shared pools, the objects of the selected pool with a
// check mark each, the "Cache All Objects" box and the two counts.
#ifndef UI_OBJECTS_PAGE_H_
#define UI_OBJECTS_PAGE_H_

#include <QWidget>

class QTreeView;

namespace core {
class CoreTables;
}

namespace ui {

class ObjectsPage : public QWidget {
    Q_OBJECT

public:
    // `tables` must outlive the page.
    explicit ObjectsPage(core::CoreTables& tables, QWidget* parent = nullptr);
    ~ObjectsPage() override;

    // A page change: lvSharedObjects emptied, the count labels hidden, no pool selected.
    void clearObjects();

    // Shows lstSharedPools as the tables now hold it (rebuilt on entering the page).
    void reloadPoolList();

    QTreeView* sharedObjectsView() const;  // lvSharedObjects, whose column width is kept

signals:
    // The user changed an object's check mark: "View Results" becomes reachable.
    void resultsPageEnabled();

private:
    core::CoreTables& m_tables;
    QTreeView* m_sharedObjectsView;
};

}  // namespace ui

#endif  // UI_OBJECTS_PAGE_H_
