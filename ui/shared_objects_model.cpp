#include "ui/shared_objects_model.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "ui/data_text.h"
#include "core/tables.h"

namespace ui {

SharedObjectsModel::SharedObjectsModel(core::CoreTables& tables, QObject* parent)
    : QAbstractListModel(parent), m_tables(tables) {}

int SharedObjectsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(m_filtered ? m_shown.size() : m_objects.lines.size());
}

QVariant SharedObjectsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() != 0) {
        return {};
    }
    const int32_t line = m_objects.lines[position(index.row())];
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
        case Qt::ToolTipRole: {
            const std::optional<core::LinePlace> place = core::PlaceOfLine(m_tables, line);
            if (!place) {
                return {};
            }
            const QString path = QFile::decodeName(
                QByteArray::fromStdString(m_tables.lstSelectedFiles[place->fileNo]));
            return QStringLiteral("%1, line %2")
                .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
                .arg(place->line);
        }
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
    core::ToggleObjectCached(m_tables, m_objects, position(index.row()), checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit objectCachedChanged();
    return true;
}

void SharedObjectsModel::showPool(std::string_view poolName) {
    beginResetModel();
    core::ShowPoolObjects(m_tables, poolName, m_objects);
    m_filtered = false;
    m_shown.clear();
    endResetModel();
}

void SharedObjectsModel::clear() {
    beginResetModel();
    core::ClearPoolObjects(m_objects);
    m_filtered = false;
    m_shown.clear();
    endResetModel();
}

void SharedObjectsModel::setFilter(const QString& text) {
    beginResetModel();
    m_filtered = !text.isEmpty();
    m_shown.clear();
    // Names are Latin-1: a character past it is in no name.
    const bool latin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (m_filtered && latin1) {
        m_shown = core::FilterPoolObjects(m_tables, m_objects, text.toLatin1().toStdString());
    }
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
