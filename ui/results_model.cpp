#include "ui/results_model.h"

#include <utility>

#include "ui/data_text.h"

namespace ui {
namespace {

// What a column holds, then how to sort by it: a title's tip replaces the header's own.
QString ColumnToolTip(int section) {
    const char* what = "";
    switch (section) {
        case ResultsModel::kShared:
            what = "Objects of the pool in the files";
            break;
        case ResultsModel::kCacheAll:
            what = "Objects whose pages are all cached in the group buffer pool";
            break;
        case ResultsModel::kVpSize:
            what = "Virtual pool size, in pages";
            break;
        case ResultsModel::kHpSize:
            what = "Hiperpool size, in pages; 0 when every object is cached";
            break;
        case ResultsModel::kGbpSize:
            what =
                "Group buffer pool size, in pages, of the pool's last row. The total memory "
                "counts every page as 4 KB, whatever the pool's page size";
            break;
        default:
            what = "The buffer pool";
    }
    return QString::fromLatin1(what) + QStringLiteral("\nClick to sort; click again to reverse");
}

}  // namespace

ResultsModel::ResultsModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_titles({QStringLiteral("Pool"), QStringLiteral("Shared"), QStringLiteral("Cache All"),
                QStringLiteral("VP Size"), QStringLiteral("HP Size"), QStringLiteral("GBP Size")}) {
}

void ResultsModel::setPools(std::vector<core::PoolResult> pools) {
    beginResetModel();
    m_pools = std::move(pools);
    endResetModel();
}

void ResultsModel::clear() { setPools({}); }

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_pools.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= kColumnCount) {
        return {};
    }
    const core::PoolResult& pool = m_pools[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kPool:
                    return DataText(pool.pool);
                case kShared:
                    return QString::number(pool.shared);
                case kCacheAll:
                    return QString::number(pool.cacheAll);
                case kVpSize:
                    return QString::number(pool.vpSize);
                case kHpSize:
                    return QString::number(pool.hpSize);
                case kGbpSize:
                    return QString::number(pool.gbpSize);
                default:
                    return {};
            }
        case kSortRole:
            switch (index.column()) {
                case kPool:
                    return DataText(pool.pool);
                case kShared:
                    return QVariant::fromValue<qlonglong>(pool.shared);
                case kCacheAll:
                    return QVariant::fromValue<qlonglong>(pool.cacheAll);
                case kVpSize:
                    return QVariant::fromValue<qlonglong>(pool.vpSize);
                case kHpSize:
                    return QVariant::fromValue<qlonglong>(pool.hpSize);
                case kGbpSize:
                    return QVariant::fromValue<qlonglong>(pool.gbpSize);
                default:
                    return {};
            }
        case Qt::TextAlignmentRole:
            if (index.column() == kPool) {
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
            }
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_titles[section];
        case Qt::TextAlignmentRole:
            if (section == kPool) {
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
            }
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ToolTipRole:
            return ColumnToolTip(section);
        default:
            return {};
    }
}

bool ResultsModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                 int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size() ||
        (role != Qt::EditRole && role != Qt::DisplayRole)) {
        return false;
    }
    m_titles[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace ui
