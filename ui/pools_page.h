// The "Select Shared Pools" page: available pools, shared pools, Add, Remove, Share All, drag and
// drop between the lists, and the two numbers the sizing run reads.
#ifndef UI_POOLS_PAGE_H_
#define UI_POOLS_PAGE_H_

#include <QString>
#include <QWidget>

class QTreeView;

namespace core {
class CoreTables;
}

namespace ui {

class MessageSink;

class PoolsPage : public QWidget {
    Q_OBJECT

public:
    // `tables` and `messages` must outlive the page. `clipPath` is the Share All animation.
    PoolsPage(core::CoreTables& tables, MessageSink& messages, const QString& clipPath,
              QWidget* parent = nullptr);
    ~PoolsPage() override;

    // Shows lstPools and lvSharedPools as they now stand in the tables (after a load).
    void reloadFromTables();

    QString membersText() const;  // txtSharedDB2
    QString ecsaText() const;     // txtECSASize

    QTreeView* sharedPoolsView() const;  // lvSharedPools, whose column widths are kept

signals:
    // Pages "Select Shared Objects" and "View Results" become reachable (true) or not (false).
    void sharedPagesEnabled(bool enabled);

private:
    core::CoreTables& m_tables;
    MessageSink& m_messages;
    QTreeView* m_sharedPoolsView;
};

}  // namespace ui

#endif  // UI_POOLS_PAGE_H_
