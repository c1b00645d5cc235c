#include "shared_objects_model.h"

#include "data_text.h"
#include "tables.h"

namespace ui {

SharedObjectsModel::SharedObjectsModel(core::CoreTables& tables, QObject* parent)
    : QAbstractListModel(parent), m_tables(tables) {}

int SharedObjectsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_objects.lines.size());
}

QVariant SharedObjectsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() != 0) {
        return {};
    }
    const int32_t line = m_objects.lines[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return DataText(core::ObjectName(m_tables, line));
        case Qt::CheckStateRole: {
            const bool cached = line >= 0 && static_cast<size_t>(line) < m_tables.lstData.size() &&
                                m_tables.lstData[static_cast<size_t>(line)].ItemData != 0;
            return cached ? Qt::Checked : Qt::Unchecked;
        }
        case kObjectKeyRole:
            return QString::fromStdString(core::ObjectKey(line));
        default:
            return {};
    }
}

QVariant SharedObjectsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return QStringLiteral("Oject Name");
    }
    return {};
}

Qt::ItemFlags SharedObjectsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

bool SharedObjectsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    const bool checked = static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked;
    const bool wasChecked = data(index, Qt::CheckStateRole).toInt() == Qt::Checked;
    if (checked == wasChecked) {
        return true;  // the counts follow changes only
    }
    core::ToggleObjectCached(m_tables, m_objects, static_cast<size_t>(index.row()), checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit objectCachedChanged();
    return true;
}

void SharedObjectsModel::showPool(std::string_view poolName) {
    beginResetModel();
    core::ShowPoolObjects(m_tables, poolName, m_objects);
    endResetModel();
}

void SharedObjectsModel::clear() {
    beginResetModel();
    core::ClearPoolObjects(m_objects);
    endResetModel();
}

void SharedObjectsModel::cacheAll(core::CacheBoxState box) {
    m_objects.box = box;
    core::CacheAllObjects(m_tables, m_objects);
    if (rowCount() > 0) {
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
    }
}

}  // namespace ui
