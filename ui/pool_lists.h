// Item models over the pool lists of the tables: a plain list of pool names (lstPools,
// lstSharedPools) and the shared pools with their object totals (lvSharedPools). The tables stay
// the only copy; after they change, reload() shows them again.
#ifndef UI_POOL_LISTS_H_
#define UI_POOL_LISTS_H_

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace core {
struct SharedPoolEntry;
}

namespace ui {

class PoolNamesModel : public QAbstractListModel {
    Q_OBJECT

public:
    // `names` must outlive the model.
    explicit PoolNamesModel(const std::vector<std::string>& names, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void reload();

private:
    const std::vector<std::string>& m_names;
};

class SharedPoolsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kPoolName, kTotalObjects, kColumnCount };

    // `pools` must outlive the model.
    explicit SharedPoolsModel(const std::vector<core::SharedPoolEntry>& pools,
                              QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void reload();

private:
    const std::vector<core::SharedPoolEntry>& m_pools;
};

}  // namespace ui

#endif  // UI_POOL_LISTS_H_
