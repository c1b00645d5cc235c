#include "ui/pool_lists.h"

#include "ui/data_text.h"
#include "core/tables.h"

namespace ui {

PoolNamesModel::PoolNamesModel(const std::vector<std::string>& names, QObject* parent)
    : QAbstractListModel(parent), m_names(names) {}

int PoolNamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant PoolNamesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() != 0) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return DataText(m_names[static_cast<size_t>(index.row())]);
    }
    return {};
}

void PoolNamesModel::reload() {
    beginResetModel();
    endResetModel();
}

SharedPoolsModel::SharedPoolsModel(const std::vector<core::SharedPoolEntry>& pools, QObject* parent)
    : QAbstractTableModel(parent), m_pools(pools) {}

int SharedPoolsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_pools.size());
}

int SharedPoolsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SharedPoolsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
        return {};
    }
    const core::SharedPoolEntry& pool = m_pools[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return index.column() == kPoolName ? DataText(pool.name)
                                               : QString::number(pool.totalObjects);
        case Qt::TextAlignmentRole:
            return index.column() == kTotalObjects ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant SharedPoolsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return section == kTotalObjects ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                        : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kPoolName:
            return QStringLiteral("Pool Name");
        case kTotalObjects:
            return QStringLiteral("Total Objects");
        default:
            return {};
    }
}

void SharedPoolsModel::reload() {
    beginResetModel();
    endResetModel();
}

}  // namespace ui
